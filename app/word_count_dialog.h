// The main dialog: measures and prices the clipboard's text, holds the prices and hot-key settings
// in its controls, folds its Settings panel, and hides to the tray while the hot key is enabled.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "app/clipboard_text.h"
#include "app/file_job.h"
#include "app/file_list.h"
#include "app/hot_key.h"
#include "app/tray_icon.h"
#include "pricing/rate_book.h"
#include "pricing/rate_captions.h"
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

class WordCountDialog : public LDialog, private FileJobView {
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
    static const int kDialogWidthDu = 540;
    static const int kFullHeightDu = 362;
    static const int kFoldedHeightDu = 308;
    // The status line spans the dialog's width at the foot of the client area; its last unit lies
    // past the client area's bottom, where the window's edge cuts off its sunken frame's lower edge.
    static const int kStatusLineHeightDu = 11;
    static const int kStatusLinePastBottomDu = 1;
    // The status line's cycle.
    static const UINT_PTR kStatusTimer = 1;
    static const UINT kStatusPeriodMs = 8000;

    // The dialog's operations (word_count_dialog.cpp).
    void InitDialog() override;
    bool CmOk() override { return false; }  // Enter never ends the dialog
    bool CmCancel() override;
    void DisplayHelpContents() override;
    void EnableControls() override;
    void OnCommand(int nId, int nNotifyCode) override;
    void DestroyDialog() override;
    // Hands each message kind to its handler below.
    INT_PTR DialogProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // The commands (word_count_dialog.cpp).
    void CmAddToCsv();
    void CmSaveQuote();
    void CmHelpAbout();
    void CmChangeKey();
    void CmExit();
    void OnEndSession(bool bEnding);
    // The files dropped or handed over, read by the file job.
    void OnDropFiles(HDROP hDrop);
    bool OnCopyData(const COPYDATASTRUCT* pData);
    void OnReadFiles();

    // Measuring and pricing (word_count_pricing.cpp): the clipboard's text is read, summarised and
    // counted, then priced.
    void UpdateText();
    // Shows what is priced (the clipboard's text or the files): its summary and counts, then the
    // prices.
    void ShowPriced(const PricedText* pPriced);
    void ShowFiles(const PricedFiles* pFiles) override;
    void UpdateCost();
    // The characters per line of the rates in use; 0 when the field holds no number.
    int CharsPerLine() override;
    TranslationSide SideInUse() override;
    void ShowSummary(const char16_t* szSummary);
    void SetTextMoney(int nId, double dValue);
    double GetTextMoney(int nId);

    // The status line (word_count_status_line.cpp): a cycle of texts, stepped by its timer, and the
    // lines said for a whole step.
    void OnTimer(UINT_PTR nTimerId);
    INT_PTR OnCtlColorStatic(HDC hdc, HWND hwndControl);
    // A status line shown for a whole step of the cycle.
    void SayForAStep(const wchar_t* szText);
    // A press that came while the window was busy was let go: said for a step of its own, at once,
    // or after the step of what the busy work itself said.
    void OnHotKeyIgnored();
    void ReadingStarts() override;
    void ReadingEnded(const wchar_t* szSaid) override;

    // The hot key and the tray (word_count_hot_key.cpp). The hot key follows its check box; its
    // label shows the key, and whether another program holds it.
    void HotKeyOpen();
    // Only lets the key go (HotKey::Close); a step of its own all the same, so that each place that
    // releases the key (Change Key, the end of the run) names it as HotKeyOpen names the taking.
    void HotKeyClose();
    void OnHotKey();
    void OnTrayNotify(LPARAM lParam);
    // The shell started again (after a crash, say) with an empty tray.
    void OnTrayRemade();
    // A second start of the program: the user asked for the window, hidden in the tray or not.
    // Restores and shows the window and brings it to the front.
    void OnComeForward();
    void OnWindowPosChanging(WINDOWPOS* pPosition);
    // Hides the window where a way back remains (tray icon or hot key), else minimizes it; says so
    // when only the hot key brings it back and bTell is set.
    void HideToTray(bool bTell);
    void CmOpen();
    void CmClose();

    // The looks (word_count_looks.cpp).
    void PlaceWindow(int nClientWidthDu, int nClientHeightDu);
    void ToggleSettings();
    // The summary's font at a DPI: one that shows every script (the dialog's own shows Western
    // ones only). A font set before is deleted.
    void SetSummaryFont(int nDpi);
    void DeleteSummaryFont();
    // The window's big and small icons, in the sizes the system shows them at nDpi.
    void SetWindowIcons(int nDpi);
    void OnDpiChanged(int nDpi, const RECT* pSuggested);
    void OnDpiSettled(int nDpi);

    // The rates (word_count_rates.cpp): the list shows the user's rates; the price fields hold the
    // prices of the rates in use, and what is typed into them goes into those rates.
    void ShowRatesList();
    void ShowRatesInUse();
    void ReadAgainForSide();
    void OnRatesChosen();
    void OnPriceFieldChanged(int nId);
    void CmEditRates();
    // A pricing row's caption as the rates in use name it; the total's says whether the minimum
    // applied.
    void ShowRateCaption(RateCaption eCaption, bool bMinimumApplied);
    void ShowTotalCaption(bool bMinimumApplied);
    const Rates& RatesInUse() const { return rateBook.rates[rateBook.nInUse]; }

    // The settings (word_count_settings.cpp).
    void LoadSettings();
    void SaveSettings();

    // What is priced: the whole text last read from the clipboard, or the files of the file job;
    // what is shown is one of them, kept for the line count. The job title the Add To CSV dialog
    // starts with: the priced files' names, or empty for the clipboard's text, so that a title
    // typed for one job is never offered for the next.
    ClipboardText lastText;
    RateBook rateBook;
    // The rates' prices are being written into the fields: the fields' changes are not theirs.
    bool bShowingRates;
    FileJob fileJob;
    const PricedText* pShown;
    wchar_t szJobTitle[kItemTextSize];
    // The status line: the step of its cycle, a text said for the step now running (SayForAStep),
    // and the next step tells of an ignored press of the hot key.
    int nStatusLine;
    bool bStepSaid;
    bool bIgnoredPressDue;
    // The hot key, the tray icon, and the splash shown at the start.
    HotKey hotKey;
    TrayIcon trayIcon;
    LSplashScreen splashScreen;
    // The looks.
    bool bSettingsShown;
    HFONT hSummaryFont;
    HICON hBigIcon;
    HICON hSmallIcon;
    // The run: started with "/logon" (the modal loop's own first showing of the window is then
    // held back); the session is ending (nothing may wait for the user); the first error of saving
    // the settings, and of removing the machine-wide start at logon.
    const bool bLogonStart;
    bool bStartHidden;
    bool bSessionEnding;
    long nSettingsFailure;
    long nRunFailure;
};
