// What the readers of translation files in XML share: the reader set up for them (a DOCTYPE that
// names an external DTD is read past, as TS and TMX files have one), a refusal that says what in the
// XML is wrong and where, and a text token's decoded text put on the document's text.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"
#include "documents/xml_reader.h"

// An XML reader over a whole translation file in UTF-8, its progress counted on pText.
class TranslationXmlReader : public XmlReader {
public:
    TranslationXmlReader(const char* pUtf8, size_t cbUtf8, DocumentText* pText)
        : XmlReader(pUtf8, cbUtf8, pText->Meter()) {
        ReadPastExternalDoctype();
    }
};

// Refuses the file the reader failed on: a DOCTYPE with an internal subset for it, a
// stopped reading as stopped, anything else as not well-formed with the reader's reason and offset.
bool RefuseTranslationXml(const XmlReader& reader, DocumentText* pText);

// Decodes the text token the reader stands on (a CDATA section raw) onto pText.
void PutXmlText(const XmlReader& reader, DocumentText* pText);
