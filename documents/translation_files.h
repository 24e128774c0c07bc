// Translation and localisation files: which kind a file is, and the reading of each kind by its
// own reader. XML kinds are told by their root element (xliff, tmx, TS, resources with strings,
// root with resheaders), the others by name (.po, .pot, .properties, .strings); IDML is a package
// (see ReadPackage). A file that claims a kind and is damaged is refused, never counted as text.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

class OfficePackage;

// Whether a text's first characters (ASCII, as AsciiHead gives them) begin an XML file whose root
// element is one that a translation file has: past an XML declaration, comments, processing
// instructions and a DOCTYPE.
bool BeginsAsTranslationXml(const char* szHead);

// Reads an XML file whose head says it may be a translation file: in UTF-8 or UTF-16, or in
// another encoding its declaration names, converted. False with pText->Refusal() ==
// kNotTranslationFile when its root says it is not one after all (resources without strings, root
// without resheaders): the caller then counts it as plain text.
bool ReadTranslationXml(const unsigned char* pData, size_t cbData, DocumentText* pText);
extern const char kNotTranslationFile[];

enum class TranslationTextKind { kPo, kProperties, kAppleStrings };
bool ReadTranslationText(TranslationTextKind kind, const unsigned char* pData, size_t cbData, DocumentText* pText);

// The IDML package's mimetype, and the kind it is read as.
extern const char kIdmlMimeType[];
extern const char kIdmlKindName[];
bool ReadIdmlPackage(OfficePackage* pPackage, DocumentText* pText);
