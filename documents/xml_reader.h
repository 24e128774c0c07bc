// A pull reader for the XML parts of Office Open XML and OpenDocument files, which come from
// clients. It reads a whole part in memory, as UTF-8, and allocates nothing: names, values and text
// are spans of the caller's buffer, and all it keeps lies in fixed arrays bounded by the limits
// below. Namespaces are resolved. A DOCTYPE is refused, so no DTD is ever read and no entity other
// than the five predefined ones exists. A part that passes a limit or is not well formed is refused
// with its reason and the byte offset where it was found.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "documents/reading_progress.h"
#include "documents/xml_text.h"

const unsigned kXmlMaxDepth = 256;          // elements open at once
const unsigned kXmlMaxAttributes = 256;     // attributes of one element, namespace declarations aside
const size_t kXmlMaxNameLength = 1024;      // bytes of a qualified name
const size_t kXmlMaxValueLength = 1 << 20;  // bytes of an attribute value as written
const unsigned kXmlMaxNamespaces = 256;     // namespace declarations in scope

enum class XmlError {
    kNone,
    kNotWellFormed,          // any fault of syntax without a reason of its own below
    kTruncated,              // the input ends inside markup
    kUnclosedElement,        // the input ends with elements open
    kMismatchedEndTag,       // an end tag names another element than the one open
    kUnexpectedEndTag,       // an end tag with no element open
    kNoRootElement,
    kSecondRootElement,
    kTextOutsideRoot,        // anything but white space, comments and PIs outside the root
    kLessThanInValue,        // '<' in an attribute value
    kDuplicateAttribute,     // same namespace and local name twice, or a prefix declared twice
    kUnboundPrefix,
    kBadNamespaceDeclaration,  // xmlns:p="", a reserved prefix or URI, or a reference in the URI
    kBadName,
    kBadReference,           // '&' not starting a character reference or one of the five entities
    kDoctype,
    kUnsupportedEncoding,    // the XML declaration names an encoding other than UTF-8 or UTF-16
    kTooDeep,
    kTooManyAttributes,
    kNameTooLong,
    kValueTooLong,
    kTooManyNamespaces,
    kStopped                 // the reading's progress said stop
};

// A short reason a person can act on, completing "NAME: ".
const char* XmlErrorText(XmlError error);

// The namespace the prefix "xml" is bound to. In the header, so that its length is a constant
// where it is looked for.
inline constexpr char kXmlNamespaceUri[] = "http://www.w3.org/XML/1998/namespace";

struct XmlAttribute {
    XmlSpan name;   // qualified, as written
    XmlSpan uri;    // empty for an attribute without prefix
    XmlSpan local;
    XmlSpan value;  // raw, between the quotes: see DecodeXmlValue
};

enum class XmlToken {
    kStartElement,
    kEndElement,  // also after the start of an empty element
    kText,        // character data up to the next markup; a CDATA section is a text of its own
    kEndDocument,
    kError
};

// Reads tokens one at a time from a UTF-8 part (a UTF-8 byte-order mark is skipped). Comments,
// processing instructions and the XML declaration are skipped; an encoding the declaration names
// other than UTF-8 or UTF-16 is refused. Text is given in pieces: one between each two pieces of
// markup, so a comment or CDATA section cuts it. Once it returns kEndDocument or kError it returns
// the same for ever. What a token gives lasts until the next call of Next().
class XmlReader {
public:
    // The bytes must outlive the reader. The bytes parsed are counted on pMeter (may be null),
    // between tokens; when it says stop, the reader fails with kStopped.
    XmlReader(const char* pData, size_t cbData, ProgressMeter* pMeter = nullptr);
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Translation files name their DTD: from now, a DOCTYPE before the root with no internal subset
    // is read past (its external DTD is never fetched); one with an internal subset, which may
    // declare entities, is still refused.
    void ReadPastExternalDoctype() { bDoctypeReadPast = true; }

    XmlToken Next();
    XmlToken Token() const { return token; }
    XmlError Error() const { return error; }
    // Where the current token starts, or where the error was found, from the buffer's first byte.
    size_t Offset() const { return cbOffset; }

    // The element of a start or end token: its qualified name, namespace URI (empty for none) and
    // local name.
    XmlSpan Name() const { return pElement->name; }
    XmlSpan NamespaceUri() const { return pElement->uri; }
    XmlSpan LocalName() const { return pElement->local; }
    // How many elements are open: for a start or end token counting its own (the root is 1), for
    // a text those around it.
    unsigned Depth() const { return nTokenDepth; }

    // The text token's raw bytes; raw means from a CDATA section, where '&' is no reference.
    XmlSpan Text() const { return text; }
    bool TextIsRaw() const { return bRawText; }
    XmlValueKind TextKind() const { return bRawText ? XmlValueKind::kRawText : XmlValueKind::kText; }

    // The attributes of a start token, namespace declarations left out; none for other tokens.
    unsigned AttributeCount() const { return nAttributes; }
    const XmlAttribute& Attribute(unsigned nIndex) const { return attributes[nIndex]; }
    // The raw value of the attribute of this namespace URI ("" for none) and local name.
    bool FindAttribute(XmlSpan uri, XmlSpan local, XmlSpan* pValue) const;
    // Inline: with literals, as the readers call it, the lengths are constants.
    bool FindAttribute(const char* szUri, const char* szLocal, XmlSpan* pValue) const {
        return FindAttribute(XmlSpan{szUri, strlen(szUri)}, XmlSpan{szLocal, strlen(szLocal)}, pValue);
    }

private:
    struct Namespace {
        XmlSpan prefix;  // empty for the default namespace
        XmlSpan uri;     // empty where xmlns="" takes the default away
    };
    struct OpenElement {
        XmlSpan name;
        XmlSpan uri;
        XmlSpan local;
        unsigned nNamespaceBase;  // declarations in scope before the element's own
    };

    XmlToken Fail(XmlError why, const char* pWhere);
    const char* ReadName(const char* p, XmlSpan* pName, XmlSpan* pLocal);
    XmlToken ReadStartTag(const char* pTag);
    const char* ReadAttribute(const char* p, unsigned nNamespaceBase);
    const char* ReadValueFurther(const char* pName, const char* pQuote, const char* pLook, char cQuote)
        __attribute__((noinline));
    bool DeclareNamespace(XmlSpan name, XmlSpan value, unsigned nNamespaceBase) __attribute__((noinline));
    XmlToken ReadEndTag(const char* pTag);
    XmlToken ReadOtherEndTag(const char* pTag) __attribute__((noinline));
    XmlToken NextFrom(const char* p) __attribute__((noinline));
    XmlToken ReadText(const char* p);
    const char* ReadReferences(const char* pStop);
    XmlToken CloseElement();
    const char* SkipMarkupDeclaration(const char* p, bool* pbToken);
    const char* SkipProcessingInstruction(const char* p);
    const char* SkipExternalDoctype(const char* p);
    bool Resolve(XmlSpan name, XmlSpan local, bool bAttribute, XmlSpan* pUri) const;

    const char* pData;
    const char* pEnd;
    const char* pStart;  // after the byte-order mark: the only place for an XML declaration
    const char* pPos;
    ProgressMeter* pMeter;
    uint64_t cbTold;  // how far the meter has been told
    uint64_t cbNextTell;  // where the meter is told again: a step on, or never without a meter
    XmlToken token;
    XmlError error;
    size_t cbOffset;
    // The token's element: its place in open[], which stays as it is until the next start tag; at
    // first an element of empty names.
    const OpenElement* pElement;
    static const OpenElement kNoElement;
    XmlSpan text;
    bool bRawText;
    bool bRootSeen;
    bool bDoctypeReadPast = false;
    bool bDoctypeSeen = false;
    bool bEmptyElement;  // the start of <a/> was given: its end comes next
    unsigned nDepth;
    unsigned nTokenDepth;
    unsigned nAttributes;
    unsigned nNamespaces;
    XmlAttribute attributes[kXmlMaxAttributes];
    Namespace namespaces[kXmlMaxNamespaces];
    OpenElement open[kXmlMaxDepth];
};
