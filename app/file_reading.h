// Reads a list of files into a set in the window's own thread: the wait cursor shows, the status
// line names the file being read, the window is painted between pieces, and Esc stops it. What the
// status line says after, when files were left out, is kept for the caller to show.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "app/file_list.h"
#include "app/priced_files.h"

class FileReading : public ReadingProgress {
public:
    FileReading(HWND hwndDialog, int nStatusId);
    FileReading(const FileReading&) = delete;
    FileReading& operator=(const FileReading&) = delete;

    // Reads every file of the list into pSet at nCharsPerLine, translation files for the side;
    // false when Esc stopped it (pSet then holds part of the files, to be dropped).
    bool ReadAll(const FileList& list, int nCharsPerLine, TranslationSide side, PricedFiles* pSet);
    // What the status line says after the reading: how many files were left out past the limit,
    // and the first file (or folder) left out and why, with how many more, and how many units of
    // translation files had no translation; empty when every file was priced whole.
    const wchar_t* Outcome() const { return szOutcome; }
    // The reading was stopped: what the status line then says.
    static const wchar_t kStoppedText[];

    bool GoOn() override;

private:
    void ShowStatus(size_t nIndex, size_t nCount, const wchar_t* szName);
    void NoteRefusal(const wchar_t* szName, const wchar_t* szReason);

    HWND hwndDialog;
    int nStatusId;
    bool bStopped;
    size_t nRefused;
    wchar_t szFirstRefused[MAX_PATH];
    wchar_t szFirstReason[300];
    wchar_t szOutcome[MAX_PATH + 600];
};
