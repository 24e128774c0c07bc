#include "documents/rtf_words.h"

#include <string.h>

namespace {

using Act = RtfAct;

// Sorted by name in byte order, for FindRtfWord. Words not here are read and do nothing.
const RtfWord kWords[] = {
    {"aftnsep", Act::kSkip, 0}, {"aftnsepc", Act::kSkip, 0}, {"annotation", Act::kSkip, 0},
    {"ansi", Act::kCodePage, 1252}, {"ansicpg", Act::kAnsiCodePage, 0}, {"atnauthor", Act::kSkip, 0},
    {"atnid", Act::kSkip, 0}, {"bin", Act::kBin, 0}, {"bkmkend", Act::kSkip, 0}, {"bkmkstart", Act::kSkip, 0},
    {"bullet", Act::kChar, 0x2022}, {"cell", Act::kCell, 0}, {"colorschememapping", Act::kSkip, 0},
    {"colortbl", Act::kSkip, 0}, {"column", Act::kBreak, 0}, {"datastore", Act::kSkip, 0},
    {"deff", Act::kDefaultFont, 0}, {"emdash", Act::kChar, 0x2014}, {"emspace", Act::kChar, 0x2003},
    {"endash", Act::kChar, 0x2013}, {"enspace", Act::kChar, 0x2002}, {"f", Act::kFont, 0},
    {"fcharset", Act::kCharset, 0}, {"field", Act::kField, 0}, {"filetbl", Act::kSkip, 0},
    {"fldinst", Act::kFieldCode, 0},
    {"fldrslt", Act::kResult, 0}, {"fonttbl", Act::kFontTable, 0}, {"footer", Act::kStory, 0},
    {"footerf", Act::kStory, 0}, {"footerl", Act::kStory, 0}, {"footerr", Act::kStory, 0},
    {"footnote", Act::kAnchored, 0}, {"ftnsep", Act::kSkip, 0}, {"ftnsepc", Act::kSkip, 0},
    {"generator", Act::kSkip, 0}, {"header", Act::kStory, 0}, {"headerf", Act::kStory, 0}, {"headerl", Act::kStory, 0},
    {"headerr", Act::kStory, 0}, {"info", Act::kSkip, 0}, {"latentstyles", Act::kSkip, 0},
    {"ldblquote", Act::kChar, 0x201C}, {"line", Act::kLine, 0}, {"listoverridetable", Act::kSkip, 0},
    {"listtable", Act::kSkip, 0}, {"listtext", Act::kSkip, 0}, {"lquote", Act::kChar, 0x2018}, {"ltrmark", Act::kChar, 0x200E},
    {"mac", Act::kCodePage, 10000}, {"mmathPr", Act::kSkip, 0}, {"nestcell", Act::kCell, 0},
    {"nonesttables", Act::kSkip, 0}, {"nonshppict", Act::kSkip, 0}, {"objdata", Act::kSkip, 0},
    {"page", Act::kBreak, 0}, {"par", Act::kPar, 0}, {"pc", Act::kCodePage, 437}, {"pca", Act::kCodePage, 850},
    {"pgdsctbl", Act::kSkip, 0}, {"pict", Act::kSkip, 0}, {"plain", Act::kPlain, 0}, {"pn", Act::kSkip, 0}, {"pntext", Act::kSkip, 0},
    {"qmspace", Act::kChar, 0x2005}, {"rdblquote", Act::kChar, 0x201D}, {"result", Act::kResult, 0},
    {"revtbl", Act::kSkip, 0}, {"rquote", Act::kChar, 0x2019}, {"rsidtbl", Act::kSkip, 0},
    {"rtlmark", Act::kChar, 0x200F}, {"sect", Act::kBreak, 0}, {"shpinst", Act::kResult, 0}, {"shprslt", Act::kSkip, 0},
    {"shptxt", Act::kAnchored, 0}, {"sp", Act::kSkip, 0}, {"stylesheet", Act::kSkip, 0}, {"tab", Act::kTab, 0},
    {"template", Act::kSkip, 0}, {"themedata", Act::kSkip, 0}, {"u", Act::kUnicode, 0}, {"uc", Act::kUc, 0},
    {"ud", Act::kUd, 0}, {"upr", Act::kUpr, 0}, {"v", Act::kHidden, 0}, {"xe", Act::kSkip, 0},
    {"xmlnstbl", Act::kSkip, 0}, {"zwj", Act::kChar, 0x200D}, {"zwnj", Act::kChar, 0x200C},
};

}  // namespace

const RtfWord* FindRtfWord(const char* pName, size_t cbName) {
    size_t nLow = 0, nHigh = sizeof(kWords) / sizeof(kWords[0]);
    while (nLow < nHigh) {
        size_t nMiddle = (nLow + nHigh) / 2;
        const char* szName = kWords[nMiddle].szName;
        int nOrder = strncmp(pName, szName, cbName);
        if (nOrder == 0 && szName[cbName] != 0) nOrder = -1;  // a prefix of a longer word
        if (nOrder == 0) return &kWords[nMiddle];
        if (nOrder < 0)
            nHigh = nMiddle;
        else
            nLow = nMiddle + 1;
    }
    return nullptr;
}
