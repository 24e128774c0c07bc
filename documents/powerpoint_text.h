// The text of a PowerPoint presentation (.pptx, .ppsx, .potx): the slides in the presentation's
// order, hidden ones included (each shape's paragraphs, tables cell by cell; the date, footer and
// slide-number placeholders left out), then each slide's speaker notes (the notes' body only).
// The prompt texts of layouts and masters do not count.
#pragma once
#include "documents/document_text.h"
#include "documents/office_package.h"

bool ReadPowerPointText(OfficePackage* pPackage, XmlSpan mainPart, DocumentText* pText);
