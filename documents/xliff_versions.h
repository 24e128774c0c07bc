// The readers of XLIFF's two vocabularies, each given the reader standing on the root's start.
#pragma once
#include "documents/document_text.h"
#include "documents/xml_reader.h"

bool ReadXliff1Text(XmlReader* pReader, DocumentText* pText);
bool ReadXliff2Text(XmlReader* pReader, DocumentText* pText);
