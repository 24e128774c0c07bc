// Blocks are separated by blank lines (or lines of spaces). A block is a cue when its first or
// second line is a timing line (a digit first, "-->" in it); the line before the timing line (a
// sequence number, a WebVTT cue identifier) is skipped, and every line after it is cue text. Other
// blocks (WebVTT's header, NOTE, STYLE and REGION blocks, stray lines) are not text. Ruby text
// (<rt>) is not counted: it is a reading aid for the base text, which is.
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
    CueWriter(DocumentText* pText, SubtitleKind kind) : buffer(pText), kind(kind), bInRubyText(false) {}

    void StartCue() { bInRubyText = false; }
    void WriteLine(CodePointReader line);
    void Flush() { buffer.Flush(); }

private:
    bool SkipTag(CodePointReader* pLine, bool* pbEndFound);
    static bool SkipOverrideBlock(CodePointReader* pLine, bool* pbEndFound);

    TextBuffer buffer;
    SubtitleKind kind;
    bool bInRubyText;
};

// A formatting tag from its '<' (<i>, </font>, <c.loud>, <v Ann>, <00:00:01.000>), closed on its line.
bool CueWriter::SkipTag(CodePointReader* pLine, bool* pbEndFound) {
    CodePointReader ahead = *pLine;
    uint32_t c = ahead.Peek();
    // SubRip text is literal but for tags, so "a < b" stays; in WebVTT every '<' opens a tag.
    if (kind == SubtitleKind::kSrt && !IsAsciiLetter(c) && c != '/') return false;
    bool bEnd = c == '/';
    if (bEnd) ahead.Next();
    char szName[5];
    size_t cbName = 0;
    for (c = ahead.Next(); c != '>'; c = ahead.Next()) {
        if (c == '\n' || c == kEndOfText) return *pbEndFound = false;
        if (c == '.' || IsSpaceOrTab(c)) cbName = sizeof(szName);  // classes and annotations end the name
        else if (cbName < sizeof(szName) - 1) szName[cbName++] = static_cast<char>(c | 0x20);
        else cbName = sizeof(szName);
    }
    if (cbName < sizeof(szName)) szName[cbName] = '\0';
    else szName[0] = '\0';
    *pLine = ahead;
    if (strcmp(szName, "rt") == 0) bInRubyText = !bEnd;
    if (bEnd && strcmp(szName, "ruby") == 0) bInRubyText = false;
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
        if (c == '<' && bTagsEnd && SkipTag(&line, &bTagsEnd)) continue;
        if (c == '{' && bBlocksEnd && SkipOverrideBlock(&line, &bBlocksEnd)) continue;
        uint32_t nSecond = 0;
        if (c == '&' && kind == SubtitleKind::kVtt && !ReadCharacterReference(&line, false, &c, &nSecond)) c = '&';
        if (bInRubyText) continue;
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
            writer.StartCue();
        } else {
            state = state == kBetweenBlocks ? kAfterFirstLine : kSkippedBlock;
        }
        bFirstBlock = false;
    }
    if (bPending) writer.WriteLine(pending);
    writer.Flush();
    return pText->Refusal() == nullptr;
}
