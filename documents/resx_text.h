// The text of a .NET resource file (.resx).
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// Reads the root <root>'s string resources into pText, each <data>'s <value> a paragraph: a <data>
// with a type or mimetype attribute holds an object (a size, a picture), and one named ">>..." or
// "$this...." a designer's property of a form, so neither counts; nor do the comments, resheaders,
// metadata, assemblies and the schema. A file holds one language, so both sides read the same
// values: a localised file is the translation. False when refused (not well-formed XML, or another
// root).
bool ReadResxText(const char* pUtf8, size_t cbUtf8, DocumentText* pText);
