#include "documents/properties_text.h"

#include "documents/ascii_classes.h"
#include "documents/text_encoding.h"
#include "documents/unit_text.h"
#include "measure/text_file.h"

const char kRefusedBadProperties[] = "the file is damaged: it is not a well-formed properties file";

namespace {

// White space as Properties.load has it: space, tab, form feed.
bool IsPropertiesSpace(uint32_t c) { return c == ' ' || c == '\t' || c == '\f'; }

class PropertiesParser {
public:
    explicit PropertiesParser(DocumentText* pText) : pText(pText), value(pText) {}
    bool Parse(CodePointReader in);

private:
    void SkipSpace(CodePointReader* pIn) {
        while (IsPropertiesSpace(pIn->Peek())) pIn->Next();
    }
    // After a backslash: a line continued (the next line's leading white space dropped), or an
    // escaped character, which *pc receives. False at the end of the text.
    bool ReadEscape(CodePointReader* pIn, uint32_t* pc);
    bool ReadLogicalLine(CodePointReader* pIn);

    DocumentText* pText;
    UnitText value;
    uint64_t nLine = 0;
    bool bContinued = false;
};

bool PropertiesParser::ReadEscape(CodePointReader* pIn, uint32_t* pc) {
    uint32_t c = pIn->Next();
    bContinued = false;
    if (c == kEndOfText) return false;
    if (c == '\n') {
        ++nLine;
        SkipSpace(pIn);
        bContinued = true;
        return true;
    }
    switch (c) {
    case 't': *pc = '\t'; break;
    case 'n': *pc = '\n'; break;
    case 'r': *pc = '\r'; break;
    case 'f': *pc = '\f'; break;
    case 'u':
        if (!ReadUnicodeEscape(pIn, 'u', pc))
            return RefuseAtLine(pText, kRefusedBadProperties, nLine, "a \\u escape without four hex digits", pIn->Offset());
        break;
    default: *pc = c; break;
    }
    return true;
}

// A key, its separator and its value, to the end of the line that does not continue.
bool PropertiesParser::ReadLogicalLine(CodePointReader* pIn) {
    // The key: up to an unescaped '=', ':' or white space.
    for (;;) {
        uint32_t c = pIn->Next();
        if (c == '\n' || c == kEndOfText) return true;  // a key without a value
        if (c == '=' || c == ':') break;
        if (IsPropertiesSpace(c)) {
            SkipSpace(pIn);
            if (pIn->Peek() == '=' || pIn->Peek() == ':') pIn->Next();
            break;
        }
        if (c == '\\') {
            uint32_t nIgnored;
            if (!ReadEscape(pIn, &nIgnored)) return pText->Refusal() == nullptr;
        }
    }
    SkipSpace(pIn);
    value.Clear();
    for (uint32_t c = pIn->Next(); c != '\n' && c != kEndOfText; c = pIn->Next()) {
        if (c == '\\') {
            // A backslash that ends the file is dropped, as Java drops it.
            if (!ReadEscape(pIn, &c)) break;
            if (bContinued) continue;
        }
        if (!value.Add(c)) return false;
    }
    if (pText->Refusal() != nullptr) return false;
    value.PutParagraph();
    return true;
}

bool PropertiesParser::Parse(CodePointReader in) {
    uint64_t cbTold = 0;
    while (!in.AtEnd() && pText->ParsedUpTo(in.Offset(), &cbTold)) {
        ++nLine;
        SkipSpace(&in);
        uint32_t c = in.Peek();
        if (c == '#' || c == '!' || c == '\n') {
            // A comment line never continues, whatever it ends with.
            for (uint32_t d = in.Next(); d != '\n' && d != kEndOfText; d = in.Next()) {
            }
            continue;
        }
        if (!ReadLogicalLine(&in)) return false;
    }
    return pText->Refusal() == nullptr;
}

}  // namespace

bool ReadPropertiesText(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    if (cbData >= 3 && pData[0] == 0xEF && pData[1] == 0xBB && pData[2] == 0xBF) {
        pData += 3;
        cbData -= 3;
    }
    PropertiesParser parser(pText);
    if (IsUtf8Text(pData, cbData, false)) return parser.Parse(CodePointReader(pData, cbData, kCodePageUtf8));
    // ISO-8859-1: each byte is its code point; as UTF-8, at most two bytes each.
    GrowingBytes utf8(pText->Kept());
    if (cbData > SIZE_MAX / 2 || !utf8.Reserve(cbData * 2)) return pText->RefuseGrowth();
    for (size_t i = 0; i < cbData; ++i) {
        unsigned char b = pData[i];
        char two[2] = {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
        (void)utf8.Append(b < 0x80 ? reinterpret_cast<const char*>(&pData[i]) : two, b < 0x80 ? 1 : 2);
    }
    return parser.Parse(CodePointReader(reinterpret_cast<const unsigned char*>(utf8.Data()), utf8.Size(), kCodePageUtf8));
}
