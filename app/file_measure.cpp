#include "app/file_measure.h"

#include <new>
#include <string.h>

#include "documents/counting_sink.h"

namespace {

TextEncoding MeasurerEncoding(TextFileEncoding encoding) {
    switch (encoding) {
    case kTextUtf16LE:
        return kEncodingUtf16LE;
    case kTextUtf16BE:
        return kEncodingUtf16BE;
    case kTextWindows1252:
        return kEncodingWindows1252;
    case kTextAnsi:
#ifdef _WIN32
        // Fed as UTF-16 units unless the code page is UTF-8 itself.
        return kEncodingUtf8;
#else
        return kEncodingWindows1252;
#endif
    default:
        return kEncodingUtf8;
    }
}

}  // namespace

FileMeasure::FileMeasure(const FileMeasureOptions& newOptions, KeptLines* pNewKept)
    : options(newOptions),
      pKept(pNewKept),
      kind(DocumentKind::kPlainText),
      plainEncoding(kTextUtf8),
      pMeasurer(nullptr),
      utf32(false),
      szRefusal(nullptr),
      szPackageKind(nullptr) {}

FileMeasure::~FileMeasure() {
    if (pMeasurer != nullptr) pMeasurer->~TextMeasurer();
}

bool FileMeasure::Refuse(const char* szReason) {
    szRefusal = szReason;
    document.Free();
    return false;
}

bool FileMeasure::Start(const char* pFirst, size_t nFirst, const char* szName, bool bStdin, uint64_t cbExpected) {
    const char* szKindRefusal = nullptr;
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pFirst);
    kind = options.bPlainTextOnly ? DocumentKind::kPlainText
                                  : KindOfFile(pBytes, nFirst < kKindBytes ? nFirst : kKindBytes, szName, &szKindRefusal);
    // Standard input has no name: only a zip there is read as a document.
    if (bStdin && kind != DocumentKind::kZip) kind = DocumentKind::kPlainText;
    if (kind == DocumentKind::kRefused) return Refuse(szKindRefusal);
    if (kind == DocumentKind::kPlainText) {
        size_t nMark;
        plainEncoding = DecideTextFileEncoding(pFirst, nFirst, options.encoding, &nMark);
        pMeasurer = new (measurerPlace) TextMeasurer(options.nCharsPerLine, MeasurerEncoding(plainEncoding));
        pMeasurer->KeepBytesIn(pKept);
        utf32 = Utf32Feeder(plainEncoding == kTextUtf32BE);
        FeedPlainText(pFirst + nMark, nFirst - nMark);
        return true;
    }
    if (cbExpected > kMaxDocumentFileBytes) return Refuse(kRefusedTooLarge);
    // The whole file at once when its size is known.
    size_t cbStart = static_cast<size_t>(cbExpected > nFirst ? cbExpected : nFirst) + 1;
    if (!document.Reserve(cbStart)) return Refuse(kRefusedOutOfMemory);
    return Feed(pFirst, nFirst);
}

void FileMeasure::FeedPlainText(const char* pBytes, size_t nBytes) {
    if (plainEncoding == kTextUtf32LE || plainEncoding == kTextUtf32BE) {
        utf32.Feed(pMeasurer, pBytes, nBytes);
        return;
    }
#ifdef _WIN32
    if (plainEncoding == kTextAnsi && !AnsiCodePageIsUtf8()) {
        ansi.Feed(pMeasurer, pBytes, nBytes);
        return;
    }
#endif
    pMeasurer->Feed(pBytes, nBytes);
}

bool FileMeasure::Feed(const char* pBytes, size_t nBytes) {
    if (szRefusal != nullptr) return false;
    if (pMeasurer != nullptr) {
        if (!pMeasurer->Ended()) FeedPlainText(pBytes, nBytes);
        return true;
    }
    // Standard input, or a file that grew: the buffer doubles up to the bound.
    if (nBytes > kMaxDocumentFileBytes || document.Size() + nBytes > kMaxDocumentFileBytes) return Refuse(kRefusedTooLarge);
    if (!document.Append(reinterpret_cast<const unsigned char*>(pBytes), nBytes)) return Refuse(kRefusedOutOfMemory);
    return true;
}

bool FileMeasure::Finish(TextCounts* pCounts, ReadingProgress* pProgress) {
    if (szRefusal != nullptr) return false;
    if (pMeasurer != nullptr) {
        if (plainEncoding == kTextUtf32LE || plainEncoding == kTextUtf32BE) utf32.Finish(pMeasurer);
#ifdef _WIN32
        if (plainEncoding == kTextAnsi && !AnsiCodePageIsUtf8()) ansi.Finish(pMeasurer);
#endif
        *pCounts = pMeasurer->Finish();
    } else {
        CountingSink counter(options.nCharsPerLine, pKept);
        DocumentText text(&counter);
        text.WatchProgress(pProgress);
        bool bRead = ReadDocument(kind, document.Data(), document.Size(), options.nFallbackCodePage, &text);
        document.Free();
        szPackageKind = text.KindName();
        if (text.Stopped()) return Refuse(kRefusedStopped);
        if (!bRead) return Refuse(text.Refusal() != nullptr ? text.Refusal() : kRefusedBadXml);
        if (counter.Failed()) return Refuse(kRefusedOutOfMemory);
        *pCounts = counter.Finish();
    }
    if (pKept != nullptr && pKept->Failed()) return Refuse(kRefusedOutOfMemory);
    return true;
}

const char* FileMeasure::KindName() const {
    switch (kind) {
        case DocumentKind::kRtf: return "RTF";
        case DocumentKind::kHtml: return "Web page";
        case DocumentKind::kSrt:
        case DocumentKind::kVtt: return "Subtitles";
        case DocumentKind::kZip: return szPackageKind != nullptr ? szPackageKind : "Package";
        default: return "Text";
    }
}
