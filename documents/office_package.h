// The parts of a zip package, Office Open XML or OpenDocument: each part read whole and as UTF-8,
// and Office's relationships from a part to the parts it uses. Only parts inside the package are
// ever read: relationships to outside (TargetMode="External") and targets that leave the package
// are left out. Every list a reader builds here counts against its text's bound, and a list that
// cannot grow refuses the text.
#pragma once
#include <stddef.h>
#include <string.h>

#include "documents/document_text.h"
#include "documents/growing_array.h"
#include "documents/xml_reader.h"
#include "documents/zip_archive.h"

// A span of a zero-terminated text.
inline XmlSpan SpanOf(const char* szText) { return XmlSpan{szText, strlen(szText)}; }
inline XmlSpan SpanOf(const GrowingBytes& bytes) { return XmlSpan{bytes.Size() > 0 ? bytes.Data() : "", bytes.Size()}; }
// Bytewise order of two spans: negative, zero or positive.
int CompareSpans(XmlSpan first, XmlSpan second);

// An entry's bytes, in memory that is not cleared first: it is inflated into at once.
class PartBytes {
public:
    PartBytes() = default;
    PartBytes(const PartBytes&) = delete;
    PartBytes& operator=(const PartBytes&) = delete;
    ~PartBytes() { FreeAllocated(pData); }
    // Room for cb bytes; false when memory fails.
    bool Allocate(size_t cb) {
        FreeAllocated(pData);
        pData = static_cast<char*>(TryAllocate(cb > 0 ? cb : 1));
        cbData = pData != nullptr ? cb : 0;
        return pData != nullptr;
    }
    void Resize(size_t cb) { cbData = cb; }  // smaller only
    char* data() { return pData; }
    const char* data() const { return pData; }
    size_t size() const { return cbData; }
    void swap(PartBytes& other) {
        char* pTheirs = other.pData;
        size_t cbTheirs = other.cbData;
        other.pData = pData;
        other.cbData = cbData;
        pData = pTheirs;
        cbData = cbTheirs;
    }

private:
    char* pData = nullptr;
    size_t cbData = 0;
};

// A part's bytes as UTF-8 XML.
struct PackagePart {
    PartBytes bytes;
};

// Short texts kept one after another in one block: part names, identifiers.
class TextList {
public:
    explicit TextList(MemoryBound* pBound) : bytes(pBound), ends(pBound) {}
    [[nodiscard]] bool Add(XmlSpan text);
    size_t Count() const { return ends.Size(); }
    XmlSpan At(size_t i) const {
        size_t offStart = i == 0 ? 0 : ends[i - 1];
        return XmlSpan{bytes.Empty() ? "" : bytes.Data() + offStart, ends[i] - offStart};
    }
    void BindTo(MemoryBound* pBound) {
        bytes.BindTo(pBound);
        ends.BindTo(pBound);
    }

private:
    GrowingBytes bytes;
    GrowingArray<size_t> ends;
};

// Puts the indexes 0..n-1 in pIndexes, ordered by Compare, which never calls two distinct indexes
// equal; heapsort, so that no input is quadratic. False when memory fails.
[[nodiscard]] bool SortIndexes(GrowingArray<size_t>* pIndexes, size_t n, int (*Compare)(const void* pContext, size_t a, size_t b),
                 const void* pContext);

// The relationships of one part, in the order they are written, found by id in logarithmic time.
class Relationships {
public:
    explicit Relationships(MemoryBound* pBound) : texts(pBound), byId(pBound) {}
    size_t Count() const { return texts.Count() / 3; }
    XmlSpan Id(size_t i) const { return texts.At(3 * i); }
    XmlSpan Type(size_t i) const { return texts.At(3 * i + 1); }
    XmlSpan Target(size_t i) const { return texts.At(3 * i + 2); }  // the part's name, without a leading "/"
    // The type URI ends with this relationship name ("officeDocument", "header"...), after its
    // last "/": the same in the transitional and strict namespaces.
    bool Is(size_t i, const char* szName) const;
    // The relationships of this id, in their written order: for k from FirstWithId(id) while
    // IdAt(k) is id, relationship ById(k).
    size_t FirstWithId(XmlSpan id) const;
    size_t ById(size_t k) const { return byId[k]; }
    bool HasIdAt(size_t k, XmlSpan id) const { return k < byId.Size() && CompareSpans(Id(byId[k]), id) == 0; }

private:
    friend class OfficePackage;
    TextList texts;  // id, type and target of each
    GrowingArray<size_t> byId;
};

class OfficePackage {
public:
    OfficePackage() : types(nullptr), typeOrder(nullptr) {}
    // pData must outlive the package.
    bool Open(const unsigned char* pData, size_t cbData, DocumentText* pText);
    const ZipArchive& Archive() const { return archive; }
    DocumentText* Text() const { return pText; }

    // Whether the package holds the part.
    bool Has(XmlSpan name) const;
    // Reads the part, as UTF-8 (a UTF-16 part is converted); false, with the reason given to the
    // text, when it is missing or cannot be read.
    bool Read(XmlSpan name, PackagePart* pPart);
    // Reads the raw bytes of an entry, whatever they hold.
    bool ReadRaw(XmlSpan name, PartBytes* pBytes);

    // The relationships of a part ("" for the package's own); a part without relationships has
    // none. pRelationships counts against the text's bound.
    bool ReadRelationships(XmlSpan partName, Relationships* pRelationships);
    // The content type of a part, from [Content_Types].xml (empty when none is given); the file is
    // read once, into a table looked up in logarithmic time.
    bool ContentType(XmlSpan partName, GrowingBytes* pType);

    // Whether an XML reader's failure was a refusal of the file; says why to the text.
    bool RefuseXml(const XmlReader& reader);
    // Where the work of inflating and parsing the parts is counted: the text's.
    ProgressMeter* Meter();
    // Refuses the file for want of memory: false.
    bool RefuseOutOfMemory();

private:
    bool ReadContentTypes();

    ZipArchive archive;
    DocumentText* pText = nullptr;
    // [Content_Types].xml: for each entry its key ("O" and the part name, or "D" and the
    // extension, ASCII letters in lower case) and its type; and the entries in the keys' order.
    bool bTypesRead = false;
    TextList types;
    GrowingArray<size_t> typeOrder;
};

// Decodes a raw XML value and adds it to pOut; refuses the text when pOut cannot grow.
bool AppendXmlValue(XmlSpan value, XmlValueKind kind, GrowingBytes* pOut, DocumentText* pText);

// Whether the span's namespace is one of Office's for this vocabulary (transitional or strict).
bool IsWordNamespace(XmlSpan uri);
bool IsSpreadsheetNamespace(XmlSpan uri);
bool IsPresentationNamespace(XmlSpan uri);
bool IsDrawingNamespace(XmlSpan uri);
bool IsRelationshipsNamespace(XmlSpan uri);
bool IsDiagramNamespace(XmlSpan uri);
// Inline: every element of a part is asked, and its length alone tells most apart.
inline bool IsMarkupCompatibilityNamespace(XmlSpan uri) {
    return XmlSpanIs(uri, "http://schemas.openxmlformats.org/markup-compatibility/2006");
}
