// The text of a Qt Linguist translation file (.ts): each message's source, or its translation (each
// plural form of it) on the target side. Obsolete and vanished messages are not counted.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the whole file (UTF-8, a byte-order mark allowed) into pText, each message (each plural
// form) a paragraph; false when refused, as for XML that is not well-formed (pText->Refusal() says
// why).
bool ReadQtTsText(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
