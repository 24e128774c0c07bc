// RTF's control words that change what the text is, and what each does.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum class RtfAct : uint8_t {
    kPar, kLine, kBreak, kCell, kTab, kChar, kUnicode, kUc, kBin, kFont, kCharset, kDefaultFont,
    kAnsiCodePage, kCodePage, kPlain, kHidden, kField,
    // Destinations: the ones a \* group may name and still be read.
    kSkip, kFontTable, kResult, kStory, kAnchored, kUpr, kUd, kFieldCode
};

struct RtfWord {
    const char* szName;
    RtfAct act;
    uint32_t nValue;  // the character of kChar, the code page of kCodePage
};

// Whether the act opens a destination.
inline bool IsRtfDestination(RtfAct act) { return act >= RtfAct::kSkip; }

// The control word of this name (cbName letters, not terminated), or null for one that does nothing.
const RtfWord* FindRtfWord(const char* pName, size_t cbName);
