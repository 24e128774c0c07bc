// How a file is measured, whoever reads it: its kind decided on its first bytes and its name, plain
// text measured as it streams, a document taken whole and then its text measured. tallyq-count and
// the program read files each their own way and hand the pieces here.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/document_reader.h"
#include "documents/growing_array.h"
#include "documents/kept_lines.h"
#include "documents/plain_text_utf8.h"
#include "measure/text_file.h"
#include "measure/text_measure.h"
#ifdef _WIN32
#include "app/ansi_text.h"
#endif

// Shows the text as it is counted (tallyq-count --text), in UTF-8 to a sink: a document's text
// with each paragraph a line ending in LF alone (this is its sink), plain text as it is read. Only
// tallyq-count makes one, so the program carries none of it.
class ShownText : public TextSink {
public:
    explicit ShownText(TextSink* pOut);
    virtual ~ShownText() {}
    // Plain text, in the encoding decided for it, in pieces cut anywhere; the last is empty.
    virtual void StartPlain(TextFileEncoding encoding);
    virtual void FeedPlain(const char* pBytes, size_t nBytes);
    virtual void FinishPlain();
    // A document's text: each CR LF paragraph end is shown as an LF.
    void Put(const char* pUtf8, size_t cbUtf8) override;
    virtual void FinishDocument();
    bool Failed() const override { return pOut->Failed(); }

private:
    TextSink* pOut;
    bool bCr;  // a CR ended the last piece
    PlainTextUtf8 plain;
#ifdef _WIN32
    // The system's ANSI code page, through UTF-16 as AnsiTextFeeder converts it.
    bool bAnsi;
    bool bLeadHeld;
    char nLead;
#endif
};

struct FileMeasureOptions {
    int nCharsPerLine = 80;
    TextFileEncoding encoding = kTextDetected;
    bool bPlainTextOnly = false;
    // The code page of web pages and subtitles that neither mark nor declare their encoding (0:
    // UTF-8 when they are, else Windows-1252).
    int nFallbackCodePage = 0;
    // Plain text in a code page the measurer does not read itself (not UTF-8 or Windows-1252): read
    // whole and converted by the system's converter (0: none).
    int nPlainCodePage = 0;
    // The side of translation files that counts.
    TranslationChoice translation = {TranslationSide::kSource, nullptr};
};

// What Start wants to see first: the file's first bytes up to this many (all of it when shorter).
const size_t kFileDecidingBytes = kTextDecidingBytes + 1;

class FileMeasure {
public:
    // pKept (may be null) keeps the class bytes, for the lines at another limit.
    FileMeasure(const FileMeasureOptions& options, KeptLines* pKept);
    ~FileMeasure();
    FileMeasure(const FileMeasure&) = delete;
    FileMeasure& operator=(const FileMeasure&) = delete;

    // The file's first bytes decide its kind; they are measured too. szName is UTF-8 (only its
    // extension is looked at); standard input has none. cbExpected is the file's size when known
    // (0 otherwise). False when the file is refused (Refusal says why).
    bool Start(const char* pFirst, size_t nFirst, const char* szName, bool bStdin, uint64_t cbExpected);
    // The bytes that follow.
    bool Feed(const char* pBytes, size_t nBytes);
    // Whether more of the file can change the counts: plain text ends at its first U+0000.
    bool WantsMore() const { return pMeasurer == nullptr || !pMeasurer->Ended(); }
    // The input ended: the counts, or false with the reason. A document is read whole here, with
    // pProgress (may be null) asked between its pieces; when it says stop, false with Stopped().
    bool Finish(TextCounts* pCounts, ReadingProgress* pProgress = nullptr);
    const char* Refusal() const { return szRefusal; }
    // What the file was read as, for a quote: "Text", "Word", "Web page", ...; after Finish.
    const char* KindName() const;
    bool Stopped() const { return szRefusal == kRefusedStopped; }
    // Of a translation file read for its target side: the units it has no translation for.
    uint64_t Untranslated() const { return nUntranslated; }
    // Whether the file was read as a translation file, whose counts depend on the side; after Finish.
    bool ReadAsTranslation() const;
    // Before Start: the text goes to pShown as well, as it is counted; a document's text goes
    // there alone, and its counts are zero.
    void ShowTextIn(ShownText* pShownText) { pShown = pShownText; }

private:
    bool Refuse(const char* szReason);
    bool StartPlain(const char* pFirst, size_t nFirst);
    bool ConvertPlainText();
    bool ReadWholeDocument(ReadingProgress* pProgress, TextCounts* pCounts, bool* pbPlainAfterAll);
    void FeedPlainText(const char* pBytes, size_t nBytes);

    FileMeasureOptions options;
    KeptLines* pKept;
    DocumentKind kind;
    TextFileEncoding plainEncoding;
    // Plain text's measurer, made in place once its encoding is known.
    TextMeasurer* pMeasurer;
    alignas(TextMeasurer) unsigned char measurerPlace[sizeof(TextMeasurer)];
    Utf32Feeder utf32;
#ifdef _WIN32
    AnsiTextFeeder ansi;
#endif
    GrowingArray<unsigned char> document;  // a document's bytes so far, or plain text's to convert
    const char* szRefusal;
    const char* szPackageKind;
    bool bConvertPlain;
    uint64_t nUntranslated;
    // A reason made for this file (a code page named, a fault's place), kept here: the reader's
    // own text ends with the reading.
    char szReasonMade[kDetailedReasonSize];
    ShownText* pShown;
};
