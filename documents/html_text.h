// The text of a web page: what a browser shows, plus what is translated with it (the title, images'
// alt text, title attributes, and the meta description and keywords).
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the page's text into pText; false when the page is refused (pText->Refusal() says why).
// nFallbackCodePage is the encoding of a page with neither a byte-order mark nor a charset
// declaration: kCodePageUtf8 or a code page FindCodePage knows; 0 (or any other value) means the
// text-file rule (UTF-8 when the start is well-formed UTF-8, else Windows-1252).
// bWithTitle: the page's title counts, as it does where the page is shown in a browser (a page
// imported into a Word document shows none).
bool ReadHtmlText(const unsigned char* pData, size_t cbData, int nFallbackCodePage, DocumentText* pText,
                  bool bWithTitle = true);

// The charset a page declares in a <meta> within its first 1,024 bytes (charset="..." or
// http-equiv="Content-Type" with content="...; charset=..."), as CodePageOfCharsetLabel reads it:
// 0 with *pbDeclared false when there is none, 0 with *pbDeclared true for a label not read.
int DeclaredHtmlCodePage(const unsigned char* pData, size_t cbData, bool* pbDeclared);
