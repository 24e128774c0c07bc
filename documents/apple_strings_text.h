// The text of an Apple .strings file: the values of its "key" = "value"; pairs.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

extern const char kRefusedBadStrings[];

// Reads each non-empty value into pText as a paragraph; keys and comments (/* */, //) are not
// text. A file holds one language, so both sides read the same values: a localised file is the
// translation. The encoding: UTF-16 after its byte-order mark, or without one when every other
// byte is zero; else UTF-8. False when refused (a string or comment without its end, a pair
// without its '=' or ';'), pText->Refusal() saying why and on which line.
bool ReadAppleStringsText(const unsigned char* pData, size_t cbData, DocumentText* pText);
