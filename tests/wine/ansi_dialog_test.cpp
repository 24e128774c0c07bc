// The program's dialogs in a process with the system's own controls (no manifest asks for version 6
// of the common controls): there a control that an ANSI dialog makes is an ANSI window, as on
// Windows, where it keeps its text in the ANSI code page. The controls that show text in any script
// (the main dialog's summary and status line, the CSV dialog's job title) are Unicode windows, made
// again in the places, styles, fonts and Z order the templates gave them.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "app/csv_dialog.h"
#include "app/file_list.h"
#include "app/word_count_dialog.h"
#include "resources/csv_dialog_ids.h"
#include "resources/main_dialog_ids.h"
#include "tests/wine/wine_test_support.h"
#include "ui/dialog.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT uMsg, WPARAM, LPARAM) { return uMsg == WM_INITDIALOG; }

// What a control is, as far as its remaking must keep it (class, styles, place in the dialog's
// client area, font, the ids of its neighbours in the Z order), and whether it is a Unicode window.
struct ControlLooks {
    std::string text;
    bool bUnicode = false;
};

std::string RectText(const RECT& rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) +
           ", " + std::to_string(rect.bottom) + ")";
}

// bWithHeight false: for a control whose height its own font sets (FitToWholeLines); bWithFont false:
// for a control with a font of its own.
ControlLooks LooksOf(HWND hwndDialog, int nId, bool bWithHeight, bool bWithFont) {
    ControlLooks looks;
    HWND hwnd = GetDlgItem(hwndDialog, nId);
    if (hwnd == nullptr) {
        looks.text = "no control " + std::to_string(nId);
        return looks;
    }
    char szClass[64] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, hwndDialog, reinterpret_cast<POINT*>(&rect), 2);
    if (!bWithHeight) rect.bottom = rect.top;
    auto NeighbourId = [hwnd](UINT uWhich) {
        HWND hwndNext = GetWindow(hwnd, uWhich);
        return hwndNext == nullptr ? std::string("none") : std::to_string(GetDlgCtrlID(hwndNext));
    };
    char szStyles[64];
    snprintf(szStyles, sizeof(szStyles), "style %08lx ex-style %08lx",
             static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    looks.text = std::string(szClass) + " " + szStyles + " at " + RectText(rect) + " between " +
                 NeighbourId(GW_HWNDPREV) + " and " + NeighbourId(GW_HWNDNEXT);
    if (bWithFont) {
        looks.text += SendMessageA(hwnd, WM_GETFONT, 0, 0) == SendMessageA(hwndDialog, WM_GETFONT, 0, 0)
                          ? " in the dialog's font"
                          : " in another font";
    }
    looks.bUnicode = IsWindowUnicode(hwnd) != FALSE;
    return looks;
}

// The main dialog as the program runs it, looked at from a timer of its thread once it is up.
struct MainDialogSeen {
    HWND hwnd = nullptr;
    ControlLooks summary, status, charCount;
} mainSeen;

BOOL CALLBACK FindShownMainDialog(HWND hwnd, LPARAM) {
    if (GetDlgItem(hwnd, IDC_SUMMARY) != nullptr && IsWindowVisible(hwnd)) mainSeen.hwnd = hwnd;
    return mainSeen.hwnd == nullptr;
}

void CALLBACK LookAtMainDialog(HWND, UINT, UINT_PTR nTimer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), FindShownMainDialog, 0);
    if (mainSeen.hwnd == nullptr) return;
    KillTimer(nullptr, nTimer);
    mainSeen.summary = LooksOf(mainSeen.hwnd, IDC_SUMMARY, false, false);
    mainSeen.status = LooksOf(mainSeen.hwnd, IDC_STATUS_LINE, true, true);
    mainSeen.charCount = LooksOf(mainSeen.hwnd, IDC_CHAR_COUNT, true, true);
    PostMessageA(mainSeen.hwnd, WM_COMMAND, MAKEWPARAM(IDM_TRAY_EXIT, 0), 0);
}

class AnsiDialogTest : public testing::Test {
protected:
    void SetUp() override {
        hProgramInstance = GetModuleHandleA(nullptr);
        ResetProgramRegistry();
    }
    void TearDown() override { ResetProgramRegistry(); }
};

TEST_F(AnsiDialogTest, TheSummaryAndTheStatusLineAreUnicodeWindowsInTheirPlaces) {
    // The controls as the template makes them.
    HWND hwndPlain = CreateDialogParamA(hProgramInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, PlainDialogProc, 0);
    ASSERT_NE(nullptr, hwndPlain);
    ControlLooks summary = LooksOf(hwndPlain, IDC_SUMMARY, false, false);
    ControlLooks status = LooksOf(hwndPlain, IDC_STATUS_LINE, true, true);
    DestroyWindow(hwndPlain);
    ASSERT_FALSE(status.bUnicode) << "the template's controls are ANSI windows in this process";

    UINT_PTR nTimer = SetTimer(nullptr, 0, 50, LookAtMainDialog);
    {
        FileList noFiles;
        WordCountDialog dialog(false, &noFiles, GetTickCount());
        dialog.RunModal(MAKEINTRESOURCEA(IDD_MAIN), nullptr);
    }
    KillTimer(nullptr, nTimer);
    ASSERT_NE(nullptr, mainSeen.hwnd) << "the main dialog came up";
    EXPECT_TRUE(mainSeen.summary.bUnicode) << "the summary is an ANSI window";
    EXPECT_TRUE(mainSeen.status.bUnicode) << "the status line is an ANSI window";
    EXPECT_FALSE(mainSeen.charCount.bUnicode) << "a count, which shows digits only, stays as the template made it";
    EXPECT_EQ(summary.text, mainSeen.summary.text) << "the summary";
    EXPECT_EQ(status.text, mainSeen.status.text) << "the status line";
}

// The CSV dialog looked at from a timer of its thread once it is up, then cancelled.
ControlLooks titleSeen, pathSeen;
bool bCsvSeen;
void CALLBACK LookAtCsvDialog(HWND, UINT, UINT_PTR nTimer, DWORD) {
    HWND hwndDialog = FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(0x8002)), "Add to CSV File");
    if (hwndDialog == nullptr || !IsWindowVisible(hwndDialog)) return;
    KillTimer(nullptr, nTimer);
    titleSeen = LooksOf(hwndDialog, IDC_CSV_JOB_TITLE, true, true);
    pathSeen = LooksOf(hwndDialog, IDC_CSV_FILE_PATH, true, true);
    bCsvSeen = true;
    PostMessageA(hwndDialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(AnsiDialogTest, TheJobTitleIsAUnicodeWindowInItsPlace) {
    HWND hwndPlain =
        CreateDialogParamA(hProgramInstance, MAKEINTRESOURCEA(IDD_ADD_TO_CSV), nullptr, PlainDialogProc, 0);
    ASSERT_NE(nullptr, hwndPlain);
    ControlLooks title = LooksOf(hwndPlain, IDC_CSV_JOB_TITLE, true, true);
    DestroyWindow(hwndPlain);

    UINT_PTR nTimer = SetTimer(nullptr, 0, 50, LookAtCsvDialog);
    CsvDialog dialog(CsvJob{1, 1, "1", 0.0, u"Standard", u"$", nullptr, nullptr}, L"\u03a9\u03bc\u03ad\u03b3\u03b1");
    dialog.RunModal(MAKEINTRESOURCEA(IDD_ADD_TO_CSV), nullptr);
    KillTimer(nullptr, nTimer);
    ASSERT_TRUE(bCsvSeen) << "the Add to CSV File dialog came up";
    EXPECT_TRUE(titleSeen.bUnicode) << "the job title is an ANSI window";
    EXPECT_FALSE(pathSeen.bUnicode) << "the path, an ANSI text, stays as the template made it";
    EXPECT_EQ(title.text, titleSeen.text) << "the job title";
}

}  // namespace
