// One line of the CSV job log: date, "title", characters, words, lines, total, and in a log that
// has them the rates' "name" and currency. Plain text formatting, so the record's rules are tested
// natively too.
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

// The rates the job was priced with, as a log with eight fields records them: the name (at most
// 40 UTF-16 units) and the currency (at most 16), in the log's encoding.
struct CsvRates {
    const char* szName;
    const char* szCurrency;
};

// Writes the record into szRecord (kCsvRecordSize bytes) and returns its length. The title and the
// rates' name are bytes of the log's own encoding, UTF-8 or ANSI, written as they are between
// double quotes, a double quote in them doubled, so that spreadsheet programs read the line as one
// record; the currency is quoted only when it holds a comma, a quote or a line break. The lines are
// the count as shown ("12" or "12.35"); the total has two decimals and no grouping. A title of up
// to kCsvTitleBytes is written whole; a longer one is cut before the UTF-8 character that does not
// fit. pRates null: the six fields of a log that began without the rates.
size_t FormatCsvRecord(char* szRecord, CsvLayout layout, const char* szDate, const char* szTitle, int nChars,
                       int nWords, const char* szLines, double dTotal, const CsvRates* pRates);

// The fields of the first record of a log's bytes (after its mark), quoted commas and line breaks
// inside their field; 0 for no bytes.
int CsvFirstRecordFields(const char* pBytes, size_t nBytes);
