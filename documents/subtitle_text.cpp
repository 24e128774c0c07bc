// Blocks are separated by blank lines (or lines of spaces). A block is a cue when its first or
// second line is a timing line (a digit first, "-->" in it); the line before the timing line (a
// sequence number, a WebVTT cue identifier) is skipped, and every line after it is cue text. Other
// blocks (WebVTT's header, NOTE, STYLE and REGION blocks, stray lines) are not text.
#include "documents/subtitle_text.h"

#include <string.h>

#include "documents/ascii_classes.h"
#include "documents/html_entities.h"
#include "documents/text_encoding.h"

namespace {

struct LineFacts {
    bool bBlank;
    bool bTiming;
    bool bDigits;      // a sequence number
    bool bHeader;      // "WEBVTT"
    bool bOtherBlock;  // WebVTT's NOTE, STYLE or REGION
};


// Whether the line starts with a word (followed by a space, a tab or the line's end).
bool StartsWithWord(const char* szStart, const char* szWord) {
    size_t cbWord = strlen(szWord);
    if (strncmp(szStart, szWord, cbWord) != 0) return false;
    return szStart[cbWord] == '\0' || IsSpaceOrTab(static_cast<unsigned char>(szStart[cbWord]));
}

// Reads one line, up to and past its line break.
LineFacts ReadLine(CodePointReader* pIn) {
    char szStart[8];
    size_t cbStart = 0, nDashes = 0;
    bool bBlank = true, bDigitFirst = false, bArrow = false, bDigits = true;
    for (uint32_t c = pIn->Next(); c != '\n' && c != kEndOfText; c = pIn->Next()) {
        if (!IsSpaceOrTab(c)) {
            if (bBlank) bDigitFirst = IsAsciiDigit(c);
            bBlank = false;
            bDigits = bDigits && IsAsciiDigit(c);
        }
        if (cbStart < sizeof(szStart) - 1) szStart[cbStart++] = static_cast<char>(c < 0x80 ? c : '?');
        if (c == '>' && nDashes >= 2) bArrow = true;
        nDashes = c == '-' ? nDashes + 1 : 0;
    }
    szStart[cbStart] = '\0';
    LineFacts facts;
    facts.bBlank = bBlank;
    facts.bTiming = bDigitFirst && bArrow;
    facts.bDigits = !bBlank && bDigits;
    facts.bHeader = StartsWithWord(szStart, "WEBVTT");
    facts.bOtherBlock =
        StartsWithWord(szStart, "NOTE") || StartsWithWord(szStart, "STYLE") || StartsWithWord(szStart, "REGION");
    return facts;
}

class CueWriter {
public:
    CueWriter(DocumentText* pText, SubtitleKind kind) : buffer(pText), kind(kind) {}

    void WriteLine(CodePointReader line);
    void Flush() { buffer.Flush(); }

private:
    static bool SkipSrtTag(CodePointReader* pLine, bool* pbEndFound);
    static bool SkipVttTag(CodePointReader* pLine, bool* pbEndFound);
    static bool SkipOverrideBlock(CodePointReader* pLine, bool* pbEndFound);

    TextBuffer buffer;
    SubtitleKind kind;
};

// A SubRip tag from its '<': the players know <i>, <b>, <u>, <s> and <font ...> and their end tags,
// in any letter case; any other text in angle brackets ("<sound of rain>", "a < b") is shown.
bool CueWriter::SkipSrtTag(CodePointReader* pLine, bool* pbEndFound) {
    CodePointReader ahead = *pLine;
    bool bEnd = ahead.Peek() == '/';
    if (bEnd) ahead.Next();
    char szName[6];
    size_t cbName = 0;
    uint32_t c = ahead.Next();
    for (; IsAsciiLetter(c) && cbName < sizeof(szName) - 1; c = ahead.Next()) szName[cbName++] = AsciiLower(static_cast<char>(c));
    szName[cbName] = '\0';
    bool bFont = strcmp(szName, "font") == 0;
    if (!bFont && (cbName != 1 || strchr("ibus", szName[0]) == nullptr)) return false;
    // A font tag's attributes (color="#ffff00", face=...) run to its '>' on the line.
    if (bFont && !bEnd && IsSpaceOrTab(c)) {
        if (!*pbEndFound) return false;
        while (c != '>' && c != '\n' && c != kEndOfText) c = ahead.Next();
        if (c != '>') return *pbEndFound = false;
    }
    if (c != '>') return false;
    *pLine = ahead;
    return true;
}

// A WebVTT tag from its '<' to its '>': in WebVTT every '<' opens one (a '<' of the text is written
// "&lt;"). The tags c, i, b, u, v, lang, ruby and rt, with their classes (<c.yellow>) and
// annotations (the voice's name in <v Ann>), and the timestamps (<00:00:01.000>) are markup; the
// text between them is text, a ruby's rt text too.
bool CueWriter::SkipVttTag(CodePointReader* pLine, bool* pbEndFound) {
    CodePointReader ahead = *pLine;
    for (uint32_t c = ahead.Next(); c != '>'; c = ahead.Next()) {
        if (c == '\n' || c == kEndOfText) return *pbEndFound = false;
    }
    *pLine = ahead;
    return true;
}

// An override block of the ASS style ({\an8}, {\i1}) from its '{'.
bool CueWriter::SkipOverrideBlock(CodePointReader* pLine, bool* pbEndFound) {
    CodePointReader ahead = *pLine;
    if (ahead.Peek() != '\\') return false;
    for (uint32_t c = ahead.Next(); c != '}'; c = ahead.Next()) {
        if (c == '\n' || c == kEndOfText) return *pbEndFound = false;
    }
    *pLine = ahead;
    return true;
}

void CueWriter::WriteLine(CodePointReader line) {
    bool bWrote = false;
    // Once a tag or block finds no end on its line, none after it will: the line is read once.
    bool bTagsEnd = true, bBlocksEnd = true;
    for (uint32_t c = line.Next(); c != '\n' && c != kEndOfText; c = line.Next()) {
        if (c == '<' && kind == SubtitleKind::kSrt && SkipSrtTag(&line, &bTagsEnd)) continue;
        if (c == '<' && kind == SubtitleKind::kVtt && bTagsEnd && SkipVttTag(&line, &bTagsEnd)) continue;
        if (c == '{' && bBlocksEnd && SkipOverrideBlock(&line, &bBlocksEnd)) continue;
        uint32_t nSecond = 0;
        if (c == '&' && kind == SubtitleKind::kVtt && !ReadCharacterReference(&line, false, &c, &nSecond)) c = '&';
        buffer.Add(c);
        if (nSecond != 0) buffer.Add(nSecond);
        bWrote = true;
    }
    // A line of tags alone shows nothing.
    if (bWrote) buffer.AddLineEnd();
}

enum BlockState { kBetweenBlocks, kAfterFirstLine, kInCue, kSkippedBlock };

}  // namespace

bool ReadSubtitleText(const unsigned char* pData, size_t cbData, SubtitleKind kind, int nFallbackCodePage,
                      DocumentText* pText) {
    // WebVTT's text has HTML's character references.
    if (kind == SubtitleKind::kVtt && !MakeHtmlEntityTable()) return pText->Refuse(kRefusedOutOfMemory);
    size_t cbMark;
    int nCodePage = CodePageOfByteOrderMark(pData, cbData, &cbMark);
    if (nCodePage == 0) nCodePage = CodePageOrTextRule(pData, cbData, nFallbackCodePage);
    ReadableText text(pText);
    if (!text.Prepare(pData + cbMark, cbData - cbMark, nCodePage)) return false;
    CodePointReader in = text.Reader();
    CueWriter writer(pText, kind);
    bool bVtt = kind == SubtitleKind::kVtt;
    BlockState state = kBetweenBlocks;
    bool bFirstBlock = true;
    // A cue's last line is written once the next line is read: in a SubRip file without blank
    // lines between cues it may be the next cue's number.
    CodePointReader pending;
    bool bPending = false, bPendingDigits = false;
    uint64_t cbTold = 0;
    while (!in.AtEnd() && pText->Refusal() == nullptr && pText->ParsedUpTo(in.Offset(), &cbTold)) {
        CodePointReader start = in;
        LineFacts line = ReadLine(&in);
        if (bPending && (line.bBlank || state != kInCue || !line.bTiming || bVtt || !bPendingDigits))
            writer.WriteLine(pending);
        bPending = false;
        if (line.bBlank) {
            state = kBetweenBlocks;
            continue;
        }
        if (state == kInCue && !line.bTiming) {
            pending = start;
            bPending = true;
            bPendingDigits = line.bDigits;
            continue;
        }
        if (state == kBetweenBlocks && bVtt && ((bFirstBlock && line.bHeader) || line.bOtherBlock)) {
            state = kSkippedBlock;
        } else if (line.bTiming) {
            // Even in a block that began otherwise (WebVTT's header without its blank line).
            state = kInCue;
        } else {
            state = state == kBetweenBlocks ? kAfterFirstLine : kSkippedBlock;
        }
        bFirstBlock = false;
    }
    if (bPending) writer.WriteLine(pending);
    writer.Flush();
    return pText->Refusal() == nullptr;
}
