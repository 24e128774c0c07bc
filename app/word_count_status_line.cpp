// The main dialog's status line: a cycle of texts stepped by its timer, the lines said for a whole
// step (a failed copy, a reading's outcome, an ignored press of the hot key), and its colours.
#include "app/word_count_dialog.h"

#include <windows.h>

#include "resources/main_dialog_ids.h"
#include "tallyq_version.h"
#include "ui/unicode_control.h"

namespace {

// The status line's colours: white text on grey. The text is drawn transparent over the stock grey
// brush that fills the control, so the background colour paints nothing; it stays set, so that the
// line's colours are named together and text drawn opaque would still read white on grey.
const COLORREF kStatusBackground = RGB(170, 170, 170);
const COLORREF kStatusText = RGB(255, 255, 255);

}  // namespace

// Shown until the status line's next step.
const char kNothingCopiedText[] = "Nothing was copied from the program in front: the counts are unchanged.";
const char kInputBlockedText[] = "The program in front runs with higher rights: TallyQuill cannot copy from it.";
const char kClipboardUnreadableText[] = "The clipboard could not be read: the counts are unchanged.";
const char kHotKeyHeldText[] = "Let go of the hot key to copy: nothing was copied.";
const char kHotKeyIgnoredText[] = "The hot key was pressed while TallyQuill was busy: that press was ignored.";

const char* const kStatusTexts[] = {
    "TallyQuill v " TQ_VERSION_TEXT "  -  Copyright (c) 2026 Kestrilon",
    "Press the hot key in any program to select, copy and price its whole text",
    "Close keeps TallyQuill in the tray while the hot key is enabled",
    "Add To CSV logs the priced job with its date, title, counts and total",
    "Click here for updates and other tools at www.kestrilon.example",
    nullptr,  // end of the cycle
};

void WordCountDialog::OnTimer(UINT_PTR nTimerId) {
    KillTimer(hwndDlg, nTimerId);
    if (nTimerId != kStatusTimer) return;
    bStepSaid = false;
    if (bIgnoredPressDue) {
        bIgnoredPressDue = false;
        OnHotKeyIgnored();
        return;
    }
    if (kStatusTexts[nStatusLine] == nullptr) nStatusLine = 0;
    char szWarning[kItemTextSize];
    const char* szText = hotKey.GetWarning(szWarning, sizeof(szWarning));
    SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, szText != nullptr ? szText : kStatusTexts[nStatusLine]);
    ++nStatusLine;
    // Some window systems stack the dialog, activated after its splash was shown, above the splash
    // it owns; by the first step the start is over, and the splash is put back on top.
    splashScreen.Raise();
    SetTimer(hwndDlg, kStatusTimer, kStatusPeriodMs, nullptr);
}

INT_PTR WordCountDialog::OnCtlColorStatic(HDC hdc, HWND hwndControl) {
    // Other static controls keep the dialog's colours.
    if (hwndControl != GetDlgItem(hwndDlg, IDC_STATUS_LINE)) return 0;
    SetBkMode(hdc, TRANSPARENT);
    SetBkColor(hdc, kStatusBackground);
    SetTextColor(hdc, kStatusText);
    return reinterpret_cast<INT_PTR>(GetStockObject(GRAY_BRUSH));
}

void WordCountDialog::SayForAStep(const wchar_t* szText) {
    bStepSaid = true;
    if (szText != nullptr) SetDlgItemTextW(hwndDlg, IDC_STATUS_LINE, szText);
    // A step that fell due meanwhile would otherwise replace it at once.
    SetTimer(hwndDlg, kStatusTimer, kStatusPeriodMs, nullptr);
}

void WordCountDialog::OnHotKeyIgnored() {
    if (bStepSaid) {
        bIgnoredPressDue = true;
        return;
    }
    SayForAStep(nullptr);
    SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, kHotKeyIgnoredText);
}

// The reading names each file on the status line as it goes; the cycle waits meanwhile.
void WordCountDialog::ReadingStarts() { KillTimer(hwndDlg, kStatusTimer); }

void WordCountDialog::ReadingEnded(const wchar_t* szSaid) {
    if (szSaid[0] != L'\0') {
        SayForAStep(szSaid);
    } else {
        // The cycle goes on at once, over the last "Reading" line.
        SetTimer(hwndDlg, kStatusTimer, 0, nullptr);
    }
}
