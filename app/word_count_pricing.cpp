// The main dialog's pricing: what is shown and priced, the clipboard's text or a set of files, and the prices made from its counts.
#include "app/word_count_dialog.h"

#include <windows.h>

#include "app/file_handover.h"
#include "app/file_reading.h"
#include "pricing/money.h"
#include "measure/text_measure.h"
#include "resources/main_dialog_ids.h"
#include "ui/unicode_control.h"

int WordCountDialog::CharsPerLine() {
    BOOL bRead = FALSE;
    int nCharsPerLine = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHARS_PER_LINE, &bRead, TRUE));
    return bRead ? nCharsPerLine : 0;
}

void WordCountDialog::ShowSummary(const char16_t* szSummary) {
    const WCHAR* szWide = reinterpret_cast<const WCHAR*>(szSummary);
    if (SetDlgItemTextW(hwndDlg, IDC_SUMMARY, szWide)) return;
    // Windows 9x has no Unicode windows: there the call fails, and the summary is shown in the
    // ANSI code page (at most three bytes a unit).
    char szAnsi[3 * kSummaryBufferSize];
    if (WideCharToMultiByte(CP_ACP, 0, szWide, -1, szAnsi, sizeof(szAnsi), nullptr, nullptr) == 0) szAnsi[0] = '\0';
    SetDlgItemTextA(hwndDlg, IDC_SUMMARY, szAnsi);
}

void WordCountDialog::UpdateText() {
    if (lastText.ReadClipboard(CharsPerLine()) == ClipboardRead::kUnreadable) {
        // What is shown stays: an empty text priced in its place would be a wrong price.
        SayForAStep(nullptr);
        SetItemTextFromAnsi(hwndDlg, IDC_STATUS_LINE, kClipboardUnreadableText);
        return;
    }
    szJobTitle[0] = L'\0';
    startedFiles.EndSet();
    ShowPriced(&lastText);
}

void WordCountDialog::ShowPriced(const PricedText* pPriced) {
    pShown = pPriced;
    char16_t szSummary[kSummaryBufferSize];
    pShown->GetSummary(szSummary);
    ShowSummary(szSummary);
    TextCounts counts = pShown->Counts();
    SetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, static_cast<UINT>(SaturateToInt(counts.nChars)), TRUE);
    SetDlgItemInt(hwndDlg, IDC_WORD_COUNT, static_cast<UINT>(SaturateToInt(counts.nWords)), TRUE);
    UpdateCost();
}

void WordCountDialog::SayForAStep(const wchar_t* szText) {
    bStepSaid = true;
    if (szText != nullptr) SetDlgItemTextW(hwndDlg, IDC_STATUS_LINE, szText);
    // A step that fell due meanwhile would otherwise replace it at once.
    SetTimer(hwndDlg, kStatusTimer, kStatusPeriodMs, nullptr);
}

void WordCountDialog::TakeDroppedFiles(HDROP hDrop) {
    UINT nDropped = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    FileList dropped;
    // Each name's length is asked first: a path may have up to 32,767 units.
    wchar_t* szPath = nullptr;
    UINT nRoom = 0;
    for (UINT i = 0; i < nDropped; ++i) {
        UINT nLength = DragQueryFileW(hDrop, i, nullptr, 0);
        if (nLength == 0) continue;
        if (nLength >= nRoom) {
            if (szPath != nullptr) HeapFree(GetProcessHeap(), 0, szPath);
            nRoom = nLength + 1;
            szPath = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, nRoom * sizeof(wchar_t)));
            if (szPath == nullptr) nRoom = 0;
        }
        UINT n = szPath != nullptr ? DragQueryFileW(hDrop, i, szPath, nRoom) : 0;
        if (n > 0 && n < nRoom) {
            dropped.Add(szPath);
        } else {
            // Memory ran out: the file is counted as left out.
            dropped.CountLeftOut(1);
        }
    }
    if (szPath != nullptr) HeapFree(GetProcessHeap(), 0, szPath);
    DragFinish(hDrop);
    // A drop while files are read waits for nothing: it is let go, as any other input then.
    if (bReadingFiles) return;
    // A drop makes a set of its own, which no start joins.
    if (ReadFiles(dropped, false)) startedFiles.EndSet();
}

bool WordCountDialog::TakeHandedFiles(const COPYDATASTRUCT* pData) {
    HandedFiles handed;
    if (!ReadHandOver(pData, &handed)) return false;
    // Copied now, and read once the start has its answer.
    startedFiles.AddStart(handed.pNames, handed.nUnits, handed.nLeftOut, handed.dwStartTick);
    PostMessageA(hwndDlg, WMAPP_READ_FILES, 0, 0);
    return true;
}

void WordCountDialog::ReadStartedFiles() {
    // One reading at a time: names handed over meanwhile wait for the message posted with them.
    if (bReadingFiles || !startedFiles.Waiting()) return;
    FileList names;
    bool bAddToSet = false;
    startedFiles.TakeWaiting(&names, &bAddToSet);
    startedFiles.SetShown(ReadFiles(names, bAddToSet));
}

bool WordCountDialog::ReadFiles(const FileList& names, bool bAddToSet) {
    // Files that join the set shown have the room it leaves; past it they are counted, not read.
    FileList toRead;
    size_t nRoom = kMaxListedFiles;
    if (bAddToSet) nRoom = files.Count() < kMaxListedFiles ? kMaxListedFiles - files.Count() : 0;
    toRead.SetRoom(nRoom);
    for (const wchar_t* sz = names.First(); sz != nullptr; sz = names.Next(sz)) toRead.AddExpanded(sz);
    toRead.TakeLeftOut(names);
    // The files past the limit are told for the whole set: those left out of it before, and these.
    if (bAddToSet) toRead.CountLeftOut(nFilesLeftOut);
    bReadingFiles = true;
    KillTimer(hwndDlg, kStatusTimer);
    PricedFiles read;
    FileReading reading(hwndDlg, IDC_STATUS_LINE);
    bool bDone = reading.ReadAll(toRead, CharsPerLine(), &read);
    bReadingFiles = false;
    if (!bDone) {
        SayForAStep(FileReading::kStoppedText);
        return false;
    }
    // A set of which every file was left out changes nothing shown; files that join a full set
    // leave it on show, with more files left out.
    bool bShown = read.Count() > 0 || (bAddToSet && toRead.LeftOut() > 0);
    if (bShown) {
        if (!bAddToSet) files.Clear();
        files.TakeAll(&read);
        nFilesLeftOut = toRead.LeftOut();
        files.GetJobTitle(szJobTitle, kItemTextSize);
        ShowPriced(&files);
    }
    if (reading.Outcome()[0] != L'\0') {
        SayForAStep(reading.Outcome());
    } else {
        // The cycle goes on at once, over the last "Reading" line.
        SetTimer(hwndDlg, kStatusTimer, 0, nullptr);
    }
    return bShown;
}

void WordCountDialog::UpdateCost() {
    // Only the lines depend on the characters per line: they alone are counted again, from the
    // measuring bytes kept with the text.
    int nLines = pShown->CountLines(CharsPerLine());
    SetDlgItemInt(hwndDlg, IDC_LINE_COUNT, static_cast<UINT>(nLines), TRUE);

    // Prices are computed from the counts on show.
    int nChars = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_CHAR_COUNT, nullptr, TRUE));
    int nWords = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_WORD_COUNT, nullptr, TRUE));
    int nLineCount = static_cast<int>(GetDlgItemInt(hwndDlg, IDC_LINE_COUNT, nullptr, TRUE));
    JobPrices prices;
    prices.dPerChar = GetTextMoney(IDC_COST_PER_CHAR);
    prices.dPerWord = GetTextMoney(IDC_COST_PER_WORD);
    prices.dPerLine = GetTextMoney(IDC_COST_PER_LINE);
    prices.dFixed = GetTextMoney(IDC_FIXED_COST);
    JobCosts costs = PriceJob(prices, nChars, nWords, nLineCount);
    SetTextMoney(IDC_CHARS_COST, costs.dChars);
    SetTextMoney(IDC_WORDS_COST, costs.dWords);
    SetTextMoney(IDC_LINES_COST, costs.dLines);
    SetTextMoney(IDC_TOTAL_COST, costs.dTotal);
}

void WordCountDialog::SetTextMoney(int nId, double dValue) {
    char szText[kMoneyTextSize];
    FormatMoney(dValue, " ", szText, sizeof(szText));
    SetDlgItemTextA(hwndDlg, nId, szText);
}

double WordCountDialog::GetTextMoney(int nId) {
    char szText[kItemTextSize];
    GetItemText(nId, szText, sizeof(szText));
    return TextToMoney(szText);
}

