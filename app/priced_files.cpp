#include "app/priced_files.h"

#include <string.h>
#include <wchar.h>

#include "app/file_measure.h"
#include "app/files_summary.h"
#include "support/file_names.h"
#include "support/path_text.h"
#include "support/plain_object.h"
#include "support/system_error_text.h"

namespace {


void CopyReason(const char* szAscii, wchar_t* szReason, size_t nReasonUnits) {
    if (MultiByteToWideChar(CP_UTF8, 0, szAscii, -1, szReason, static_cast<int>(nReasonUnits)) == 0) {
        szReason[nReasonUnits - 1] = L'\0';
    }
}

// The system's text for the last error.
void SystemReason(wchar_t* szReason, size_t nReasonUnits) { SystemErrorText(GetLastError(), szReason, nReasonUnits); }

}  // namespace

PricedFiles::PricedFiles() : pFiles(nullptr), nFiles(0), pPiece(nullptr) {}

PricedFiles::~PricedFiles() {
    Clear();
    if (pFiles != nullptr) HeapFree(GetProcessHeap(), 0, pFiles);
    if (pPiece != nullptr) HeapFree(GetProcessHeap(), 0, pPiece);
}

void PricedFiles::FreeFile(File* pFile) {
    HeapFree(GetProcessHeap(), 0, pFile->szPath);
    DeletePlainObject(pFile->pKept);
}

void PricedFiles::Clear() {
    for (size_t i = 0; i < nFiles; ++i) FreeFile(&pFiles[i]);
    nFiles = 0;
}

PricedFiles::ReadResult PricedFiles::ReadFile(const wchar_t* szPath, int nCharsPerLine, TranslationSide side,
                                              ReadingProgress* pProgress, wchar_t* szReason, size_t nReasonUnits) {
    if (pFiles == nullptr) pFiles = static_cast<File*>(HeapAlloc(GetProcessHeap(), 0, kMaxListedFiles * sizeof(File)));
    if (pPiece == nullptr) pPiece = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kReadPieceBytes));
    size_t nPath = wcslen(szPath);
    File file = {static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (nPath + 1) * sizeof(wchar_t))), nullptr,
                 {}, NewPlainObject<KeptLines>(), nullptr, false, side, 0};
    if (pFiles == nullptr || pPiece == nullptr || file.szPath == nullptr || file.pKept == nullptr ||
        nFiles >= kMaxListedFiles) {
        if (file.szPath != nullptr) HeapFree(GetProcessHeap(), 0, file.szPath);
        DeletePlainObject(file.pKept);
        CopyReason(kRefusedOutOfMemory, szReason, nReasonUnits);
        return kFileRefused;
    }
    memcpy(file.szPath, szPath, (nPath + 1) * sizeof(wchar_t));
    file.szName = FileNameOf(file.szPath);
    // Read with every sharing mode: a document open in its program is read too.
    OpenablePath openable(szPath);
    HANDLE hFile = CreateFileW(openable.Get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    ReadResult result = kFileRefused;
    if (hFile == INVALID_HANDLE_VALUE) {
        SystemReason(szReason, nReasonUnits);
    } else {
        result = Measure(hFile, szPath, &file, nCharsPerLine, side, pProgress, szReason, nReasonUnits);
        CloseHandle(hFile);
    }
    if (result != kFileRead) {
        FreeFile(&file);
        return result;
    }
    pFiles[nFiles++] = file;
    return kFileRead;
}

PricedFiles::ReadResult PricedFiles::Measure(HANDLE hFile, const wchar_t* szPath, File* pFile, int nCharsPerLine,
                                             TranslationSide side, ReadingProgress* pProgress, wchar_t* szReason,
                                             size_t nReasonUnits) {
    if (GetFileType(hFile) != FILE_TYPE_DISK) {
        CopyReason(kRefusedNotAFile, szReason, nReasonUnits);
        return kFileRefused;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(hFile, &size)) size.QuadPart = 0;
    // The kind is told by the name's extension, in UTF-8.
    char szName[MAX_PATH * 3];
    if (WideCharToMultiByte(CP_UTF8, 0, FileNameOf(szPath), -1, szName, sizeof(szName), nullptr, nullptr) == 0) {
        szName[0] = '\0';
    }
    FileMeasureOptions options;
    options.nCharsPerLine = nCharsPerLine;
    options.translation.side = side;
    FileMeasure measure(options, pFile->pKept);
    DWORD cbRead = 0;
    bool bMeasured = ::ReadFile(hFile, pPiece, kReadPieceBytes, &cbRead, nullptr) &&
                     measure.Start(pPiece, cbRead, szName, false, static_cast<uint64_t>(size.QuadPart));
    while (bMeasured && cbRead > 0 && measure.WantsMore()) {
        if (!pProgress->GoOn()) return kReadingStopped;
        bMeasured = ::ReadFile(hFile, pPiece, kReadPieceBytes, &cbRead, nullptr) && measure.Feed(pPiece, cbRead);
    }
    if (bMeasured && measure.Finish(&pFile->counts, pProgress)) {
        pFile->szKind = measure.KindName();
        pFile->bTranslation = measure.ReadAsTranslation();
        pFile->nUntranslated = measure.Untranslated();
        return kFileRead;
    }
    if (measure.Stopped()) return kReadingStopped;
    if (measure.Refusal() != nullptr) {
        CopyReason(measure.Refusal(), szReason, nReasonUnits);
    } else {
        SystemReason(szReason, nReasonUnits);
    }
    return kFileRefused;
}

void PricedFiles::TakeAll(PricedFiles* pOther) {
    for (size_t i = 0; i < pOther->nFiles; ++i) {
        if (pFiles == nullptr) pFiles = static_cast<File*>(HeapAlloc(GetProcessHeap(), 0, kMaxListedFiles * sizeof(File)));
        if (pFiles != nullptr && nFiles < kMaxListedFiles) {
            pFiles[nFiles++] = pOther->pFiles[i];
        } else {
            FreeFile(&pOther->pFiles[i]);
        }
    }
    pOther->nFiles = 0;
}

uint64_t PricedFiles::Untranslated() const {
    uint64_t nUntranslated = 0;
    for (size_t i = 0; i < nFiles; ++i) nUntranslated += pFiles[i].nUntranslated;
    return nUntranslated;
}

bool PricedFiles::ReadForAnotherSide(TranslationSide side) const {
    for (size_t i = 0; i < nFiles; ++i) {
        if (pFiles[i].bTranslation && pFiles[i].side != side) return true;
    }
    return false;
}

TextCounts PricedFiles::Counts() const {
    TextCounts total = {};
    for (size_t i = 0; i < nFiles; ++i) {
        total.nChars += pFiles[i].counts.nChars;
        total.nWords += pFiles[i].counts.nWords;
        total.nLines += pFiles[i].counts.nLines;
        total.nCharsNoBreaks += pFiles[i].counts.nCharsNoBreaks;
        total.nCharsNoSpaces += pFiles[i].counts.nCharsNoSpaces;
    }
    return total;
}

int PricedFiles::CountLines(int nCharsPerLine) const {
    int64_t nLines = 0;
    for (size_t i = 0; i < nFiles; ++i) nLines += pFiles[i].pKept->CountLines(nCharsPerLine);
    return SaturateToInt(nLines);
}

RateCounts PricedFiles::Rated(size_t nIndex, const Rates& rates) const {
    int64_t nLines = RatesLayOutLines(rates) ? pFiles[nIndex].pKept->CountLines(RateCharsPerLine(rates)) : 0;
    return RateCountsOf(pFiles[nIndex].counts, nLines);
}

void PricedFiles::AddRated(const Rates& rates, RatedRow* pSums) const {
    for (size_t i = 0; i < nFiles; ++i) AddRatedCounts(rates, Rated(i, rates), pSums);
}

void PricedFiles::GetRow(size_t nIndex, const Rates& rates, QuoteFile* pRow) const {
    if (WideCharToMultiByte(CP_UTF8, 0, pFiles[nIndex].szName, -1, pRow->szName, sizeof(pRow->szName), nullptr,
                            nullptr) == 0) {
        pRow->szName[0] = '\0';
    }
    pRow->szKind = pFiles[nIndex].szKind;
    pRow->counts = Rated(nIndex, rates);
}

void PricedFiles::GetWords(FileWords* pWords) const {
    for (size_t i = 0; i < nFiles; ++i) {
        pWords[i] = FileWords{reinterpret_cast<const char16_t*>(pFiles[i].szName), pFiles[i].counts.nWords};
    }
}

void PricedFiles::GetSummary(char16_t* szSummary) const {
    FileWords words[kMaxListedFiles];
    GetWords(words);
    BuildFilesSummary(words, nFiles, szSummary);
}

void PricedFiles::GetJobTitle(wchar_t* szTitle, size_t nUnits) const {
    FileWords words[kMaxListedFiles];
    GetWords(words);
    BuildFilesJobTitle(words, nFiles, reinterpret_cast<char16_t*>(szTitle), nUnits);
}
