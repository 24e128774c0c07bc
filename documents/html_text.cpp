// A web page's text as a browser lays it out. The order: the document's title first, then the page
// in reading order, with each element's title attribute, an image's alt text and a meta
// description or keywords as paragraphs of their own where the element stands. noscript does not
// count (a browser with scripting on, as browsers run by default, does not show it), nor do
// template, script, style, iframe, noembed, noframes, and inline SVG's title and desc. The tree is
// followed only as far as the text needs: an open-element stack for pre, template and SVG, with
// the end tags browsers imply for p, li, dd, dt, td, th, tr and option.
#include "documents/html_text.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/html_elements.h"
#include "documents/html_entities.h"
#include "documents/text_encoding.h"

namespace {

const size_t kMaxOpenElements = 512;  // deeper elements are read but not tracked
const size_t kMaxTagName = 13;        // longer names are known by their hash only
const size_t kMaxAttributeName = 12;

// Where an attribute's value starts in the page; it is read again when written.
struct AttributeValue {
    CodePointReader start;
    uint32_t cQuote;  // 0 for an unquoted value
    bool bFound;
};

enum AttributeName { kAttributeAlt, kAttributeTitle, kAttributeName, kAttributeContent, kAttributeCount };
const char* const kAttributeNames[kAttributeCount] = {"alt", "title", "name", "content"};

struct OpenElement {
    uint32_t nHash;
    const ElementInfo* pInfo;
    bool bWasForeign;  // whether the reader was inside SVG before this element
};

class HtmlReader {
public:
    HtmlReader(const CodePointReader& page, DocumentText* pText)
        : page(page), in(page), pText(pText), out(pText), nOpen(0), nUntracked(0), nPreformatted(0), nHidden(0),
          bForeign(false), bTitlePass(false), bDone(false), offTitle(0) {}

    // The document's title: the first title element before the body.
    // bShow: the title is written (else only found, so that the page's pass leaves it out).
    void ReadTitle(bool bShow) {
        bShowTitle = bShow;
        bTitlePass = true;
        Run();
    }
    void ReadPage() {
        bTitlePass = false;
        Run();
        out.EndParagraph();
        out.Flush();
    }

private:
    void Run();
    void ReadMarkup();
    void ReadTag(bool bEnd);
    void StartTag(const ElementInfo& info, uint32_t nHash, const char* szName, bool bSelfClosing);
    void EndTag(const ElementInfo& info, uint32_t nHash);
    void ReadRawText(const char* szName, const ElementInfo& info, bool bShow, bool bTitle);
    bool AtEndTag(const char* szName);
    void SkipToTagEnd();
    void SkipBogusComment();
    void SkipComment();
    void Text(uint32_t c) { nPreformatted > 0 ? out.PreChar(c) : out.FlowChar(c); }
    void Reference(bool bPre);
    void WriteAttribute(const AttributeValue& value);
    bool AttributeIs(const AttributeValue& value, const char* szLower);
    void Push(const ElementInfo& info, uint32_t nHash);
    void PopTo(size_t nIndex);
    void LeaveSvg();
    void CloseGroups(uint8_t nGroups);
    void UpdateMuting() { out.SetMuted(bTitlePass || nHidden > 0); }

    CodePointReader page;
    CodePointReader in;
    DocumentText* pText;
    ParagraphWriter out;
    AttributeValue attributes[kAttributeCount];
    OpenElement open[kMaxOpenElements];
    size_t nOpen;
    size_t nUntracked;
    size_t nPreformatted;
    size_t nHidden;
    bool bForeign;  // inside inline SVG, outside its foreignObject
    bool bTitlePass;
    bool bShowTitle = true;
    bool bDone;
    size_t offTitle;  // where the document's title element's content starts, 0 when it has none
};

void HtmlReader::Run() {
    in = page;
    nOpen = nUntracked = nPreformatted = nHidden = 0;
    bForeign = bDone = false;
    UpdateMuting();
    uint64_t cbTold = 0;
    while (!bDone && pText->Refusal() == nullptr && pText->ParsedUpTo(in.Offset(), &cbTold)) {
        uint32_t c = in.Next();
        if (c == kEndOfText) break;
        if (c == '<') ReadMarkup();
        else if (c == '&') Reference(nPreformatted > 0);
        else Text(c);
    }
}

void HtmlReader::Reference(bool bPre) {
    uint32_t nFirst, nSecond;
    if (!ReadCharacterReference(&in, false, &nFirst, &nSecond)) {
        nFirst = '&';
        nSecond = 0;
    }
    bPre ? out.PreChar(nFirst) : out.FlowChar(nFirst);
    if (nSecond != 0) bPre ? out.PreChar(nSecond) : out.FlowChar(nSecond);
}

void HtmlReader::ReadMarkup() {
    uint32_t c = in.Peek();
    if (c == '!') {
        in.Next();
        CodePointReader ahead = in;
        if (ahead.Next() == '-' && ahead.Next() == '-') {
            in = ahead;
            SkipComment();
        } else {
            SkipBogusComment();  // <!DOCTYPE ...>, <![CDATA[...]]> outside foreign content
        }
    } else if (c == '?') {
        SkipBogusComment();
    } else if (c == '/') {
        in.Next();
        c = in.Peek();
        if (IsAsciiLetter(c)) ReadTag(true);
        else if (c == '>') in.Next();
        else SkipBogusComment();
    } else if (IsAsciiLetter(c)) {
        ReadTag(false);
    } else {
        Text('<');
    }
}

void HtmlReader::SkipComment() {
    // "<!-->" and "<!--->" are whole comments; otherwise it ends at "-->" or "--!>".
    CodePointReader ahead = in;
    if (ahead.Peek() == '-') ahead.Next();
    if (ahead.Peek() == '>') {
        ahead.Next();
        in = ahead;
        return;
    }
    size_t nDashes = 0;
    for (;;) {
        uint32_t c = in.Next();
        if (c == kEndOfText) return;
        if (c == '>' && nDashes >= 2) return;
        if (c == '!' && nDashes >= 2 && in.Peek() == '>') {
            in.Next();
            return;
        }
        nDashes = c == '-' ? nDashes + 1 : 0;
    }
}

void HtmlReader::SkipBogusComment() {
    for (uint32_t c = in.Next(); c != '>' && c != kEndOfText; c = in.Next()) {
    }
}

void HtmlReader::ReadTag(bool bEnd) {
    char szName[kMaxTagName + 1];
    size_t cbName = 0;
    uint32_t nHash = 2166136261u;  // FNV-1a over the lower-cased name
    bool bLong = false;
    for (uint32_t c = in.Peek(); c != kEndOfText && !IsAsciiSpace(c) && c != '/' && c != '>'; c = in.Peek()) {
        in.Next();
        c = AsciiLower(c);
        nHash = (nHash ^ c) * 16777619u;
        if (cbName < kMaxTagName && c < 0x80) szName[cbName++] = static_cast<char>(c);
        else bLong = true;
    }
    szName[cbName] = '\0';
    for (AttributeValue& value : attributes) value.bFound = false;
    bool bSelfClosing = false;  // "/>", which only foreign elements heed
    for (;;) {
        uint32_t c = in.Next();
        if (c == kEndOfText) return;  // a tag the end of the page cuts is dropped
        if (c == '>') break;
        bSelfClosing = c == '/';
        if (IsAsciiSpace(c) || c == '/') continue;
        char szAttribute[kMaxAttributeName + 1];
        size_t cbAttribute = 0;
        for (;;) {
            if (cbAttribute == kMaxAttributeName) szAttribute[0] = '?';  // a long name is none of those read
            else szAttribute[cbAttribute++] = static_cast<char>(c < 0x80 ? AsciiLower(c) : '?');
            c = in.Peek();
            if (c == kEndOfText || IsAsciiSpace(c) || c == '/' || c == '>' || c == '=') break;
            in.Next();
        }
        szAttribute[cbAttribute] = '\0';
        while (IsAsciiSpace(in.Peek())) in.Next();
        if (in.Peek() != '=') continue;
        in.Next();
        while (IsAsciiSpace(in.Peek())) in.Next();
        c = in.Peek();
        AttributeValue value = {in, 0, true};
        if (c == '"' || c == '\'') {
            in.Next();
            value.start = in;
            value.cQuote = c;
            for (c = in.Next(); c != value.cQuote && c != kEndOfText; c = in.Next()) {
            }
        } else {
            for (; c != kEndOfText && !IsAsciiSpace(c) && c != '>'; c = in.Peek()) in.Next();
        }
        for (int i = 0; i < kAttributeCount; ++i) {
            // The first of two attributes of one name is the one browsers keep.
            if (!attributes[i].bFound && strcmp(szAttribute, kAttributeNames[i]) == 0) attributes[i] = value;
        }
    }
    if (!bEnd && bForeign && !bLong && EndsSvg(szName)) LeaveSvg();
    const ElementInfo& info = bLong ? kUnknownElement : bForeign ? FindForeignElement(szName) : FindElement(szName);
    if (bEnd) EndTag(info, nHash);
    else StartTag(info, nHash, szName, bSelfClosing);
}

void HtmlReader::StartTag(const ElementInfo& info, uint32_t nHash, const char* szName, bool bSelfClosing) {
    if (bTitlePass && strcmp(info.szName, "body") == 0) {
        bDone = true;
        return;
    }
    if (info.nCloses != 0) CloseGroups(info.nCloses);
    if (info.nFlags & kBlock) out.EndParagraph();
    if (attributes[kAttributeTitle].bFound) WriteAttribute(attributes[kAttributeTitle]);
    if (strcmp(info.szName, "img") == 0 && attributes[kAttributeAlt].bFound) WriteAttribute(attributes[kAttributeAlt]);
    if (strcmp(info.szName, "meta") == 0 && attributes[kAttributeContent].bFound &&
        (AttributeIs(attributes[kAttributeName], "description") || AttributeIs(attributes[kAttributeName], "keywords")))
        WriteAttribute(attributes[kAttributeContent]);
    if (strcmp(info.szName, "br") == 0) out.LineBreak();
    if (info.nFlags & (kRawText | kEscapableRaw)) {
        bool bTitle = strcmp(info.szName, "title") == 0;
        ReadRawText(szName, info, bTitle || (info.nFlags & kShowRaw) != 0, bTitle);
        return;
    }
    if ((info.nFlags & kVoid) || (bSelfClosing && (bForeign || (info.nFlags & kForeign)))) return;
    Push(info, nHash);
    // A line break right after <pre> or <listing> is not shown.
    if ((info.nFlags & kPreformatted) && in.Peek() == '\n') in.Next();
}

void HtmlReader::EndTag(const ElementInfo& info, uint32_t nHash) {
    if (strcmp(info.szName, "br") == 0) {
        out.LineBreak();  // browsers read </br> as <br>
        return;
    }
    if (info.nFlags & kBlock) out.EndParagraph();
    if (nUntracked > 0) {
        --nUntracked;
        return;
    }
    for (size_t i = nOpen; i > 0; --i) {
        if (open[i - 1].nHash == nHash) {
            PopTo(i - 1);
            return;
        }
    }
}

void HtmlReader::Push(const ElementInfo& info, uint32_t nHash) {
    if (nOpen == kMaxOpenElements) {
        ++nUntracked;
        return;
    }
    open[nOpen].nHash = nHash;
    open[nOpen].pInfo = &info;
    open[nOpen].bWasForeign = bForeign;
    ++nOpen;
    if (info.nFlags & kPreformatted) ++nPreformatted;
    if (info.nFlags & kHidden) ++nHidden;
    if (info.nFlags & (kForeign | kIntegration)) bForeign = (info.nFlags & kForeign) != 0;
    UpdateMuting();
}

void HtmlReader::PopTo(size_t nIndex) {
    if (nIndex < nOpen) bForeign = open[nIndex].bWasForeign;
    while (nOpen > nIndex) {
        const ElementInfo& info = *open[--nOpen].pInfo;
        if (info.nFlags & kPreformatted) --nPreformatted;
        if (info.nFlags & kHidden) --nHidden;
    }
    UpdateMuting();
}

void HtmlReader::LeaveSvg() {
    // Every svg element open up to the nearest foreignObject, or to the page's own elements.
    while (bForeign) {
        size_t i = nOpen;
        while (i > 0 && !(open[i - 1].pInfo->nFlags & kForeign)) --i;
        if (i == 0) {
            bForeign = false;
            break;
        }
        PopTo(i - 1);
    }
}

void HtmlReader::CloseGroups(uint8_t nGroups) {
    if (nUntracked > 0) return;
    for (size_t i = nOpen; i > 0; --i) {
        const ElementInfo& info = *open[i - 1].pInfo;
        if (info.nGroup & nGroups) {
            PopTo(i - 1);
            return;
        }
        if (info.nStops & nGroups) return;
    }
}

bool HtmlReader::AtEndTag(const char* szName) {
    // "</name" followed by white space, '/' or '>', in any case.
    CodePointReader ahead = in;
    if (ahead.Next() != '/') return false;
    for (const char* p = szName; *p != '\0'; ++p) {
        if (AsciiLower(ahead.Next()) != static_cast<uint32_t>(*p)) return false;
    }
    uint32_t c = ahead.Peek();
    if (!(IsAsciiSpace(c) || c == '/' || c == '>')) return false;
    in = ahead;
    return true;
}

void HtmlReader::SkipToTagEnd() {
    // The rest of an end tag, its attributes' quotes respected.
    for (uint32_t c = in.Next(); c != '>' && c != kEndOfText; c = in.Next()) {
        if (c == '=') {
            while (IsAsciiSpace(in.Peek())) in.Next();
            uint32_t cQuote = in.Peek();
            if (cQuote != '"' && cQuote != '\'') continue;
            in.Next();
            for (c = in.Next(); c != cQuote && c != kEndOfText; c = in.Next()) {
            }
        }
    }
}

void HtmlReader::ReadRawText(const char* szName, const ElementInfo& info, bool bShow, bool bTitle) {
    bool bPre = (info.nFlags & kPreformatted) != 0;
    bool bMuted = !bShow || nHidden > 0;
    if (bTitle) {
        // The document's title is written by the first pass; any other title is a tooltip's text.
        bool bDocumentTitle = offTitle == 0 && bTitlePass && nHidden == 0;
        if (bDocumentTitle) offTitle = in.Offset() + 1;
        bMuted = bMuted || (bTitlePass ? !bDocumentTitle || !bShowTitle : in.Offset() + 1 == offTitle);
        if (bTitlePass) bDone = bDocumentTitle;
    } else if (bTitlePass) {
        bMuted = true;
    }
    if (bShow) out.EndParagraph();
    out.SetMuted(bMuted);
    if ((info.nFlags & kEscapableRaw) && bPre && in.Peek() == '\n') in.Next();  // textarea, as pre
    for (;;) {
        uint32_t c = in.Next();
        if (c == kEndOfText) break;
        if (c == '<' && !(info.nFlags & kToTheEnd) && AtEndTag(szName)) {
            SkipToTagEnd();
            break;
        }
        if (c == '&' && (info.nFlags & kEscapableRaw)) Reference(bPre);
        else bPre ? out.PreChar(c) : out.FlowChar(c);
    }
    if (bShow) out.EndParagraph();
    UpdateMuting();
}

void HtmlReader::WriteAttribute(const AttributeValue& value) {
    out.EndParagraph();
    CodePointReader saved = in;
    in = value.start;
    for (uint32_t c = in.Next(); c != kEndOfText && c != value.cQuote; c = in.Next()) {
        if (value.cQuote == 0 && (IsAsciiSpace(c) || c == '>')) break;
        if (c != '&') {
            out.FlowChar(c);
            continue;
        }
        uint32_t nFirst, nSecond;
        if (!ReadCharacterReference(&in, true, &nFirst, &nSecond)) {
            nFirst = '&';
            nSecond = 0;
        }
        out.FlowChar(nFirst);
        if (nSecond != 0) out.FlowChar(nSecond);
    }
    in = saved;
    out.EndParagraph();
}

bool HtmlReader::AttributeIs(const AttributeValue& value, const char* szLower) {
    if (!value.bFound) return false;
    CodePointReader reader = value.start;
    for (const char* p = szLower; *p != '\0'; ++p) {
        if (AsciiLower(reader.Next()) != static_cast<uint32_t>(*p)) return false;
    }
    uint32_t c = reader.Peek();
    return value.cQuote != 0 ? c == value.cQuote : (c == kEndOfText || IsAsciiSpace(c) || c == '>');
}

}  // namespace

bool ReadHtmlText(const unsigned char* pData, size_t cbData, int nFallbackCodePage, DocumentText* pText,
                  bool bWithTitle) {
    if (!MakeHtmlEntityTable()) return pText->Refuse(kRefusedOutOfMemory);
    size_t cbMark;
    int nCodePage = CodePageOfByteOrderMark(pData, cbData, &cbMark);
    if (nCodePage == 0) {
        bool bDeclared;
        nCodePage = DeclaredHtmlCodePage(pData, cbData, &bDeclared);
        // A label no browser knows is ignored, as browsers ignore it.
        (void)bDeclared;
        if (nCodePage == 0) nCodePage = CodePageOrTextRule(pData, cbData, nFallbackCodePage);
    }
    ReadableText text(pText);
    if (!text.Prepare(pData + cbMark, cbData - cbMark, nCodePage)) return false;
    HtmlReader reader(text.Reader(), pText);
    reader.ReadTitle(bWithTitle);
    reader.ReadPage();
    return pText->Refusal() == nullptr;
}
