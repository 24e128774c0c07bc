// How the bytes of a text file (a web page, a subtitle file) become characters: the byte-order
// mark, else the code page the caller gives, else the text-file rule; and a reader of code points
// in any of those encodings, small enough to copy for look-ahead.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/code_pages.h"
#include "documents/growing_array.h"

class DocumentText;

const int kCodePageUtf16LE = 1200;
const int kCodePageUtf16BE = 1201;
const uint32_t kEndOfText = 0xFFFFFFFFu;

// The encoding a byte-order mark at the start names (kCodePageUtf8, kCodePageUtf16LE or BE) and
// the mark's length; 0 when there is none.
int CodePageOfByteOrderMark(const unsigned char* pData, size_t cbData, size_t* pcbMark);

// How many bytes come before a text's first characters: a UTF-8 byte-order mark and white space,
// which the readers of RTF and PDF read past.
size_t MarkAndWhiteSpaceBefore(const unsigned char* pData, size_t cbData);

// A text in UTF-32 (bBigEndian or little-endian) after its 4-byte byte-order mark, as UTF-8
// after UTF-8's mark, in *pUtf8: each unit past U+10FFFF or a surrogate, and a cut last unit, is
// U+FFFD; U+0000 stays, for the reader to read as it reads U+0000 in UTF-8. False when there is
// not enough memory.
bool Utf32AsMarkedUtf8(const unsigned char* pData, size_t cbData, bool bBigEndian, GrowingArray<unsigned char>* pUtf8);

// The text-file rule, as plain text has it (IsUtf8Text): UTF-8 when the first 64 KB are UTF-8,
// else Windows-1252.
int CodePageOfPlainText(const unsigned char* pData, size_t cbData);

// nFallbackCodePage when one is given (0: none), else the text-file rule.
int CodePageOrTextRule(const unsigned char* pData, size_t cbData, int nFallbackCodePage);

// Code points from bytes in UTF-8, UTF-16LE/BE or a single-byte code page. Each ill-formed part
// (a maximal subpart of UTF-8, a lone surrogate, an odd last byte) is U+FFFD, and a line break (CR
// LF, LF or CR) reads as one LF. A plain value: a copy reads ahead without moving the original.
class CodePointReader {
public:
    CodePointReader() : pData(nullptr), cbData(0), off(0), nCodePage(kCodePageUtf8), pTable(nullptr) {}
    CodePointReader(const unsigned char* pData, size_t cbData, int nCodePage);

    bool AtEnd() const { return off >= cbData; }
    size_t Offset() const { return off; }
    uint32_t Next();  // kEndOfText at the end
    uint32_t Peek() const {
        CodePointReader ahead = *this;
        return ahead.Next();
    }

private:
    uint32_t NextUnit();

    const unsigned char* pData;
    size_t cbData;
    size_t off;
    int nCodePage;
    const CodePageTable* pTable;
};

// A text in any code page as a CodePointReader reads it: UTF-8, UTF-16 and the built-in tables'
// code pages where the bytes lie; any other code page converted to UTF-8 by the system's converter
// and kept here, counted against the document's bound.
class ReadableText {
public:
    explicit ReadableText(DocumentText* pText);
    // False, with the text refused, when the code page has no converter or memory fails.
    bool Prepare(const unsigned char* pData, size_t cbData, int nCodePage);
    CodePointReader Reader() const { return CodePointReader(pData, cbData, nCodePage); }

private:
    DocumentText* pText;
    const unsigned char* pData;
    size_t cbData;
    int nCodePage;
    GrowingBytes converted;
};

// Collects UTF-8 in a small buffer and hands it to the document's text in pieces.
class TextBuffer {
public:
    explicit TextBuffer(DocumentText* pText) : pText(pText), cbBuffered(0) {}
    void Add(uint32_t nCodePoint) {
        if (cbBuffered > sizeof(buffer) - 4) Flush();
        cbBuffered += EncodeInto(nCodePoint);
    }
    void AddLineEnd() {
        Add('\r');
        Add('\n');
    }
    void Flush();

private:
    size_t EncodeInto(uint32_t nCodePoint);

    DocumentText* pText;
    size_t cbBuffered;
    char buffer[1024];
};
