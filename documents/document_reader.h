// Which kind of document a file is, and its text. The kind is decided by content: a zip is Word,
// Excel or PowerPoint by the content type of the main part its package names, OpenDocument by its
// mimetype entry; RTF, PDF, Office's old binary files and pictures by their first bytes (RTF and
// PDF past a UTF-8 byte-order mark and white space, PDF also by "%PDF-" anywhere in its first
// 1024 bytes). Among text files the name decides web pages, subtitles and the translation files
// that are not XML (.po, .pot, .properties, .strings); another name is a web page only when it
// begins as one, and a translation file in XML when its root element is one of theirs. Everything
// else is plain text, read as it always was.
#pragma once
#include <stddef.h>

#include "documents/document_text.h"

// kCompound: a Compound File (old binary Office, or a password-protected package), read whole only
// to be refused for what its directory holds.
// kTranslationXml: XLIFF, TMX, Qt TS, Android strings or RESX, told by its root element; plain text
// after all where the root's children say it is none (see ReadTranslationXml).
enum class DocumentKind {
    kPlainText,
    kZip,
    kRtf,
    kHtml,
    kSrt,
    kVtt,
    kCompound,
    kTranslationXml,
    kPo,
    kProperties,
    kAppleStrings,
    kRefused
};

// How many first bytes KindOfFile wants (it takes fewer when the file is shorter): enough for the
// root element of an XML file after a licence's comment.
const size_t kKindBytes = 4096;
// The largest file read whole.
const uint64_t kMaxDocumentFileBytes = 1ull << 30;

// The kind of a file from its first bytes and its name (UTF-8; only its extension is looked at);
// for kRefused, *pszRefusal says why. Plain text is measured as it streams; every other kind is
// read whole with ReadDocument.
DocumentKind KindOfFile(const unsigned char* pFirst, size_t cbFirst, const char* szName, const char** pszRefusal);

// Reads a whole file of a kind other than plain text into pText; false when it is refused, with
// pText->Refusal() saying why (kNotTranslationFile: count it as plain text). nFallbackCodePage is the code page of web pages and subtitles that
// neither mark nor declare their encoding (0: UTF-8 when they are, else Windows-1252).
bool ReadDocument(DocumentKind kind, const unsigned char* pData, size_t cbData, int nFallbackCodePage,
                  DocumentText* pText);
