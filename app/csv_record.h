// One line of the CSV job log: date, "title", characters, words, lines, total. Plain text
// formatting, so the record's rules are tested natively too.
#pragma once
#include <stddef.h>

// The longest title in bytes: the dialog's 259 UTF-16 units take at most 3 bytes each in UTF-8 (a
// surrogate pair, two units, takes 4).
enum { kCsvTitleBytes = 3 * 259 };
enum { kCsvRecordSize = 2048 };

// How the fields are laid out. A UTF-8 log holds RFC 4180 records: a comma alone between fields and
// CR LF at the end, so that a quoted title holding commas is one field to every CSV reader (a blank
// before the opening quote makes the quote part of the text to strict ones). An older log in the
// ANSI code page goes on as it began: a blank after each comma and one before the line break.
enum class CsvLayout { kRfc4180, kSpaced };

// Writes the record into szRecord (kCsvRecordSize bytes) and returns its length. The title is bytes
// of the log's own encoding, UTF-8 or ANSI, written as they are between double quotes. A double
// quote in the title is doubled, so that spreadsheet programs read the line as one record of six
// fields; the total has two decimals and no grouping. A title of up to kCsvTitleBytes is written
// whole; a longer one is cut before the UTF-8 character that does not fit.
size_t FormatCsvRecord(char* szRecord, CsvLayout layout, const char* szDate, const char* szTitle, int nChars,
                       int nWords, int nLines, double dTotal);
