// One line of the CSV job log: date, "title", characters, words, lines, total, then " \r\n".
// Plain text formatting, so the record's rules are tested natively too.
#pragma once
#include <stddef.h>

enum { kCsvRecordSize = 2048 };

// Writes the record into szRecord (kCsvRecordSize bytes) and answers its length. A double quote in
// the title is doubled, so that spreadsheet programs read the line as one record of six fields;
// the total has two decimals and no grouping.
size_t FormatCsvRecord(char* szRecord, const char* szDate, const char* szTitle, int nChars, int nWords,
                       int nLines, double dTotal);
