// A document's text as its readers produce it: UTF-8 in reading order, handed piece by piece to
// whoever measures it, so no copy of the whole text is made. Every rule that all formats share is
// here: a paragraph ends with CR LF, a U+0000 a document produces is U+FFFD (a document's text never
// ends early), and no text past kMaxDocumentTextBytes is made from one file. What a reader keeps in
// memory while it reads (shared strings, held text, names) is bounded by the same size, apart from
// the file and its inflated parts.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "documents/growing_array.h"
#include "documents/reading_progress.h"

struct CodePageTable;

// Where the text goes.
class TextSink {
public:
    virtual ~TextSink() {}
    virtual void Put(const char* pUtf8, size_t cbUtf8) = 0;
    // The text put until the matching EndRepeat counts nRepeat times, as where one table cell
    // stands for several. Repeats nest: the counts multiply.
    // A sink that keeps the text rather than counting it may leave these out: it gets it once.
    virtual void BeginRepeat(uint64_t nRepeat) { (void)nRepeat; }
    virtual void EndRepeat() {}
    // Whether the sink ran out of memory for what it was given: the text is then refused.
    virtual bool Failed() const { return false; }
};

const unsigned kMaxRepeatDepth = 8;

const uint64_t kMaxDocumentTextBytes = 256ull << 20;

// Why a file is refused: a reason a person can act on, completing "NAME: ". One list, for the
// program and tallyq-count.
extern const char kRefusedPdf[];
extern const char kRefusedOldOffice[];
extern const char kRefusedOldWord[];
extern const char kRefusedOldExcel[];
extern const char kRefusedOldPowerPoint[];
extern const char kRefusedExcelBinary[];
extern const char kRefusedProtectedOffice[];
extern const char kRefusedArchive[];
extern const char kRefusedImage[];
extern const char kRefusedNotAFile[];
extern const char kRefusedTooMuchText[];
extern const char kRefusedTooLarge[];
extern const char kRefusedOutOfMemory[];
extern const char kRefusedBadXml[];
extern const char kRefusedDoctype[];
extern const char kRefusedXmlEncoding[];
extern const char kRefusedMissingPart[];
extern const char kRefusedMissingCodePage[];
// The reason for a code page the system has no converter for, naming it, in szReason of at least
// kMissingCodePageReasonSize bytes.
enum { kMissingCodePageReasonSize = 96, kDetailedReasonSize = 200 };
void FormatMissingCodePage(int nCodePage, char* szReason);
extern const char kRefusedBadRtf[];
// Not a refusal of the file: its reading was stopped (Stopped() tells it from the others).
extern const char kRefusedStopped[];

// Which text of a translation file counts: the text to be translated, or its translation (in TMX,
// of every language but the source's, or of szLanguage alone when it names one, letter case aside).
enum class TranslationSide { kSource, kTarget };
struct TranslationChoice {
    TranslationSide side;
    const char* szLanguage;  // null or empty: every target language
};

class DocumentText {
public:
    explicit DocumentText(TextSink* pSink)
        : pSink(pSink),
          cbMade(0),
          szRefusal(nullptr),
          szKindName(nullptr),
          nRepeatDepth(0),
          nFactor(1),
          translation{TranslationSide::kSource, nullptr},
          nUntranslated(0),
          kept(kMaxDocumentTextBytes) {}

    // UTF-8 text of the document, any bytes: each ill-formed part (a maximal subpart) and each
    // zero byte becomes U+FFFD, so what reaches the sink is always well-formed UTF-8 without U+0000.
    void Put(const char* pUtf8, size_t cbUtf8);
    // Bytes in a single-byte code page (table from documents/code_pages.h).
    void PutCodePage(const unsigned char* pBytes, size_t cbBytes, const CodePageTable& table);
    void PutCodePoint(uint32_t nCodePoint);  // U+0000, surrogates and values past U+10FFFF: U+FFFD
    void EndParagraph() { Put("\r\n", 2); }
    void Tab() { Put("\t", 1); }

    // The first reason the text was refused, or null; once refused, nothing more reaches the sink.
    const char* Refusal() const { return szRefusal; }
    bool Refuse(const char* szReason) {
        if (szRefusal == nullptr) szRefusal = szReason;
        return false;
    }
    // Refused for a code page the system has no converter for, which the reason names.
    bool RefuseMissingCodePage(int nCodePage);
    // Refused with "REASON (DETAIL at byte N)", cut to fit kDetailedReasonSize bytes.
    bool RefuseAt(const char* szReason, const char* szDetail, uint64_t nOffset);
    uint64_t BytesMade() const { return cbMade; }
    // What the document was read as ("Word", "OpenDocument spreadsheet"), as a quote names it; the
    // reader of a package sets it once it knows.
    void SetKindName(const char* szName) { szKindName = szName; }
    const char* KindName() const { return szKindName; }

    // The side of a translation file to read; the source unless the caller chooses.
    void ChooseTranslation(const TranslationChoice& choice) { translation = choice; }
    const TranslationChoice& Translation() const { return translation; }
    // On the target side, a unit (segment, entry, message) without a translation counts nothing; the
    // reader notes each, for the caller to say how many.
    void NoteUntranslated() { ++nUntranslated; }
    uint64_t Untranslated() const { return nUntranslated; }

    // What the reader's arrays count against.
    MemoryBound* Kept() { return &kept; }
    // An array could not grow: refused for the bound when that was why, else for memory.
    bool RefuseGrowth() { return Refuse(kept.Passed() ? kRefusedTooMuchText : kRefusedOutOfMemory); }
    // The work of reading the document is counted here, for the caller's progress (set with
    // WatchProgress) to be asked between pieces; once it says stop, the text is refused with
    // kRefusedStopped. A reader cb bytes into its input tells it with ParsedUpTo (as
    // ProgressMeter::DoneUpTo): false when it is to stop.
    void WatchProgress(ReadingProgress* pProgress) { meter.Watch(pProgress); }
    ProgressMeter* Meter() { return &meter; }
    bool ParsedUpTo(uint64_t cb, uint64_t* pcbTold) {
        if (cb >= *pcbTold && cb - *pcbTold < kProgressStepBytes) return true;  // the usual case, inline
        return meter.DoneUpTo(cb, pcbTold) || Refuse(kRefusedStopped);
    }
    bool Stopped() const { return meter.Stopped(); }

    // Text that counts nRepeat times; deeper than kMaxRepeatDepth, the repeat counts once.
    void BeginRepeat(uint64_t nRepeat);
    void EndRepeat();

private:
    // Whether cb more bytes, repeated, stay within the bound; refuses the text when not.
    bool Make(uint64_t cb);

    TextSink* pSink;
    uint64_t cbMade;
    const char* szRefusal;
    const char* szKindName;
    char szCodePageRefusal[kDetailedReasonSize];
    unsigned nRepeatDepth;
    uint64_t nFactor;  // the product of the open repeats
    uint64_t factors[kMaxRepeatDepth];
    TranslationChoice translation;
    uint64_t nUntranslated;
    MemoryBound kept;
    ProgressMeter meter;
};
