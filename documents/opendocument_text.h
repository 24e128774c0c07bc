// The text of an OpenDocument file (.odt, .ods, .odp and their templates): the paragraphs and
// headings of the body, tables cell by cell (in a spreadsheet only cells of text), a frame's text
// and a note's body after the paragraph that anchors them, then the master pages' headers and
// footers that are shown. A repeated row or cell counts its text as often as it repeats.
// Annotations, tracked deletions, note citations, and the fields of page numbers, page counts,
// dates and times do not count.
#pragma once
#include "documents/document_text.h"
#include "documents/office_package.h"

enum class OpenDocumentKind { kText, kSpreadsheet, kPresentation };

bool ReadOpenDocumentText(OfficePackage* pPackage, OpenDocumentKind kind, DocumentText* pText);
