// The main dialog's settings: loaded into its fields at the start, saved at the end, and what could not be saved told once the run is over.
#include "app/word_count_dialog.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "app/rate_settings.h"
#include "app/settings.h"
#include "resources/main_dialog_ids.h"
#include "support/path_text.h"
#include "support/run_at_logon.h"
#include "support/system_error_text.h"

namespace {

enum { kReasonSize = 200 };

}  // namespace

void WordCountDialog::LoadSettings() {
    LoadRateBook(&rateBook);
    ShowRatesList();
    ShowRatesInUse();
}

void WordCountDialog::SaveSettings() {
    // The first failure of each kind is kept, to be said when the run ends.
    auto Keep = [](long nResult, long* pnFailure) {
        if (nResult != ERROR_SUCCESS && *pnFailure == ERROR_SUCCESS) *pnFailure = nResult;
    };
    // What was typed into the price fields is in the rates in use already.
    Keep(SaveRateBook(rateBook), &nSettingsFailure);
    bool bHotKeyOn = IsChecked(IDC_HOT_KEY_ON);
    Keep(SaveHotKeyOn(bHotKeyOn), &nSettingsFailure);
    Keep(SaveHotKeyAutoSelect(IsChecked(IDC_HOT_KEY_AUTO_SELECT)), &nSettingsFailure);
    if (bHotKeyOn) {
        char szProgramPath[kPathBufferSize];
        DWORD n = GetModuleFileNameA(nullptr, szProgramPath, sizeof(szProgramPath));
        if (n > 0 && n < sizeof(szProgramPath)) SetRunAtLogon(szProgramPath);
    } else {
        Keep(ClearRunAtLogon(), &nRunFailure);
    }
}

void WordCountDialog::ReportUnsavedSettings() const {
    // A box at a session's end would hold up the logoff: there the failures stay unsaid.
    if (bSessionEnding || (nSettingsFailure == ERROR_SUCCESS && nRunFailure == ERROR_SUCCESS)) return;
    // Two sentences of their own, each with a reason.
    char szText[2 * kReasonSize + 200] = "";
    char szReason[kReasonSize];
    if (nRunFailure != ERROR_SUCCESS) {
        SystemErrorTextAnsi(static_cast<DWORD>(nRunFailure), szReason, sizeof(szReason));
        snprintf(szText, sizeof(szText), "TallyQuill could not stop starting at logon for every user: %s", szReason);
    }
    if (nSettingsFailure != ERROR_SUCCESS) {
        SystemErrorTextAnsi(static_cast<DWORD>(nSettingsFailure), szReason, sizeof(szReason));
        size_t nUsed = strlen(szText);
        snprintf(szText + nUsed, sizeof(szText) - nUsed, "%sThe settings could not be saved: %s",
                 nUsed != 0 ? "\r\n\r\n" : "", szReason);
    }
    MessageBoxA(nullptr, szText, "TallyQuill", MB_OK | MB_ICONWARNING);
}

