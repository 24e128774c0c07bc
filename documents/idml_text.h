// The text of an InDesign package (.idml): its stories, as designmap.xml lists them.
#pragma once

#include "documents/document_text.h"
#include "documents/office_package.h"

// Reads every story designmap.xml lists (those of master spreads too), once each, in its order,
// into pText: the Content of each story's ranges, a Br ending a paragraph and each story ending
// its last one. A table's cells and a footnote are read where they stand, their text after the
// paragraph that holds them. Notes, text variables' results, HiddenText and the ranges a hidden
// condition (a Condition with Visible="false") applies to are not text. False when refused (a
// story part missing, XML not well formed).
bool ReadIdmlText(OfficePackage* pPackage, DocumentText* pText);
