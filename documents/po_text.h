// The text of a gettext catalog (.po, .pot): each entry's message, or its translation.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

extern const char kRefusedBadPo[];

// Reads the entries into pText, one paragraph per message; false when refused (pText->Refusal()
// says why, with the line of a syntax error). On the source side an entry gives its msgid and its
// msgid_plural, each a paragraph; on the target side its msgstr, or each msgstr[n], a fuzzy entry's
// as written (the translator wrote it; whether it is right is not the count's business). The
// header entry (msgid ""), obsolete entries (#~), contexts and comments are not text. The strings'
// C escapes are decoded; a "\n" in a message is a line end (LF) inside its paragraph. The encoding
// is the header's charset (the WHATWG labels); no header, or a charset it does not name ("CHARSET"
// in a template, an unknown label), follows the text-file rule.
bool ReadPoText(const unsigned char* pData, size_t cbData, DocumentText* pText);
