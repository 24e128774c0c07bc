#include "app/files_summary.h"

#include "measure/text_measure.h"

namespace {

// A text being put together in a buffer of nRoom units (its terminator included): an append that
// does not fit whole leaves the text as it was.
class UnitText {
public:
    UnitText(char16_t* pText, size_t nRoom) : p(pText), nRoom(nRoom), nUsed(0) { p[0] = u'\0'; }
    size_t Used() const { return nUsed; }
    // Appends from now on must fit nNewRoom units, the terminator included.
    void SetRoom(size_t nNewRoom) { nRoom = nNewRoom; }
    void CutTo(size_t n) {
        nUsed = n;
        p[n] = u'\0';
    }
    bool Append(const char16_t* sz) {
        size_t n = 0;
        while (sz[n] != u'\0') ++n;
        if (n >= nRoom - nUsed) return false;
        for (size_t i = 0; i < n; ++i) p[nUsed + i] = sz[i];
        CutTo(nUsed + n);
        return true;
    }
    bool AppendNumber(int64_t nValue) {
        char16_t digits[24];
        size_t n = sizeof(digits) / sizeof(digits[0]);
        digits[--n] = u'\0';
        uint64_t v = nValue < 0 ? 0 : static_cast<uint64_t>(nValue);
        do {
            digits[--n] = static_cast<char16_t>(u'0' + v % 10);
            v /= 10;
        } while (v != 0);
        return Append(digits + n);
    }

private:
    char16_t* p;
    size_t nRoom;
    size_t nUsed;
};

bool AppendFile(UnitText* pText, const FileWords& file) {
    return pText->Append(file.szName) && pText->Append(u" ") && pText->AppendNumber(file.nWords) &&
           pText->Append(file.nWords == 1 ? u" word" : u" words");
}

}  // namespace

void BuildFilesSummary(const FileWords* pFiles, size_t nFiles, char16_t* szSummary) {
    static_assert(kFilesSummaryMax < kSummaryBufferSize, "the summary fits the dialog's buffer");
    // Room is left for the "; and N more" of the files that do not fit.
    const size_t kMoreRoom = 24;
    UnitText text(szSummary, kFilesSummaryMax + 1 - kMoreRoom);
    text.AppendNumber(static_cast<int64_t>(nFiles));
    text.Append(nFiles == 1 ? u" file: " : u" files: ");
    size_t nShown = 0;
    for (; nShown < nFiles; ++nShown) {
        size_t nBefore = text.Used();
        if ((nShown > 0 && !text.Append(u"; ")) || !AppendFile(&text, pFiles[nShown])) {
            text.CutTo(nBefore);
            break;
        }
    }
    // The last file may still fit in the room kept for the note that it did not.
    text.SetRoom(kFilesSummaryMax + 1);
    if (nShown + 1 == nFiles) {
        size_t nBefore = text.Used();
        if ((nShown > 0 && !text.Append(u"; ")) || !AppendFile(&text, pFiles[nShown])) text.CutTo(nBefore);
        else ++nShown;
    }
    if (nShown < nFiles) {
        text.Append(nShown > 0 ? u"; and " : u"and ");
        text.AppendNumber(static_cast<int64_t>(nFiles - nShown));
        text.Append(u" more");
    }
}

void BuildFilesJobTitle(const FileWords* pFiles, size_t nFiles, char16_t* szTitle, size_t nTitleUnits) {
    if (nTitleUnits == 0) return;
    UnitText text(szTitle, nTitleUnits);
    for (size_t i = 0; i < nFiles; ++i) {
        size_t nBefore = text.Used();
        if ((i > 0 && !text.Append(u" + ")) || !text.Append(pFiles[i].szName)) {
            text.CutTo(nBefore);
            break;
        }
    }
}
