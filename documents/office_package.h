// The parts of a zip package, Office Open XML or OpenDocument: each part read whole and as UTF-8,
// and Office's relationships from a part to the parts it uses. Only parts inside the package are
// ever read: relationships to outside (TargetMode="External") and targets that leave the package
// are left out.
#pragma once
#include <stddef.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/xml_reader.h"
#include "documents/zip_archive.h"

class DocumentText;

// An entry's bytes, in memory that is not cleared first: it is inflated into at once.
class PartBytes {
public:
    // Room for cb bytes; false when memory fails.
    bool Allocate(size_t cb) {
        pData.reset(new (std::nothrow) char[cb > 0 ? cb : 1]);
        cbData = pData != nullptr ? cb : 0;
        return pData != nullptr;
    }
    void Resize(size_t cb) { cbData = cb; }  // smaller only
    char* data() { return pData.get(); }
    const char* data() const { return pData.get(); }
    size_t size() const { return cbData; }
    void swap(PartBytes& other) {
        pData.swap(other.pData);
        std::swap(cbData, other.cbData);
    }

private:
    std::unique_ptr<char[]> pData;
    size_t cbData = 0;
};

// A part's bytes as UTF-8 XML.
struct PackagePart {
    PartBytes bytes;
};

struct Relationship {
    std::string id;
    std::string type;    // the type URI
    std::string target;  // the part's name in the package, without a leading "/"
};

class OfficePackage {
public:
    // pData must outlive the package.
    bool Open(const unsigned char* pData, size_t cbData, DocumentText* pText);
    const ZipArchive& Archive() const { return archive; }

    // Whether the package holds the part.
    bool Has(const std::string& name) const;
    // The part's place among the package's entries (below Archive().EntryCount()); false when none.
    bool PartIndex(const std::string& name, size_t* pnIndex) const;
    // Reads the part, as UTF-8 (a UTF-16 part is converted); false, with the reason given to the
    // text, when it is missing or cannot be read.
    bool Read(const std::string& name, PackagePart* pPart);
    // Reads the raw bytes of an entry, whatever they hold.
    bool ReadRaw(const std::string& name, PartBytes* pBytes);

    // The relationships of a part ("" for the package's own), in the order they are written; a part
    // without relationships has none.
    bool Relationships(const std::string& partName, std::vector<Relationship>* pRelationships);
    // The content type of a part, from [Content_Types].xml ("" when none is given).
    bool ContentType(const std::string& partName, std::string* pType);

    // Whether an XML reader's failure was a refusal of the file; says why to the text.
    bool RefuseXml(const XmlReader& reader);
    // Where the work of inflating and parsing the parts is counted: the text's.
    ProgressMeter* Meter();
    // Refuses the file for want of memory: false.
    bool RefuseOutOfMemory();

private:
    ZipArchive archive;
    DocumentText* pText = nullptr;
};

// The type URI ends with this relationship name ("officeDocument", "header"...), after its last
// "/": the same in the transitional and strict namespaces.
bool RelationshipIs(const Relationship& relationship, const char* szName);

// Decodes a raw XML value and adds it to a string.
void AppendXmlValue(XmlSpan value, XmlValueKind kind, std::string* pOut);

// Whether the span's namespace is one of Office's for this vocabulary (transitional or strict).
bool IsWordNamespace(XmlSpan uri);
bool IsSpreadsheetNamespace(XmlSpan uri);
bool IsPresentationNamespace(XmlSpan uri);
bool IsDrawingNamespace(XmlSpan uri);
bool IsRelationshipsNamespace(XmlSpan uri);
bool IsMarkupCompatibilityNamespace(XmlSpan uri);
