// A set of priced files: each file's counts and its class bytes, kept so that the lines follow
// the characters-per-line field without the files being read again. The counts are the sums over
// the files, the lines counted in each file at the limit and then summed.
#pragma once
#include <stddef.h>
#include <windows.h>

#include "app/file_list.h"
#include "app/priced_text.h"
#include "app/files_summary.h"
#include "documents/document_text.h"
#include "documents/kept_lines.h"
#include "documents/reading_progress.h"

// The most a file is read in at a time: between pieces the window is painted and Esc is seen.
const DWORD kReadPieceBytes = 1 << 20;

class PricedFiles : public PricedText {
public:
    PricedFiles();
    ~PricedFiles() override;
    PricedFiles(const PricedFiles&) = delete;
    PricedFiles& operator=(const PricedFiles&) = delete;

    enum ReadResult { kFileRead, kFileRefused, kReadingStopped };
    // Reads a file and adds it to the set, lines first counted at nCharsPerLine, a translation
    // file's side of it. A file refused (its kind, its damage, the system's reason) is left out,
    // with the reason in szReason.
    ReadResult ReadFile(const wchar_t* szPath, int nCharsPerLine, TranslationSide side, ReadingProgress* pProgress,
                        wchar_t* szReason, size_t nReasonUnits);
    // Moves the other set's files to the end of this one.
    void TakeAll(PricedFiles* pOther);
    void Clear();
    size_t Count() const { return nFiles; }
    // The units of the translation files read for their target that have no translation.
    uint64_t Untranslated() const;
    // Whether a translation file of the set was read for the other side than this.
    bool ReadForAnotherSide(TranslationSide side) const;
    // The path of file nIndex.
    const wchar_t* Path(size_t nIndex) const { return pFiles[nIndex].szPath; }

    TextCounts Counts() const override;
    int CountLines(int nCharsPerLine) const override;
    void AddRated(const Rates& rates, RatedRow* pSums) const override;
    void GetSummary(char16_t* szSummary) const override;
    // A row a file: its name without its folder, what it was read as.
    size_t RowCount() const override { return nFiles; }
    void GetRow(size_t nIndex, const Rates& rates, QuoteFile* pRow) const override;
    // The files' names joined, for the job title (nUnits units).
    void GetJobTitle(wchar_t* szTitle, size_t nUnits) const;

private:
    struct File {
        wchar_t* szPath;
        const wchar_t* szName;  // in szPath, after its folder
        TextCounts counts;
        KeptLines* pKept;
        const char* szKind;  // what it was read as (FileMeasure::KindName), a static text
        bool bTranslation;   // a translation file, read for this side
        TranslationSide side;
        uint64_t nUntranslated;
    };
    ReadResult Measure(HANDLE hFile, const wchar_t* szPath, File* pFile, int nCharsPerLine, TranslationSide side,
                       ReadingProgress* pProgress, wchar_t* szReason, size_t nReasonUnits);
    void FreeFile(File* pFile);
    void GetWords(FileWords* pWords) const;
    RateCounts Rated(size_t nIndex, const Rates& rates) const;

    File* pFiles;
    size_t nFiles;
    char* pPiece;  // the read buffer, kReadPieceBytes, made at the first read
};
