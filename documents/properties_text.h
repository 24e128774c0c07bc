// The text of a Java .properties file: its values.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

extern const char kRefusedBadProperties[];

// Reads each non-empty value into pText as a paragraph; keys and comment lines (# or !) are not
// text. A file holds one language, so both sides read the same values: a localised file is the
// translation, the base file the source. The encoding: UTF-8 when the file is UTF-8 (a byte-order
// mark skipped), else ISO-8859-1, as Java reads it. False when refused (a \u escape without its four
// hex digits), pText->Refusal() saying why and on which line.
bool ReadPropertiesText(const unsigned char* pData, size_t cbData, DocumentText* pText);
