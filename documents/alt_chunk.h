// A Word document's alternative format chunks (w:altChunk): a part in another format that Word
// imports where the chunk stands, often the whole body. Each is read by its kind, told by its
// content type: a web page, RTF, plain text, or a Word document of its own (one level only: a
// chunk's own chunks are not read).
#pragma once
#include "documents/office_package.h"

// The chunk a w:altChunk start element names through its part's relationships: its part's name in
// *pName, or false when it names none the package holds.
bool AltChunkPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                  XmlSpan* pName);

// Reads the chunk's text where it stands; a kind it does not know gives nothing. bInChunk: the
// document holding it is itself a chunk, whose chunks are left out.
bool ReadAltChunk(OfficePackage* pPackage, XmlSpan partName, bool bInChunk, DocumentText* pText);
