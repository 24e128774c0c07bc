#include "app/file_reading.h"

#include "app/hot_key.h"
#include "support/path_text.h"

const wchar_t FileReading::kStoppedText[] = L"Reading stopped: the counts are unchanged.";

FileReading::FileReading(HWND hwndDialogIn, int nStatusIdIn)
    : hwndDialog(hwndDialogIn), nStatusId(nStatusIdIn), bStopped(false), nRefused(0) {
    szFirstRefused[0] = L'\0';
    szFirstReason[0] = L'\0';
    szOutcome[0] = L'\0';
}

bool FileReading::GoOn() {
    MSG msg;
    // Esc, pressed anywhere in the thread's windows, stops the reading; other keys and clicks are
    // let go, so that nothing else starts meanwhile. Sent messages (another start handing over its
    // files, a question from another program) are answered within PeekMessage.
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) bStopped = true;
    }
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
    // A press of the hot key is let go too: acted on after the reading, it would send keys to
    // whatever program is in front by then.
    IgnoreHotKeyPresses(hwndDialog);
    return !bStopped;
}

void FileReading::ShowStatus(size_t nIndex, size_t nCount, const wchar_t* szName) {
    // The system's own formatting: the C library's wide one would weigh more than all of this.
    wchar_t szStatus[MAX_PATH + 64];
    wsprintfW(szStatus, L"Reading %u of %u: %.260s", static_cast<unsigned>(nIndex), static_cast<unsigned>(nCount),
              szName);
    SetDlgItemTextW(hwndDialog, nStatusId, szStatus);
    RedrawWindow(hwndDialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void FileReading::NoteRefusal(const wchar_t* szName, const wchar_t* szReason) {
    if (nRefused++ > 0) return;
    lstrcpynW(szFirstRefused, szName, MAX_PATH);
    lstrcpynW(szFirstReason, szReason, sizeof(szFirstReason) / sizeof(szFirstReason[0]));
}

bool FileReading::ReadAll(const FileList& list, int nCharsPerLine, TranslationSide side, PricedFiles* pSet) {
    // Folders and files the list could not open are told as the files refused are, before them.
    if (list.Unopened() > 0) {
        NoteRefusal(list.FirstUnopened(), list.FirstUnopenedReason());
        nRefused = list.Unopened();
    }
    HCURSOR hOldCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    size_t nIndex = 0;
    for (const wchar_t* szPath = list.First(); szPath != nullptr && !bStopped; szPath = list.Next(szPath)) {
        ShowStatus(++nIndex, list.Count(), FileNameOf(szPath));
        wchar_t szReason[300];
        PricedFiles::ReadResult result = pSet->ReadFile(szPath, nCharsPerLine, side, this, szReason, 300);
        if (result == PricedFiles::kFileRefused) NoteRefusal(FileNameOf(szPath), szReason);
        // Esc between two files stops as well as Esc between two pieces of one.
        if (result != PricedFiles::kReadingStopped) GoOn();
    }
    SetCursor(hOldCursor);
    // The files past the limit first, then those left out for a reason. Each wsprintfW stays
    // within its 1024 units: a name of at most MAX_PATH and a reason of at most 300.
    size_t nOutcome = 0;
    if (list.LeftOut() > 0) {
        nOutcome = wsprintfW(szOutcome,
                             list.CountCut()        ? L"Only the first %u files were read: more than %u are left out."
                             : list.LeftOut() == 1 ? L"Only the first %u files were read: %u is left out."
                                                   : L"Only the first %u files were read: %u are left out.",
                             static_cast<unsigned>(kMaxListedFiles), static_cast<unsigned>(list.LeftOut()));
    }
    if (nRefused > 0 && nOutcome > 0) szOutcome[nOutcome++] = L' ';
    if (nRefused == 1) {
        wsprintfW(szOutcome + nOutcome, L"Left out %s: %s", szFirstRefused, szFirstReason);
    } else if (nRefused > 1) {
        wsprintfW(szOutcome + nOutcome, L"Left out %s (and %u more): %s", szFirstRefused,
                  static_cast<unsigned>(nRefused - 1), szFirstReason);
    } else {
        szOutcome[nOutcome] = L'\0';
    }
    // Within its 100 units, after at most MAX_PATH + 500.
    uint64_t nUntranslated = pSet->Untranslated();
    if (nUntranslated > 0) {
        nOutcome = lstrlenW(szOutcome);
        if (nOutcome > 0) szOutcome[nOutcome++] = L' ';
        unsigned nShown = nUntranslated > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(nUntranslated);
        wsprintfW(szOutcome + nOutcome,
                  nShown == 1 ? L"%u unit has no translation: it counts nothing."
                              : L"%u units have no translation: they count nothing.",
                  nShown);
    }
    return !bStopped;
}
