// What the readers of Office Open XML parts share while they walk a part's elements: leaving out
// a whole subtree, and markup compatibility's alternatives (of an mc:AlternateContent, the first
// mc:Choice whose requirements the reader knows, else mc:Fallback; never both).
#pragma once
#include "documents/office_package.h"
#include "documents/xml_reader.h"

class OfficeWalk {
public:
    explicit OfficeWalk(XmlReader* pReader) : pReader(pReader), nSkipDepth(0), nAlternates(0) {}

    // The next token that is not inside a left-out subtree or an alternative not taken. Markup
    // compatibility's own elements are handled here and never given.
    XmlToken Next();
    // Leaves out the subtree of the start token just given.
    void SkipElement() { nSkipDepth = pReader->Depth(); }

private:
    static const unsigned kMaxAlternates = 32;
    XmlReader* pReader;
    unsigned nSkipDepth;  // 0, or the depth of the element being left out
    unsigned nAlternates;
    unsigned alternateDepths[kMaxAlternates];
    bool alternateChosen[kMaxAlternates];
};

// A start token's element is this one of the vocabulary (e.g. IsWordNamespace, "p").
inline bool IsElement(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal) {
    return XmlSpanIs(reader.LocalName(), szLocal) && IsNamespace(reader.NamespaceUri());
}

// A boolean attribute of Office ("true", "1", "on"; absent means bDefault).
bool OfficeFlag(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, bool bDefault);

// The value of an attribute in a vocabulary's namespace, decoded; false when absent.
bool OfficeAttribute(const XmlReader& reader, bool (*IsNamespace)(XmlSpan), const char* szLocal, std::string* pValue);

// The parts a main part lists, in its order (a workbook's sheets, a presentation's slides): for each
// element szElement of the vocabulary, the part its r:id names through a relationship of type
// szType, when the package holds it.
bool ListedParts(OfficePackage* pPackage, const std::string& mainPart, const std::vector<Relationship>& relationships,
                 bool (*IsNamespace)(XmlSpan), const char* szElement, const char* szType, std::vector<std::string>* pParts);
