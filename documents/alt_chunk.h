// A Word document's alternative format chunks (w:altChunk): a part in another format that Word
// imports where the chunk stands, often the whole body. Each is read by its kind, told by its
// content type: a web page, RTF, plain text, or a Word document of its own (which the Word reader
// reads, one level only: a chunk's own chunks are not read).
#pragma once
#include "documents/office_package.h"

enum class ChunkKind { kUnknown, kHtml, kRtf, kPlainText, kWord };

// The chunk a w:altChunk start element names through its part's relationships: its part's name in
// *pName, or false when it names none the package holds.
bool AltChunkPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                  XmlSpan* pName);

// The chunk's kind by its content type; kUnknown for one whose text is not read (memory failing
// refuses the text).
ChunkKind AltChunkKind(OfficePackage* pPackage, XmlSpan partName);

// The text of a web page (without its title, which Word does not show), RTF or plain text chunk.
bool ReadTextChunk(ChunkKind kind, const unsigned char* pData, size_t cbData, DocumentText* pText);
