// The text of an Android string resource file (res/values*/strings.xml).
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the root <resources>'s units into pText, each a paragraph: every <string>, and each <item>
// of a <plurals> or <string-array>; one marked translatable="false" is left out. An xliff:g
// placeholder and what it holds are not text; the text inside other tags (b, i, u, font,
// annotation) is. The value reads as Android reads it: one wholly in double quotes loses them and
// keeps its white space, any other has its runs of white space made one space and trimmed; the
// escapes \' \" \n \t \@ \? \\ \uXXXX are decoded (any other \c is c). A file holds one language,
// so both sides read the same values: a localised file is the translation. False when refused (not
// well-formed XML, or another root).
bool ReadAndroidStringsText(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
