// The main dialog: measures and prices the clipboard's text, holds the prices and hot-key settings
// in its controls, folds its Settings panel, and hides to the tray while the hot key is enabled.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "app/clipboard_text.h"
#include "app/file_arrivals.h"
#include "app/file_list.h"
#include "app/hot_key.h"
#include "app/priced_files.h"
#include "app/tray_icon.h"
#include "ui/dialog.h"
#include "ui/splash_screen.h"

// The status line's own texts: the cycle (ended by null), and the lines shown when the program in
// front copied nothing, when the system kept the keys from it, when the user still held the hot
// key, and when a press came while the program was busy. The line while the hot key is taken comes
// from HotKey::GetWarning.
extern const char* const kStatusTexts[];
extern const char kNothingCopiedText[];
extern const char kInputBlockedText[];
extern const char kHotKeyHeldText[];
extern const char kHotKeyIgnoredText[];
extern const char kClipboardUnreadableText[];

class WordCountDialog : public LDialog {
public:
    // bLogonStart: started at logon ("/logon"), to run hidden in the tray. pStartFiles: the files
    // the start named, priced once the window is made (taken over; may be empty); dwStartTick:
    // when the start was made.
    WordCountDialog(bool bLogonStart, FileList* pStartFiles, DWORD dwStartTick);
    // After the run: says in one box what could not be saved when the program ended, unless it
    // ended with the session.
    void ReportUnsavedSettings() const;

private:
    // The dialog's size in dialog units, with its Settings panel shown and folded.
    static const int kDialogWidthDu = 440;
    static const int kFullHeightDu = 344;
    static const int kFoldedHeightDu = 290;
    // The status line's cycle.
    static const UINT_PTR kStatusTimer = 1;
    static const UINT kStatusPeriodMs = 8000;

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
    // Shows what is priced (the clipboard's text or the files): its summary and counts, then the
    // prices.
    void ShowPriced(const PricedText* pPriced);
    void UpdateCost();
    // Files dropped, or named by a start: read in this thread, the window painted between pieces
    // and Esc stopping; they replace what was shown, or add to the set that starts within 2 s of
    // one another make.
    void TakeDroppedFiles(HDROP hDrop);
    bool TakeHandedFiles(const COPYDATASTRUCT* pData);
    void ReadStartedFiles();
    // Reads the files named (folders opened) and shows them; false when nothing of them was shown.
    bool ReadFiles(const FileList& names, bool bAddToSet);
    // A status line shown for a whole step of the cycle.
    void SayForAStep(const wchar_t* szText);
    // The characters per line as typed; 0 when the field holds no number.
    int CharsPerLine();
    void ShowSummary(const char16_t* szSummary);
    // The summary's font at a DPI: one that shows every script (the dialog's own shows Western
    // ones only). A font set before is deleted.
    void SetSummaryFont(int nDpi);
    // The window's big and small icons, in the sizes the system shows them at nDpi.
    void SetWindowIcons(int nDpi);
    void DeleteSummaryFont();
    void SetTextMoney(int nId, double dValue);
    double GetTextMoney(int nId);

    // The hot key follows its check box; its label shows the key, and whether another program
    // holds it.
    void HotKeyOpen();
    // Only lets the key go (HotKey::Close); a step of its own all the same, so that each place that
    // releases the key (Change Key, the end of the run) names it as HotKeyOpen names the taking.
    void HotKeyClose();
    void HotKeyHit();
    // A press that came while the window was busy was let go: said for a step of its own, at once,
    // or after the step of what the busy work itself said.
    void TellIgnoredPress();
    void OnTrayNotify(LPARAM lParam);

    void CmOpen();
    void CmClose();
    void CmExit();
    void CmHelpAbout();
    void CmAddToCsv();

    // Hides the window where a way back remains (tray icon or hot key), else minimizes it; says so
    // when only the hot key brings it back and bTell is set.
    void HideToTray(bool bTell);
    void PlaceWindow(int nClientWidthDu, int nClientHeightDu);
    void ToggleSettings();
    void StatusLineStep(UINT_PTR nTimerId);
    // Restores and shows the window and brings it to the front.
    void ComeForward();
    void LoadSettings();
    void SaveSettings();

    // The job title the Add To CSV dialog starts with: the priced files' names, or empty for the
    // clipboard's text, so that a title typed for one job is never offered for the next.
    wchar_t szJobTitle[kItemTextSize];
    bool bSettingsShown;
    int nStatusLine;
    // The status line shows, for the step now running, a text said for it (SayForAStep); and the
    // next step tells of an ignored press of the hot key.
    bool bStepSaid;
    bool bIgnoredPressDue;
    // The whole text last read from the clipboard, and the files last priced: what is shown is one
    // of them, kept for the line count.
    ClipboardText lastText;
    PricedFiles files;
    size_t nFilesLeftOut;  // of the set in files, past the limit
    const PricedText* pShown;
    // Files named by starts, waiting to be read.
    FileArrivals startedFiles;
    bool bReadingFiles;
    HFONT hSummaryFont;
    HICON hBigIcon;
    HICON hSmallIcon;
    const bool bLogonStart;
    // Started with "/logon": the modal loop's own first showing of the window is held back.
    bool bStartHidden;
    // The session is ending: nothing may wait for the user.
    bool bSessionEnding;
    // The first error of saving the settings, and of removing the machine-wide start at logon.
    long nSettingsFailure;
    long nRunFailure;
    HotKey hotKey;
    TrayIcon trayIcon;
    LSplashScreen splashScreen;
};
