#include "documents/po_text.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/text_encoding.h"
#include "documents/unit_text.h"

const char kRefusedBadPo[] = "the file is damaged: it is not a well-formed PO file";

namespace {

// What the strings of the keyword being read go to.
enum class PoField { kNone, kContext, kId, kPlural, kTranslation };

// One pass over the catalog. The scan for the header's charset reads the same grammar without
// putting anything or refusing: the real pass says what is wrong.
class PoParser {
public:
    PoParser(DocumentText* pText, int nCodePage, bool bScan)
        : pText(pText), table(FindCodePage(nCodePage)), bScan(bScan), bTarget(pText->Translation().side == TranslationSide::kTarget), text(pText) {}

    bool Parse(CodePointReader in);
    // The header's msgstr, after a scan.
    const UnitText& Header() const { return text; }
    bool HeaderFound() const { return bHeaderFound; }

private:
    bool Fail(const char* szWhat, const CodePointReader& where);
    bool ReadKeywordLine(CodePointReader* pIn);
    bool ReadString(CodePointReader* pIn);
    bool ReadEscape(CodePointReader* pIn);
    bool EndField();
    void EndEntry();

    DocumentText* pText;
    const CodePageTable* table;  // for escaped bytes in a single-byte code page
    bool bScan;
    bool bTarget;
    UnitText text;
    PoField field = PoField::kNone;
    bool bHasId = false, bHasPlural = false, bHasTranslation = false, bPluralForms = false;
    bool bHeader = false, bTranslated = false, bHeaderFound = false, bScanDone = false;
    uint64_t nLine = 0;
};

bool PoParser::Fail(const char* szWhat, const CodePointReader& where) {
    if (bScan) return false;
    return RefuseAtLine(pText, kRefusedBadPo, nLine, szWhat, where.Offset());
}

// The string just read has ended: it counts, or it is dropped.
bool PoParser::EndField() {
    switch (field) {
    case PoField::kId:
        bHeader = text.Empty();
        if (!bScan && !bTarget) text.PutParagraph();
        break;
    case PoField::kPlural:
        if (!bScan && !bTarget && !bHeader) text.PutParagraph();
        break;
    case PoField::kTranslation:
        if (bScan && bHeader) {
            bHeaderFound = bScanDone = true;
            return false;  // the text holds the header
        }
        if (bScan && !bHeader) bScanDone = true;
        if (!bScan && bTarget && !bHeader && text.PutParagraph()) bTranslated = true;
        break;
    default: break;
    }
    text.Clear();
    field = PoField::kNone;
    return !bScanDone;
}

void PoParser::EndEntry() {
    if (!bScan && bTarget && bHasId && !bHeader && !bTranslated) pText->NoteUntranslated();
    bHasId = bHasPlural = bHasTranslation = bPluralForms = bHeader = bTranslated = false;
}

bool PoParser::ReadEscape(CodePointReader* pIn) {
    CodePointReader letter = *pIn;
    uint32_t c = pIn->Next();
    const char kNamed[] = "n\nt\tr\ra\ab\bf\fv\v\"\"\\\\";
    for (size_t i = 0; i + 1 < sizeof(kNamed); i += 2)
        if (c == static_cast<unsigned char>(kNamed[i])) return text.Add(static_cast<unsigned char>(kNamed[i + 1]));
    unsigned nByte = 0;
    if (c >= '0' && c <= '7') {
        nByte = c - '0';
        for (int i = 0; i < 2 && pIn->Peek() >= '0' && pIn->Peek() <= '7'; ++i) nByte = nByte * 8 + (pIn->Next() - '0');
    } else if (c == 'x' && HexDigitValue(pIn->Peek()) >= 0) {
        nByte = static_cast<unsigned>(HexDigitValue(pIn->Next()));
        if (HexDigitValue(pIn->Peek()) >= 0) nByte = nByte * 16 + static_cast<unsigned>(HexDigitValue(pIn->Next()));
    } else {
        return Fail("an unknown escape in a string", letter);
    }
    nByte &= 0xFF;
    // The escape names a byte of the file's encoding.
    if (nByte >= 0x80 && table != nullptr) return text.Add(CodePageCodePoint(*table, static_cast<unsigned char>(nByte)));
    return text.AddByte(static_cast<unsigned char>(nByte));
}

// A string from its opening quote to the line's end, appended to the field's text.
bool PoParser::ReadString(CodePointReader* pIn) {
    for (uint32_t c = pIn->Next(); c != '"'; c = pIn->Next()) {
        if (c == '\n' || c == kEndOfText) return Fail("a string without its closing quote", *pIn);
        if (c == '\\') {
            if (!ReadEscape(pIn)) return false;
        } else if (!text.Add(c)) {
            return false;
        }
    }
    uint32_t c = pIn->Next();
    while (IsSpaceOrTab(c)) c = pIn->Next();
    if (c != '\n' && c != kEndOfText) return Fail("text after a string", *pIn);
    return true;
}

bool PoParser::ReadKeywordLine(CodePointReader* pIn) {
    CodePointReader start = *pIn;
    char szWord[16];
    size_t cbWord = 0;
    uint32_t c = pIn->Peek();
    while ((IsAsciiLetter(c) || c == '_' || c == '[' || c == ']' || IsAsciiDigit(c)) && cbWord < sizeof(szWord) - 1) {
        szWord[cbWord++] = static_cast<char>(pIn->Next());
        c = pIn->Peek();
    }
    szWord[cbWord] = '\0';
    bool bIndexed = strncmp(szWord, "msgstr[", 7) == 0 && cbWord > 8 && szWord[cbWord - 1] == ']';
    for (size_t i = 7; bIndexed && i + 1 < cbWord; ++i) bIndexed = IsAsciiDigit(static_cast<unsigned char>(szWord[i]));
    PoField next = PoField::kNone;
    if (strcmp(szWord, "msgctxt") == 0) next = PoField::kContext;
    else if (strcmp(szWord, "msgid") == 0) next = PoField::kId;
    else if (strcmp(szWord, "msgid_plural") == 0) next = PoField::kPlural;
    else if (strcmp(szWord, "msgstr") == 0 || bIndexed) next = PoField::kTranslation;
    if (next == PoField::kNone) return Fail("a line that is neither a keyword, a string nor a comment", start);
    if (!IsSpaceOrTab(pIn->Peek())) return Fail("a keyword without its string", *pIn);
    while (IsSpaceOrTab(pIn->Peek())) pIn->Next();
    if (pIn->Next() != '"') return Fail("a keyword without its string", *pIn);
    // A context or message after a translation starts the next entry.
    if ((next == PoField::kContext || next == PoField::kId) && bHasTranslation) EndEntry();
    switch (next) {
    case PoField::kContext:
        if (bHasId) return Fail("msgctxt after msgid", *pIn);
        break;
    case PoField::kId:
        if (bHasId) return Fail("a second msgid in one entry", *pIn);
        bHasId = true;
        break;
    case PoField::kPlural:
        if (!bHasId || bHasPlural || bHasTranslation) return Fail("msgid_plural out of place", *pIn);
        bHasPlural = true;
        break;
    default:
        if (!bHasId) return Fail("msgstr without msgid", *pIn);
        if (bHasTranslation && !(bIndexed && bPluralForms)) return Fail("a second msgstr in one entry", *pIn);
        bHasTranslation = true;
        bPluralForms = bIndexed;
        break;
    }
    field = next;
    return ReadString(pIn);
}

bool PoParser::Parse(CodePointReader in) {
    uint64_t cbTold = 0;
    while (!in.AtEnd() && pText->Refusal() == nullptr && (bScan || pText->ParsedUpTo(in.Offset(), &cbTold))) {
        ++nLine;
        while (IsSpaceOrTab(in.Peek())) in.Next();
        uint32_t c = in.Peek();
        if (c == '"') {
            in.Next();
            if (field == PoField::kNone) return Fail("a string that follows no keyword", in);
            if (!ReadString(&in)) return false;
            continue;
        }
        if (!EndField()) return false;
        if (c == '#' || c == '\n') {
            // A comment after a translation belongs to the next entry; an obsolete entry (#~) is
            // a comment too.
            if (c == '#' && bHasTranslation) EndEntry();
            for (uint32_t d = in.Next(); d != '\n' && d != kEndOfText; d = in.Next()) {
            }
            continue;
        }
        if (c == kEndOfText) break;
        if (!ReadKeywordLine(&in)) return false;
    }
    if (pText->Refusal() != nullptr) return false;
    if (!EndField()) return false;
    if (bHasId && !bHasTranslation) return Fail("msgid without msgstr at the end", in);
    EndEntry();
    return true;
}

// The code page the header's "Content-Type: text/plain; charset=X" names, or 0.
int CodePageOfHeader(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    PoParser scan(pText, kCodePageUtf8, true);
    scan.Parse(CodePointReader(pData, cbData, kCodePageUtf8));
    if (!scan.HeaderFound()) return kCodePageUtf8;
    const char* p = scan.Header().Data();
    size_t cb = scan.Header().Size();
    const char szName[] = "charset=";
    const size_t cbName = sizeof(szName) - 1;
    for (size_t i = 0; i + cbName <= cb; ++i) {
        size_t j = 0;
        while (j < cbName && AsciiLower(p[i + j]) == szName[j]) ++j;
        if (j < cbName) continue;
        size_t offLabel = i + cbName, offEnd = offLabel;
        while (offEnd < cb && !IsAsciiSpace(static_cast<unsigned char>(p[offEnd])) && p[offEnd] != ';') ++offEnd;
        int nCodePage = CodePageOfCharsetLabel(p + offLabel, offEnd - offLabel);
        // A template's "CHARSET", or a label no one knows.
        return nCodePage != 0 ? nCodePage : CodePageOfPlainText(pData, cbData);
    }
    return kCodePageUtf8;
}

}  // namespace

bool ReadPoText(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    size_t cbMark;
    int nCodePage = CodePageOfByteOrderMark(pData, cbData, &cbMark);
    pData += cbMark;
    cbData -= cbMark;
    if (nCodePage == 0) nCodePage = CodePageOfHeader(pData, cbData, pText);
    if (pText->Refusal() != nullptr) return false;
    ReadableText readable(pText);
    if (!readable.Prepare(pData, cbData, nCodePage)) return false;
    PoParser parser(pText, nCodePage, false);
    return parser.Parse(readable.Reader()) && pText->Refusal() == nullptr;
}
