// The text of an Excel workbook (.xlsx, .xlsm, .xltx): every cell that holds text, shared or inline
// (rich-text runs joined, phonetic runs left out), sheet by sheet in the workbook's order, row by
// row, hidden sheets, rows and columns included; each cell a paragraph, so a shared string shown in
// ten cells counts ten times. Numbers, dates, booleans and formulas' results are not translated and
// do not count.
#pragma once
#include <string>

#include "documents/document_text.h"
#include "documents/office_package.h"

bool ReadExcelText(OfficePackage* pPackage, const std::string& mainPart, DocumentText* pText);

// Adds a cell's text to pOut with Excel's _xHHHH_ escapes decoded (a UTF-16 unit each; _x005F_ is
// "_"; a lone surrogate is U+FFFD).
void AppendExcelDecoded(const std::string& text, std::string* pOut);
