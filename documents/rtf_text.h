// The text of an RTF document that a typist is paid for: the body, headers, footers, footnotes, field
// results and text boxes, in reading order, through DocumentText. The whole file is in memory and
// nothing is allocated: groups and fonts are kept in fixed arrays bounded by the limits below.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

const unsigned kRtfMaxDepth = 256;    // groups open at once
const unsigned kRtfMaxFonts = 1024;   // fonts of \fonttbl kept; a byte in any other is read in \ansicpg
const size_t kRtfMaxWordLength = 32;  // letters of a control word

// False when the file is refused; pText->Refusal() then says why and the text made so far is void.
// The data must start with "{\rtf".
bool ReadRtfText(const unsigned char* pData, size_t cbData, DocumentText* pText);
