// The main dialog: measures and prices the clipboard's text, holds the prices and hot-key settings
// in its controls, folds its Settings panel, and hides to the tray while the hot key is enabled.
#pragma once
#include "app/clipboard_text.h"
#include "ui/dialog.h"
#include "ui/splash_screen.h"

// The key's label: "Ctrl+", "Alt+", "Shift+" in that order, then the system's name of the key.
void BuildHotKeyLabel(int nModifiers, int nVirtualKey, char* szLabel /* kItemTextSize */);

class WordCountDialog : public LDialog {
public:
    WordCountDialog();
    ~WordCountDialog() override;

    void InitDialog() override;
    bool CmOk() override { return false; }  // Enter never ends the dialog
    bool CmCancel() override;
    void DisplayHelpContents() override;
    void EnableControls() override;
    void OnCommand(int nId, int nNotifyCode) override;
    void DestroyDialog() override;
    INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Measuring and pricing: the clipboard's text is read, summarised and counted, then priced.
    void UpdateText();
    void UpdateCost();
    void SetTextMoney(int nId, double dValue);
    double GetTextMoney(int nId);

    // The global hot key.
    void HotKeyOpen();
    void HotKeyClose();
    void HotKeyRestart();
    void HotKeyHit();

    // The tray icon and its menu.
    void TrayIconAdd();
    void TrayIconDelete();
    void OnTrayNotify(LPARAM lParam);
    void ShowTrayMenu();

    void CmOpen();
    void CmClose();
    void CmExit();
    void CmHelpAbout();
    void CmAddToCsv();

    double dTotalCost;
    char szJobTitle[kItemTextSize];
    unsigned char bSettingsShown;
    int nStatusLine;
    // The whole text last read from the clipboard, for the line count.
    ClipboardText lastText;
    // Started with "/logon": the modal loop's own first showing of the window is held back.
    bool bStartHidden;
    // Whether the tray icon is there (the shell took it) and the hot key is registered (no other
    // program holds the combination): without both, hiding the window could lose it.
    bool bTrayIconShown;
    bool bHotKeyRegistered;
    // Enabled, but another program holds the combination.
    bool bHotKeyTaken;
    // The shell's "TaskbarCreated" message: the tray was made anew and its icons are gone.
    UINT nTaskbarCreatedMessage;
    LSplashScreen splashScreen;

private:
    void SelectAndCopyInForeground();
    // Hides the window where a way back remains (tray icon or hot key), else minimizes it; says so
    // when only the hot key brings it back and bTell is set.
    void HideToTray(bool bTell);
    // The status line's text while the hot key is enabled but taken by another program; null else.
    const char* HotKeyWarning(char* szText /* kItemTextSize */);
    void PlaceWindow(int nClientWidthDu, int nClientHeightDu);
    void ToggleSettings();
    void StatusLineStep(UINT_PTR nTimerId);
    void LoadSettings();
    void SaveSettings();
};
