// The text of a TMX translation memory: of each translation unit, the variant in the header's
// source language, or on the target side those of the other languages (or of the one chosen).
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the whole file (UTF-8, a byte-order mark allowed) into pText, each variant's segment a
// paragraph; false when refused, as for XML that is not well-formed (pText->Refusal() says why).
bool ReadTmxText(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
