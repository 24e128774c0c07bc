// The dialog framework, driven from inside: each case runs a real modal dialog whose InitDialog
// schedules the steps to take, and the calls that reached the object are checked afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/dialog.h"

namespace {

class RecordingDialog;
RecordingDialog* pRunningDialog = nullptr;
void CALLBACK RunSteps(HWND hwnd, UINT, UINT_PTR nTimer, DWORD);

// Records which virtual operations the framework calls. The steps to take are messages sent to the
// window from a timer of its own, so they go on even after the object has let go of its window.
class RecordingDialog : public LDialog {
public:
    std::vector<std::string> calls;
    std::vector<UINT> steps;
    std::vector<WPARAM> stepParams;
    bool bOkAnswer = true;
    bool bCancelAnswer = true;
    bool bRunModalWhileOpen = false;
    bool bRefusedWhileOpen = false;

    void InitDialog() override {
        calls.push_back("InitDialog");
        if (bRunModalWhileOpen) bRefusedWhileOpen = !RunModal(MAKEINTRESOURCEA(100), hwndDlg);
        pRunningDialog = this;
        SetTimer(hwndDlg, 1, 10, RunSteps);
    }
    bool CmOk() override {
        calls.push_back("CmOk");
        return bOkAnswer;
    }
    bool CmCancel() override {
        calls.push_back("CmCancel");
        return bCancelAnswer;
    }
    void DisplayHelpContents() override { calls.push_back("Help"); }
    void EnableControls() override { calls.push_back("EnableControls"); }
    void OnCommand(int nId, int nCode) override {
        calls.push_back("OnCommand " + std::to_string(nId) + "/" + std::to_string(nCode));
    }
    void DestroyDialog() override { calls.push_back("DestroyDialog"); }
    void Step(UINT uMsg, WPARAM wParam) {
        steps.push_back(uMsg);
        stepParams.push_back(wParam);
    }
};

// Ends a dialog that none of the steps ended; a dialog that has ended never gets this far.
void CALLBACK FinishDialog(HWND hwnd, UINT, UINT_PTR nTimer, DWORD) {
    KillTimer(hwnd, nTimer);
    EndDialog(hwnd, 77);
}

void CALLBACK RunSteps(HWND hwnd, UINT, UINT_PTR nTimer, DWORD) {
    KillTimer(hwnd, nTimer);
    RecordingDialog* pDialog = pRunningDialog;
    for (size_t i = 0; i < pDialog->steps.size(); ++i) SendMessageA(hwnd, pDialog->steps[i], pDialog->stepParams[i], 0);
    SetTimer(hwnd, 2, 10, FinishDialog);
}

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { hProgramInstance = GetModuleHandleA(nullptr); }
};

TEST_F(FrameworkTest, EnableControlsFollowsInitAndEveryOtherCommand) {
    RecordingDialog dialog;
    dialog.bCancelAnswer = false;
    dialog.Step(WM_COMMAND, MAKEWPARAM(50, BN_CLICKED));
    dialog.Step(WM_COMMAND, MAKEWPARAM(51, EN_CHANGE));
    dialog.Step(WM_COMMAND, MAKEWPARAM(IDHELP, 0));
    dialog.Step(WM_HELP, 0);
    dialog.Step(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0));  // returned false: the dialog stays
    dialog.Step(WM_ENDSESSION, 0);                      // a cancelled session end changes nothing
    dialog.Step(WM_COMMAND, MAKEWPARAM(IDOK, 0));
    EXPECT_TRUE(dialog.RunModal(MAKEINTRESOURCEA(100), nullptr));
    std::vector<std::string> expected = {
        "InitDialog", "EnableControls", "OnCommand 50/0", "EnableControls", "OnCommand 51/768", "EnableControls",
        "Help",       "Help",           "CmCancel",       "CmOk",           "DestroyDialog"};
    EXPECT_EQ(expected, dialog.calls);
    EXPECT_EQ(nullptr, dialog.Window()) << "the object outlives its window";
}

TEST_F(FrameworkTest, DestroyDialogRunsOnceAfterASessionEnd) {
    RecordingDialog dialog;
    dialog.Step(WM_ENDSESSION, 1);
    dialog.Step(WM_COMMAND, MAKEWPARAM(50, 0));  // no longer reaches the object
    dialog.Step(WM_CLOSE, 0);
    EXPECT_FALSE(dialog.RunModal(MAKEINTRESOURCEA(100), nullptr));
    std::vector<std::string> expected = {"InitDialog", "EnableControls", "DestroyDialog"};
    EXPECT_EQ(expected, dialog.calls);
}

TEST_F(FrameworkTest, CancelEndsWithTwoAndOkWithOne) {
    RecordingDialog cancelled;
    cancelled.Step(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0));
    EXPECT_FALSE(cancelled.RunModal(MAKEINTRESOURCEA(100), nullptr));
    ASSERT_EQ(4u, cancelled.calls.size());
    EXPECT_EQ("CmCancel", cancelled.calls[2]);

    RecordingDialog refused;
    refused.bOkAnswer = false;
    refused.Step(WM_COMMAND, MAKEWPARAM(IDOK, 0));
    EXPECT_FALSE(refused.RunModal(MAKEINTRESOURCEA(100), nullptr)) << "CmOk returned false: ended by the last resort";
    ASSERT_LE(3u, refused.calls.size());
    EXPECT_EQ("CmOk", refused.calls[2]);
    EXPECT_EQ("DestroyDialog", refused.calls.back());
}

TEST_F(FrameworkTest, RunModalRefusesAnObjectThatHasAWindow) {
    RecordingDialog dialog;
    dialog.bRunModalWhileOpen = true;
    dialog.Step(WM_COMMAND, MAKEWPARAM(IDOK, 0));
    EXPECT_TRUE(dialog.RunModal(MAKEINTRESOURCEA(100), nullptr));
    EXPECT_TRUE(dialog.bRefusedWhileOpen);
    EXPECT_EQ(1, std::count(dialog.calls.begin(), dialog.calls.end(), std::string("InitDialog")));

    RecordingDialog missing;
    EXPECT_FALSE(missing.RunModal(MAKEINTRESOURCEA(999), nullptr)) << "no such template";
    EXPECT_TRUE(missing.calls.empty());
}

// The same object as a modeless dialog: the caller's loop runs it, and OK or Cancel destroy the
// window instead of ending a modal loop.
TEST_F(FrameworkTest, ModelessDialogEndsByDestroyingItsWindow) {
    struct ModelessDialog : LDialog {
        std::vector<std::string> calls;
        bool bCancelAnswer = true;
        void InitDialog() override { calls.push_back("InitDialog"); }
        bool CmCancel() override {
            calls.push_back("CmCancel");
            return bCancelAnswer;
        }
        void DestroyDialog() override { calls.push_back("DestroyDialog"); }
    };
    ModelessDialog dialog;
    ASSERT_TRUE(dialog.Create(MAKEINTRESOURCEA(100), nullptr));
    HWND hwnd = dialog.Window();
    ASSERT_NE(nullptr, hwnd) << "Create returns with the window made and bound";
    EXPECT_FALSE(dialog.Create(MAKEINTRESOURCEA(100), nullptr)) << "an object with a window is refused";
    dialog.bCancelAnswer = false;
    SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(hwnd)) << "CmCancel returned false: the window stays";
    dialog.bCancelAnswer = true;
    SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << "Cancel destroyed the modeless window";
    EXPECT_EQ(nullptr, dialog.Window());
    std::vector<std::string> expected = {"InitDialog", "CmCancel", "CmCancel", "DestroyDialog"};
    EXPECT_EQ(expected, dialog.calls);

    // An object that goes while its window is up takes the window with it, and its last messages
    // no longer reach the object.
    HWND hwndLeft = nullptr;
    {
        ModelessDialog left;
        ASSERT_TRUE(left.Create(MAKEINTRESOURCEA(100), nullptr));
        hwndLeft = left.Window();
    }
    EXPECT_FALSE(IsWindow(hwndLeft));
}

TEST_F(FrameworkTest, ControlOperations) {
    struct ControlDialog : LDialog {
        std::string text;
        RECT moved = {};
        bool bHidden = false, bDisabled = false;
        void InitDialog() override {
            SetDlgItemTextA(hwndDlg, 51, std::string(400, 'z').c_str());
            char szText[kItemTextSize + 8];
            memset(szText, '#', sizeof(szText));
            GetItemText(51, szText, kItemTextSize);
            text = szText;
            MoveControl(51, 0, 30, 60, 11);
            RECT rect;
            GetWindowRect(GetDlgItem(hwndDlg, 51), &rect);
            MapWindowPoints(nullptr, hwndDlg, reinterpret_cast<POINT*>(&rect), 2);
            RECT expected = {0, 30, 60, 11};
            MapDialogRect(hwndDlg, &expected);
            moved = {rect.left - expected.left, rect.top - expected.top, rect.right - rect.left - expected.right,
                     rect.bottom - rect.top - expected.bottom};
            HideControl(50, true);
            bHidden = !IsWindowVisible(GetDlgItem(hwndDlg, 50));
            EnableControl(50, false);
            bDisabled = !IsWindowEnabled(GetDlgItem(hwndDlg, 50));
            PostMessageA(hwndDlg, WM_COMMAND, IDOK, 0);
        }
    } dialog;
    EXPECT_TRUE(dialog.RunModal(MAKEINTRESOURCEA(100), nullptr));
    EXPECT_EQ(std::string(259, 'z'), dialog.text);
    EXPECT_EQ(0, dialog.moved.left);
    EXPECT_EQ(0, dialog.moved.top);
    EXPECT_EQ(0, dialog.moved.right);
    EXPECT_EQ(0, dialog.moved.bottom);
    EXPECT_TRUE(dialog.bHidden);
    EXPECT_TRUE(dialog.bDisabled);
}

}  // namespace
