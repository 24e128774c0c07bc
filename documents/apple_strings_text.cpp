#include "documents/apple_strings_text.h"

#include "documents/ascii_classes.h"
#include "documents/text_encoding.h"
#include "documents/unit_text.h"

const char kRefusedBadStrings[] = "the file is damaged: it is not a well-formed .strings file";

namespace {

// The characters of a key or value written without quotes.
bool IsBareCharacter(uint32_t c) { return IsAsciiAlphanumeric(c) || c == '_' || c == '.' || c == '-' || c == '$' || c == '/' || c == ':'; }

class StringsParser {
public:
    explicit StringsParser(DocumentText* pText) : pText(pText), value(pText) {}
    bool Parse(CodePointReader in);

private:
    bool Fail(const char* szWhat, const CodePointReader& where) { return FailAt(szWhat, where, nLine); }
    // A string or comment without its end is refused where it starts.
    bool FailAt(const char* szWhat, const CodePointReader& where, uint64_t nWhere) {
        return RefuseAtLine(pText, kRefusedBadStrings, nWhere, szWhat, where.Offset());
    }
    uint32_t Next(CodePointReader* pIn) {
        uint32_t c = pIn->Next();
        if (c == '\n') ++nLine;
        return c;
    }
    // Past white space and comments to the next token; false when a comment has no end.
    bool SkipSpaceAndComments(CodePointReader* pIn);
    // A quoted or bare string; its text goes to value when bKeep.
    bool ReadString(CodePointReader* pIn, bool bKeep, const char* szWhich);

    DocumentText* pText;
    UnitText value;
    uint64_t nLine = 1;
};

bool StringsParser::SkipSpaceAndComments(CodePointReader* pIn) {
    for (;;) {
        uint32_t c = pIn->Peek();
        if (IsAsciiSpace(c)) {
            Next(pIn);
            continue;
        }
        if (c != '/') return true;
        CodePointReader ahead = *pIn;
        ahead.Next();
        uint32_t d = ahead.Next();
        if (d == '/') {
            while (pIn->Peek() != '\n' && pIn->Peek() != kEndOfText) pIn->Next();
        } else if (d == '*') {
            CodePointReader start = *pIn;
            uint64_t nStartLine = nLine;
            Next(pIn);
            Next(pIn);
            uint32_t nPrevious = 0;
            for (c = Next(pIn); !(nPrevious == '*' && c == '/'); c = Next(pIn)) {
                if (c == kEndOfText) return FailAt("a comment without its end", start, nStartLine);
                nPrevious = c;
            }
        } else {
            return true;
        }
    }
}

bool StringsParser::ReadString(CodePointReader* pIn, bool bKeep, const char* szWhich) {
    value.Clear();
    uint32_t c = pIn->Peek();
    if (c != '"') {
        if (!IsBareCharacter(c)) return Fail(szWhich, *pIn);
        while (IsBareCharacter(pIn->Peek())) {
            c = pIn->Next();
            if (bKeep && !value.Add(c)) return false;
        }
        return true;
    }
    CodePointReader start = *pIn;
    uint64_t nStartLine = nLine;
    pIn->Next();
    for (c = Next(pIn); c != '"'; c = Next(pIn)) {
        if (c == kEndOfText) return FailAt("a string without its closing quote", start, nStartLine);
        if (c == '\\') {
            c = Next(pIn);
            if (c == kEndOfText) return FailAt("a string without its closing quote", start, nStartLine);
            if (c == 'n') c = '\n';
            else if (c == 't') c = '\t';
            else if (c == 'r') c = '\r';
            else if ((c == 'U' || c == 'u') && !ReadUnicodeEscape(pIn, c, &c))
                return Fail("a \\U escape without four hex digits", *pIn);
        }
        if (bKeep && !value.Add(c)) return false;
    }
    return true;
}

bool StringsParser::Parse(CodePointReader in) {
    uint64_t cbTold = 0;
    for (;;) {
        if (!pText->ParsedUpTo(in.Offset(), &cbTold) || !SkipSpaceAndComments(&in)) return false;
        if (in.AtEnd()) return true;
        if (!ReadString(&in, false, "a key that is neither quoted nor a bare word")) return false;
        if (!SkipSpaceAndComments(&in)) return false;
        if (in.Peek() != '=') return Fail("a key without its '='", in);
        in.Next();
        if (!SkipSpaceAndComments(&in) || !ReadString(&in, true, "an '=' without its value")) return false;
        if (!SkipSpaceAndComments(&in)) return false;
        if (in.Peek() != ';') return Fail("a value without its ';'", in);
        in.Next();
        value.PutParagraph();
        if (pText->Refusal() != nullptr) return false;
    }
}

// UTF-16 without a byte-order mark: the zero high bytes of its ASCII, at odd offsets (little
// endian) or even ones (big endian), in the first bytes.
int CodePageOfUnmarkedText(const unsigned char* pData, size_t cbData) {
    size_t nPairs = cbData / 2 < 32 ? cbData / 2 : 32;
    size_t nZeroEven = 0, nZeroOdd = 0;
    for (size_t i = 0; i < nPairs; ++i) {
        nZeroEven += pData[2 * i] == 0;
        nZeroOdd += pData[2 * i + 1] == 0;
    }
    if (nPairs > 0 && nZeroOdd * 2 > nPairs && nZeroEven == 0) return kCodePageUtf16LE;
    if (nPairs > 0 && nZeroEven * 2 > nPairs && nZeroOdd == 0) return kCodePageUtf16BE;
    return kCodePageUtf8;
}

}  // namespace

bool ReadAppleStringsText(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    size_t cbMark;
    int nCodePage = CodePageOfByteOrderMark(pData, cbData, &cbMark);
    if (nCodePage == 0) nCodePage = CodePageOfUnmarkedText(pData, cbData);
    StringsParser parser(pText);
    return parser.Parse(CodePointReader(pData + cbMark, cbData - cbMark, nCodePage)) && pText->Refusal() == nullptr;
}
