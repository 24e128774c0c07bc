// The text of a Word document (.docx, .docm, .dotx, .dotm), as a reader is paid for it: the body in
// document order, a text box's paragraphs right after the paragraph that anchors it, then each
// header and footer a section shows once (documents/word_sections.h), then the footnotes and
// endnotes. Inserted text counts; deleted text, field codes, the results of fields the program
// makes (documents/word_fields.h), hidden text, directly or through styles
// (documents/word_styles.h), and comments do not. SmartArt diagrams' text follows their paragraph,
// and an alternative format chunk's (w:altChunk) stands where the chunk does.
#pragma once
#include "documents/document_text.h"
#include "documents/office_package.h"

// bInChunk: the document is another's alternative format chunk, whose own chunks are not read.
bool ReadWordText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText, bool bInChunk = false);
