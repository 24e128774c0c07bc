// What the readers of Office Open XML parts share while they walk a part's elements: leaving out
// a whole subtree, and markup compatibility's alternatives (of an mc:AlternateContent, the first
// mc:Choice whose requirements the reader knows, else mc:Fallback; never both).
#pragma once
#include <string.h>

#include "documents/office_package.h"
#include "documents/xml_reader.h"

class OfficeWalk {
public:
    explicit OfficeWalk(XmlReader* pReader) : pReader(pReader), nSkipDepth(0), nAlternates(0) {}

    // The next token that is not inside a left-out subtree or an alternative not taken. Markup
    // compatibility's own elements are handled here and never given. Inline: every token of a part
    // comes through it, and few are markup compatibility's.
    XmlToken Next() {
        for (;;) {
            XmlToken token = pReader->Next();
            if (token == XmlToken::kError || token == XmlToken::kEndDocument) return token;
            if (nSkipDepth != 0) {
                if (token == XmlToken::kEndElement && pReader->Depth() == nSkipDepth) nSkipDepth = 0;
                continue;
            }
            if (token == XmlToken::kText || !IsMarkupCompatibilityNamespace(pReader->NamespaceUri())) return token;
            TakeCompatibility(token);
        }
    }
    // Leaves out the subtree of the start token just given.
    void SkipElement() { nSkipDepth = pReader->Depth(); }

private:
    // A start or end token of markup compatibility's: its alternatives chosen, or left out.
    void TakeCompatibility(XmlToken token);

    static const unsigned kMaxAlternates = 32;
    XmlReader* pReader;
    unsigned nSkipDepth;  // 0, or the depth of the element being left out
    unsigned nAlternates;
    unsigned alternateDepths[kMaxAlternates];
    bool alternateChosen[kMaxAlternates];
};

// Whether a namespace URI is a vocabulary's, remembered by where the reader found it: every element
// of one declaration gives the same span, so the URI's text is compared once.
class NamespaceMatch {
public:
    explicit NamespaceMatch(bool (*IsNamespace)(XmlSpan)) : IsNamespace(IsNamespace), last{nullptr, 0}, bLast(false) {}
    bool operator()(XmlSpan uri) {
        if (uri.pData != last.pData || uri.cbData != last.cbData) {
            last = uri;
            bLast = IsNamespace(uri);
        }
        return bLast;
    }

private:
    bool (*IsNamespace)(XmlSpan);
    XmlSpan last;
    bool bLast;
};

// An element's local name and what a reader does with it, for a table walked by ElementCode: the
// length is taken from the literal, so no name is measured while a part is read.
struct ElementName {
    template <size_t N>
    constexpr ElementName(const char (&szName)[N], int nCode) : szName(szName), cbName(N - 1), nCode(nCode) {}
    const char* szName;
    size_t cbName;
    int nCode;
};

// The code of a local name in the table, or nOther.
template <size_t N>
int ElementCode(XmlSpan local, const ElementName (&names)[N], int nOther) {
    for (const ElementName& name : names) {
        // The first byte before the rest: most names of a length differ there.
        if (name.cbName == local.cbData && (name.cbName == 0 || name.szName[0] == local.pData[0]) &&
            memcmp(name.szName, local.pData, local.cbData) == 0)
            return name.nCode;
    }
    return nOther;
}

// A reader's table of names grouped by length at compile time, for a vocabulary of many names (the
// Word reader's): a name is compared only with those as long as it, and gets the code ElementCode
// would give, the first of its length in the table's order.
template <size_t N>
class ElementTable {
public:
    constexpr explicit ElementTable(const ElementName (&names)[N]) : pNames(names), order{}, starts{} {
        size_t k = 0;
        for (size_t nGroup = 0; nGroup <= kLastGroup; ++nGroup) {
            starts[nGroup] = static_cast<unsigned short>(k);
            for (size_t i = 0; i < N; ++i) {
                if (Group(names[i].cbName) == nGroup) order[k++] = static_cast<unsigned short>(i);
            }
        }
        starts[kLastGroup + 1] = static_cast<unsigned short>(k);
    }
    int Code(XmlSpan local, int nOther) const {
        size_t nGroup = Group(local.cbData);
        for (size_t k = starts[nGroup]; k < starts[nGroup + 1]; ++k) {
            const ElementName& name = pNames[order[k]];
            if (name.cbName == local.cbData && (name.cbName == 0 || name.szName[0] == local.pData[0]) &&
                SameBytes(name.szName, local.pData, local.cbData))
                return name.nCode;
        }
        return nOther;
    }

private:
    static constexpr size_t kLastGroup = 24;  // names this long or longer share a group
    static constexpr size_t Group(size_t cb) { return cb < kLastGroup ? cb : kLastGroup; }
    const ElementName* pNames;
    unsigned short order[N];                  // the names' places, group by group
    unsigned short starts[kLastGroup + 2];    // where each group starts in order
};

// A start token's element is this one of the vocabulary (e.g. IsWordNamespace, "p").
inline bool IsElement(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal) {
    return XmlSpanIs(reader.LocalName(), szLocal) && IsNamespace(reader.NamespaceUri());
}

// A boolean attribute of Office ("true", "1", "on"; absent means bDefault).
bool OfficeFlag(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, bool bDefault,
                DocumentText* pText);

// The value of an attribute in a vocabulary's namespace, decoded; false when absent, or when memory
// fails (which refuses the text).
bool OfficeAttribute(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, GrowingBytes* pValue,
                     DocumentText* pText);

// The parts a main part lists, in its order (a workbook's sheets, a presentation's slides): for each
// element szElement of the vocabulary, the part its r:id names through a relationship of type
// szType, when the package holds it.
bool ListedParts(OfficePackage* pPackage, XmlSpan mainPart, const Relationships& relationships,
                 bool (*IsNamespace)(XmlSpan), const char* szElement, const char* szType, TextList* pParts);

// The part an element's relationship attribute (r:id, r:dm) names through its part's relationships,
// when the relationship is of this type and the package holds its target: the target's name in
// *pName. False otherwise (memory failing refuses the text).
bool RelatedPart(const XmlReader& reader, const char* szAttribute, const Relationships& relationships,
                 const char* szType, OfficePackage* pPackage, XmlSpan* pName);
