// The text of an Excel workbook (.xlsx, .xlsm, .xltx): every cell that holds text, shared or inline
// (rich-text runs joined, phonetic runs left out), sheet by sheet in the workbook's order, row by
// row, hidden sheets, rows and columns included; each cell a paragraph, so a shared string shown in
// ten cells counts ten times. Numbers, dates, booleans and formulas' results are not translated and
// do not count. The shared strings are kept in memory while the sheets are read: they count
// against the text's bound.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"
#include "documents/office_package.h"

bool ReadExcelText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText);

// Decodes Excel's _xHHHH_ escapes in place (a UTF-16 unit each; _x005F_ is "_"; a lone surrogate is
// U+FFFD) and gives the decoded length, which is never more than cb.
size_t DecodeExcelEscapes(char* p, size_t cb);
