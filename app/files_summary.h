// What the main dialog says of a set of priced files: the summary names each file with its words
// ("3 files: letter.docx 301 words; report.odt 1502 words; notes.txt 12 words"), and the job title
// the CSV log is offered joins their names. Both are cut at a whole name, never inside one.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct FileWords {
    const char16_t* szName;  // the file's name without its folder
    int64_t nWords;
};

// The summary, at most kFilesSummaryMax units (a long text's summary is as long); szSummary holds
// kSummaryBufferSize units. Files that do not fit are told as "and N more".
const size_t kFilesSummaryMax = 193;
void BuildFilesSummary(const FileWords* pFiles, size_t nFiles, char16_t* szSummary);

// The names joined by " + " (a comma, common in file names, would not tell two names from one), as
// many whole names as nTitleUnits - 1 units hold.
void BuildFilesJobTitle(const FileWords* pFiles, size_t nFiles, char16_t* szTitle, size_t nTitleUnits);
