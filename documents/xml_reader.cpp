#include "documents/xml_reader.h"

#include <string.h>

#include "documents/byte_scan.h"
#include "documents/xml_chars.h"
#include "documents/xml_names.h"
#include "measure/text_file.h"


// What a start tag reads for each attribute, and what the tokens of most parts are, is inlined
// into the function that reads them: calls cost as much as the reading on short names and values.
#define TQ_XML_INLINE inline __attribute__((always_inline))

namespace {

const char kEmpty[] = "";
const XmlSpan kNoSpan = {kEmpty, 0};

// The first occurrence of szText in [p, pEnd), or null.
const char* Find(const char* p, const char* pEnd, const char* szText) {
    size_t cbText = strlen(szText);
    while ((p = static_cast<const char*>(memchr(p, szText[0], static_cast<size_t>(pEnd - p)))) != nullptr) {
        if (static_cast<size_t>(pEnd - p) < cbText) return nullptr;
        if (memcmp(p, szText, cbText) == 0) return p;
        ++p;
    }
    return nullptr;
}

// Whether [p, pEnd) starts with szText: 1 it does, 0 it does not, -1 it ends while it still might.
int StartsWith(const char* p, const char* pEnd, const char* szText) {
    for (; *szText != '\0'; ++p, ++szText) {
        if (p == pEnd) return -1;
        if (*p != *szText) return 0;
    }
    return 1;
}

}  // namespace


const XmlReader::OpenElement XmlReader::kNoElement = {kNoSpan, kNoSpan, kNoSpan, 0};

XmlReader::XmlReader(const char* pData, size_t cbData, ProgressMeter* pMeter)
    : pData(pData), pEnd(pData + cbData), pStart(pData), pPos(pData), pMeter(pMeter), cbTold(0),
      cbNextTell(pMeter != nullptr ? kProgressStepBytes : UINT64_MAX), token(XmlToken::kStartElement),
      error(XmlError::kNone), cbOffset(0), pElement(&kNoElement),
      text(kNoSpan), bRawText(false), bRootSeen(false), bEmptyElement(false), nDepth(0), nTokenDepth(0),
      nAttributes(0), nNamespaces(0) {
    size_t cbMark;
    if (ByteOrderMarkOf(pData, cbData, false, &cbMark) == kTextUtf8) pStart = pPos = pData + cbMark;
}

XmlToken XmlReader::Fail(XmlError why, const char* pWhere) {
    error = why;
    cbOffset = static_cast<size_t>(pWhere - pData);
    nAttributes = 0;
    return token = XmlToken::kError;
}

XmlToken XmlReader::Next() {
    if (token >= XmlToken::kEndDocument) return token;  // or kError: both last for ever
    nAttributes = 0;
    if (bEmptyElement) return CloseElement();
    // One comparison a token: the meter is asked each kProgressStepBytes (never without one).
    size_t cbParsed = static_cast<size_t>(pPos - pData);
    if (cbParsed >= cbNextTell) {
        if (!pMeter->DoneUpTo(cbParsed, &cbTold)) return Fail(XmlError::kStopped, pPos);
        cbNextTell = cbTold + kProgressStepBytes;
    }
    // Inside the root a token's first two bytes tell its kind: every other case, and markup that is
    // no token, is read by the loop below, kept out of line so that this path needs no frame.
    const char* p = pPos;
    if (nDepth != 0 && pEnd - p >= 2) {
        if (*p != '<') return ReadText(p);
        if (p[1] == '/') return ReadEndTag(p);
        if (p[1] != '?' && p[1] != '!') return ReadStartTag(p);
    }
    return NextFrom(p);
}

XmlToken XmlReader::NextFrom(const char* p) {
    for (;;) {
        if (nDepth == 0) {
            // Outside the root only white space, comments and processing instructions may stand.
            while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
            if (p == pEnd) {
                if (!bRootSeen) return Fail(XmlError::kNoRootElement, p);
                cbOffset = static_cast<size_t>(p - pData);
                return token = XmlToken::kEndDocument;
            }
            if (*p != '<') return Fail(XmlError::kTextOutsideRoot, p);
        } else if (p == pEnd) {
            return Fail(XmlError::kUnclosedElement, p);
        } else if (*p != '<') {
            return ReadText(p);
        }
        if (pEnd - p < 2) return Fail(XmlError::kTruncated, p);
        if (p[1] == '/') return ReadEndTag(p);
        if (p[1] != '?' && p[1] != '!') return ReadStartTag(p);
        bool bToken = false;
        p = p[1] == '?' ? SkipProcessingInstruction(p) : SkipMarkupDeclaration(p, &bToken);
        if (p == nullptr || bToken) return token;
    }
}

// "<!": a comment is skipped, a CDATA section is a token, a DOCTYPE is refused.
const char* XmlReader::SkipMarkupDeclaration(const char* p, bool* pbToken) {
    int nComment = StartsWith(p, pEnd, "<!--");
    int nCData = StartsWith(p, pEnd, "<![CDATA[");
    if (nComment == 1) {
        // "--" may only end a comment.
        const char* pDashes = Find(p + 4, pEnd, "--");
        if (pDashes == nullptr || pDashes + 2 == pEnd) return Fail(XmlError::kTruncated, p), nullptr;
        if (pDashes[2] != '>') return Fail(XmlError::kNotWellFormed, pDashes), nullptr;
        return pDashes + 3;
    }
    if (nCData == 1) {
        if (nDepth == 0) return Fail(XmlError::kTextOutsideRoot, p), nullptr;
        const char* pClose = Find(p + 9, pEnd, "]]>");
        if (pClose == nullptr) return Fail(XmlError::kTruncated, p), nullptr;
        cbOffset = static_cast<size_t>(p - pData);
        text = Span(p + 9, pClose);
        bRawText = true;
        nTokenDepth = nDepth;
        token = XmlToken::kText;
        *pbToken = true;
        return pPos = pClose + 3;
    }
    int nDoctype = StartsWith(p, pEnd, "<!DOCTYPE");
    if (nDoctype == 1 && bDoctypeReadPast && !bRootSeen && !bDoctypeSeen) return SkipExternalDoctype(p);
    if (nDoctype == 1) return Fail(XmlError::kDoctype, p), nullptr;
    bool bCut = nComment < 0 || nCData < 0 || nDoctype < 0;
    return Fail(bCut ? XmlError::kTruncated : XmlError::kNotWellFormed, p), nullptr;
}

// "<!DOCTYPE" S Name (S ExternalID)? S? '>': where it ends, or null after an error. An internal
// subset ('[') is refused.
const char* XmlReader::SkipExternalDoctype(const char* pDoctype) {
    bDoctypeSeen = true;
    const char* p = pDoctype + 9;
    if (p == pEnd) return Fail(XmlError::kTruncated, pDoctype), nullptr;
    if (!IsXmlSpaceByte(*p)) return Fail(XmlError::kNotWellFormed, p), nullptr;
    while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
    XmlSpan name, local;
    p = ReadName(p, &name, &local);
    if (p == nullptr) return nullptr;
    // At most the keyword and two literals follow.
    for (unsigned nParts = 0; p < pEnd; ++nParts) {
        while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
        if (p == pEnd) break;
        if (*p == '>') return p + 1;
        if (*p == '[') return Fail(XmlError::kDoctype, pDoctype), nullptr;
        if (nParts == 3) return Fail(XmlError::kNotWellFormed, p), nullptr;
        if (*p == '"' || *p == '\'') {
            const char* pClose = static_cast<const char*>(memchr(p + 1, *p, static_cast<size_t>(pEnd - p - 1)));
            if (pClose == nullptr) break;
            p = pClose + 1;
        } else if (nParts == 0 && (StartsWith(p, pEnd, "SYSTEM") == 1 || StartsWith(p, pEnd, "PUBLIC") == 1)) {
            p += 6;
        } else {
            return Fail(XmlError::kNotWellFormed, p), nullptr;
        }
    }
    return Fail(XmlError::kTruncated, pDoctype), nullptr;
}

// The qualified name at p and its local part: where it ends, or null after an error. Inline: the
// start tag reads its name and each attribute's this way.
TQ_XML_INLINE const char* XmlReader::ReadName(const char* p, XmlSpan* pName, XmlSpan* pLocal) {
    ScannedName scanned = ScanName(p, pEnd);
    const char* pAfter = scanned.pAfter;
    *pName = Span(p, pAfter);
    XmlError why = pAfter != p ? CheckQName(*pName, scanned) : p == pEnd ? XmlError::kTruncated : XmlError::kBadName;
    if (why != XmlError::kNone) return Fail(why, p), nullptr;
    *pLocal = scanned.pColon != nullptr ? Span(scanned.pColon + 1, pAfter) : *pName;
    return pAfter;
}

// "<?": the XML declaration, only at the start, or a processing instruction, skipped.
const char* XmlReader::SkipProcessingInstruction(const char* p) {
    XmlSpan target, local;
    const char* pTarget = p + 2;
    const char* pAfter = ReadName(pTarget, &target, &local);
    if (pAfter == nullptr) return nullptr;
    if (pAfter == pEnd) return Fail(XmlError::kTruncated, p), nullptr;
    if (memchr(pTarget, ':', target.cbData) != nullptr || (!IsXmlSpace(*pAfter) && *pAfter != '?')) {
        return Fail(XmlError::kBadName, pTarget), nullptr;
    }
    const char* pClose = Find(pAfter, pEnd, "?>");
    if (pClose == nullptr) return Fail(XmlError::kTruncated, p), nullptr;
    bool bReserved = target.cbData == 3 && (pTarget[0] | 0x20) == 'x' && (pTarget[1] | 0x20) == 'm' &&
                     (pTarget[2] | 0x20) == 'l';
    if (bReserved) {
        if (p != pStart || !XmlSpanIs(target, "xml")) return Fail(XmlError::kNotWellFormed, p), nullptr;
        XmlDeclaration declaration = ReadXmlDeclaration(p, pClose);
        if (declaration == XmlDeclaration::kOtherEncoding) return Fail(XmlError::kUnsupportedEncoding, p), nullptr;
        if (declaration == XmlDeclaration::kMalformed) return Fail(XmlError::kNotWellFormed, p), nullptr;
    }
    return pClose + 2;
}

// From a text's first reference, at pStop: each checked on the way to the markup that ends the
// text, which is returned; null after an error.
const char* XmlReader::ReadReferences(const char* pStop) {
    do {
        uint32_t nChar;
        const char* pAfter = ReadXmlReference(pStop, pEnd, &nChar);
        if (pAfter == nullptr) return Fail(XmlError::kBadReference, pStop), nullptr;
        pStop = FindEitherByte(pAfter, pEnd, '<', '&');
    } while (pStop != pEnd && *pStop == '&');
    return pStop;
}

XmlToken XmlReader::ReadText(const char* p) {
    // One pass to the markup that ends the text, each reference checked on the way: no reference
    // holds a '<', so it reads the same as up to the markup. Most texts have none.
    const char* pStop = FindEitherByte(p, pEnd, '<', '&');
    if (pStop != pEnd && *pStop == '&' && (pStop = ReadReferences(pStop)) == nullptr) return token;
    cbOffset = static_cast<size_t>(p - pData);
    text = Span(p, pStop);
    bRawText = false;
    nTokenDepth = nDepth;
    pPos = pStop;
    return token = XmlToken::kText;
}

// One attribute of a start tag, at its name: a namespace declaration goes in scope, any other
// attribute to the list. Returns where it ends, or null on an error.
TQ_XML_INLINE const char* XmlReader::ReadAttribute(const char* p, unsigned nNamespaceBase) {
    XmlSpan name, local;
    const char* pName = p;
    if ((p = ReadName(p, &name, &local)) == nullptr) return nullptr;
    // Most write name="value", with no space about the '='.
    if (pEnd - p >= 2 && *p == '=' && (p[1] == '"' || p[1] == '\'')) {
        ++p;
    } else {
        while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
        if (p < pEnd && *p++ != '=') return Fail(XmlError::kNotWellFormed, p - 1), nullptr;
        while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
        if (p == pEnd) return Fail(XmlError::kTruncated, pName), nullptr;
        if (*p != '"' && *p != '\'') return Fail(XmlError::kNotWellFormed, p), nullptr;
    }
    const char* pValue = p + 1;
    // Looked for one byte past the longest value, so that a longer one is seen.
    const char* pLook = static_cast<size_t>(pEnd - pValue) > kXmlMaxValueLength ? pValue + kXmlMaxValueLength + 1 : pEnd;
    // Most values hold no reference: the quote is the first of the three.
    const char* pQuote = FindAnyOfThreeBytes(pValue, pLook, *p, '<', '&');
    if ((pQuote == pLook || *pQuote != *p) && (pQuote = ReadValueFurther(pName, pQuote, pLook, *p)) == nullptr) {
        return nullptr;
    }
    XmlSpan value = Span(pValue, pQuote);
    if ((name.cbData == 5 || (name.cbData > 5 && pName[5] == ':')) && memcmp(pName, "xmlns", 5) == 0) {
        return DeclareNamespace(name, value, nNamespaceBase) ? pQuote + 1 : nullptr;
    }
    if (nAttributes == kXmlMaxAttributes) return Fail(XmlError::kTooManyAttributes, pName), nullptr;
    attributes[nAttributes++] = XmlAttribute{name, kNoSpan, local, value};
    return pQuote + 1;
}

// The rest of a value from pQuote, the first '<' or '&' in it or its bound pLook: one pass to the
// quote, the first '<' and the first bad reference on the way refused only once the value is
// known to end, and a '<' before a bad reference. Where the quote is, or null after an error.
const char* XmlReader::ReadValueFurther(const char* pName, const char* pQuote, const char* pLook, char cQuote) {
    const char* pLess = nullptr;
    const char* pBad = nullptr;
    for (; pQuote != pLook && *pQuote != cQuote; pQuote = FindAnyOfThreeBytes(pQuote, pLook, cQuote, '<', '&')) {
        if (*pQuote == '<') {
            pLess = pQuote;
            pQuote = static_cast<const char*>(memchr(pQuote, cQuote, static_cast<size_t>(pLook - pQuote)));
            if (pQuote == nullptr) pQuote = pLook;
            break;
        }
        uint32_t nChar;
        const char* pAfter = pBad == nullptr ? ReadXmlReference(pQuote, pEnd, &nChar) : nullptr;
        if (pAfter == nullptr && pBad == nullptr) pBad = pQuote;
        // A reference holds no quote: one that ends past the bound leaves the value too long.
        pQuote = pAfter == nullptr ? pQuote + 1 : pAfter < pLook ? pAfter : pLook;
    }
    if (pQuote == pLook) {
        return Fail(pLook != pEnd ? XmlError::kValueTooLong : XmlError::kTruncated, pName), nullptr;
    }
    if (pLess != nullptr) return Fail(XmlError::kLessThanInValue, pLess), nullptr;
    if (pBad != nullptr) return Fail(XmlError::kBadReference, pBad), nullptr;
    return pQuote;
}


XmlToken XmlReader::ReadStartTag(const char* pTag) {
    if (nDepth == 0 && bRootSeen) return Fail(XmlError::kSecondRootElement, pTag);
    // Its names are read next and its URI once its scope is known: nothing is set before.
    OpenElement opened;
    opened.nNamespaceBase = nNamespaces;
    const char* p = ReadName(pTag + 1, &opened.name, &opened.local);
    if (p == nullptr) return token;
    for (;;) {
        const char* pSpace = p;
        while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
        if (p == pEnd || (*p == '/' && p + 1 == pEnd)) return Fail(XmlError::kTruncated, pTag);
        // bEmptyElement is false here: the end of an empty element came before this token.
        if (*p == '>') {
            ++p;
            break;
        }
        if (*p == '/' && p[1] == '>') {
            bEmptyElement = true;
            p += 2;
            break;
        }
        // Attributes stand apart by white space.
        if (p == pSpace) return Fail(XmlError::kNotWellFormed, p);
        p = ReadAttribute(p, opened.nNamespaceBase);
        if (p == nullptr) return token;
    }
    if (nDepth == kXmlMaxDepth) return Fail(XmlError::kTooDeep, pTag);
    // Prefixes resolve once all of the tag's declarations are in scope. A tag that declares none
    // has its parent's scope: the parent's prefix means for it what it meant for the parent.
    size_t cbPrefix = static_cast<size_t>(opened.local.pData - opened.name.pData);
    const OpenElement* pParent = nDepth > 0 ? &open[nDepth - 1] : nullptr;
    if (pParent != nullptr && nNamespaces == opened.nNamespaceBase &&
        static_cast<size_t>(pParent->local.pData - pParent->name.pData) == cbPrefix &&
        (cbPrefix == 0 || SameBytes(pParent->name.pData, opened.name.pData, cbPrefix))) {
        opened.uri = pParent->uri;
    } else if (!Resolve(opened.name, opened.local, false, &opened.uri)) {
        return Fail(XmlError::kUnboundPrefix, pTag + 1);
    }
    for (unsigned i = 0; i < nAttributes; ++i) {
        XmlAttribute& attribute = attributes[i];
        // An attribute without prefix is in no namespace (as set when it was read).
        if (attribute.local.pData != attribute.name.pData && !Resolve(attribute.name, attribute.local, true, &attribute.uri)) {
            return Fail(XmlError::kUnboundPrefix, attribute.name.pData);
        }
        for (unsigned j = 0; j < i; ++j) {
            const XmlAttribute& earlier = attributes[j];
            if (XmlSpansEqual(earlier.local, attribute.local) && XmlSpansEqual(earlier.uri, attribute.uri)) {
                return Fail(XmlError::kDuplicateAttribute, attribute.name.pData);
            }
        }
    }
    open[nDepth] = opened;
    pElement = &open[nDepth++];
    nTokenDepth = nDepth;
    bRootSeen = true;
    cbOffset = static_cast<size_t>(pTag - pData);
    pPos = p;
    return token = XmlToken::kStartElement;
}

TQ_XML_INLINE XmlToken XmlReader::ReadEndTag(const char* pTag) {
    // Most end tags are the open element's name and '>': what the checks below would find.
    if (nDepth > 0) {
        XmlSpan openName = open[nDepth - 1].name;
        if (static_cast<size_t>(pEnd - pTag) > openName.cbData + 2 && pTag[openName.cbData + 2] == '>' &&
            SameBytes(pTag + 2, openName.pData, openName.cbData)) {
            cbOffset = static_cast<size_t>(pTag - pData);
            pPos = pTag + openName.cbData + 3;
            return CloseElement();
        }
    }
    return ReadOtherEndTag(pTag);
}

// An end tag that is not the open element's name and '>' at once: white space before its '>', or an
// error.
XmlToken XmlReader::ReadOtherEndTag(const char* pTag) {
    XmlSpan name, local;
    const char* p = ReadName(pTag + 2, &name, &local);
    if (p == nullptr) return token;
    while (p < pEnd && IsXmlSpaceByte(*p)) ++p;
    if (p == pEnd) return Fail(XmlError::kTruncated, pTag);
    if (*p != '>') return Fail(XmlError::kNotWellFormed, p);
    if (nDepth == 0) return Fail(XmlError::kUnexpectedEndTag, pTag);
    if (!XmlSpansEqual(name, open[nDepth - 1].name)) return Fail(XmlError::kMismatchedEndTag, pTag);
    cbOffset = static_cast<size_t>(pTag - pData);
    pPos = p + 1;
    return CloseElement();
}

TQ_XML_INLINE XmlToken XmlReader::CloseElement() {
    bEmptyElement = false;
    nTokenDepth = nDepth;
    pElement = &open[--nDepth];
    nNamespaces = pElement->nNamespaceBase;
    return token = XmlToken::kEndElement;
}

bool XmlReader::Resolve(XmlSpan name, XmlSpan local, bool bAttribute, XmlSpan* pUri) const {
    // The local part follows the colon, if there is one.
    const char* pColon = local.pData != name.pData ? local.pData - 1 : nullptr;
    XmlSpan prefix = Span(name.pData, pColon != nullptr ? pColon : name.pData);
    *pUri = kNoSpan;
    if (XmlSpanIs(prefix, "xml")) {
        *pUri = Span(kXmlNamespaceUri, sizeof(kXmlNamespaceUri) - 1);
        return true;
    }
    // An attribute without prefix is in no namespace, whatever the default.
    if (bAttribute && pColon == nullptr) return true;
    for (unsigned i = nNamespaces; i-- > 0;) {
        if (XmlSpansEqual(namespaces[i].prefix, prefix)) {
            *pUri = namespaces[i].uri;
            return true;
        }
    }
    return pColon == nullptr;
}
