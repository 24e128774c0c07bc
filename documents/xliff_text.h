// The text of an XLIFF file (1.2 and the dialects of translation tools that keep its elements; 2.0
// and 2.1): each segment's source, or its translation on the target side, as a paragraph.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the whole file (UTF-8, a byte-order mark allowed) into pText; false when refused, as for
// XML that is not well-formed (pText->Refusal() says why). The version is the root's namespace's,
// else its version attribute's.
bool ReadXliffText(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
