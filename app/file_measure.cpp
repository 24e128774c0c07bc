#include "app/file_measure.h"

#include <new>
#include <string.h>

#include "documents/code_page_converter.h"
#include "documents/counting_sink.h"
#include "documents/translation_files.h"
#include "pricing/money.h"
#ifdef _WIN32
#include <windows.h>
#endif

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
      szPackageKind(nullptr),
      bConvertPlain(false),
      nUntranslated(0),
      pShown(nullptr) {}

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
    if (kind == DocumentKind::kPlainText) return StartPlain(pFirst, nFirst);
    if (cbExpected > kMaxDocumentFileBytes) return Refuse(kRefusedTooLarge);
    // The whole file at once when its size is known.
    size_t cbStart = static_cast<size_t>(cbExpected > nFirst ? cbExpected : nFirst) + 1;
    if (!document.Reserve(cbStart)) return Refuse(kRefusedOutOfMemory);
    return Feed(pFirst, nFirst);
}

bool FileMeasure::StartPlain(const char* pFirst, size_t nFirst) {
    size_t nMark;
    plainEncoding = DecideTextFileEncoding(pFirst, nFirst, options.encoding, &nMark);
    bConvertPlain = options.nPlainCodePage != 0;
    if (bConvertPlain) plainEncoding = kTextUtf8;  // what the converter makes
    pMeasurer = new (measurerPlace) TextMeasurer(options.nCharsPerLine, MeasurerEncoding(plainEncoding));
    pMeasurer->KeepBytesIn(pKept);
    utf32 = Utf32Feeder(plainEncoding == kTextUtf32BE);
    if (pShown != nullptr) pShown->StartPlain(plainEncoding);
    return bConvertPlain ? Feed(pFirst, nFirst) : (FeedPlainText(pFirst + nMark, nFirst - nMark), true);
}

void FileMeasure::FeedPlainText(const char* pBytes, size_t nBytes) {
    if (pShown != nullptr) pShown->FeedPlain(pBytes, nBytes);
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
    if (pMeasurer != nullptr && !bConvertPlain) {
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
    if (pMeasurer == nullptr) {
        bool bPlainAfterAll = false;
        if (!ReadWholeDocument(pProgress, pCounts, &bPlainAfterAll)) return false;
        if (!bPlainAfterAll) return pKept == nullptr || !pKept->Failed() || Refuse(kRefusedOutOfMemory);
        // An XML file whose root is no translation file's: its bytes as plain text, from the start.
        GrowingArray<unsigned char> bytes;
        bytes.Swap(&document);
        kind = DocumentKind::kPlainText;
        const char* pBytes = bytes.Size() > 0 ? reinterpret_cast<const char*>(bytes.Data()) : "";
        if (!StartPlain(pBytes, bytes.Size())) return false;
    }
    if (bConvertPlain && !ConvertPlainText()) return false;
    if (pShown != nullptr) pShown->FinishPlain();
    if (plainEncoding == kTextUtf32LE || plainEncoding == kTextUtf32BE) utf32.Finish(pMeasurer);
#ifdef _WIN32
    if (plainEncoding == kTextAnsi && !AnsiCodePageIsUtf8()) ansi.Finish(pMeasurer);
#endif
    *pCounts = pMeasurer->Finish();
    if (pKept != nullptr && pKept->Failed()) return Refuse(kRefusedOutOfMemory);
    return true;
}

bool FileMeasure::ReadWholeDocument(ReadingProgress* pProgress, TextCounts* pCounts, bool* pbPlainAfterAll) {
    CountingSink counter(options.nCharsPerLine, pKept);
    DocumentText text(pShown != nullptr ? static_cast<TextSink*>(pShown) : &counter);
    text.WatchProgress(pProgress);
    text.ChooseTranslation(options.translation);
    bool bRead = ReadDocument(kind, document.Data(), document.Size(), options.nFallbackCodePage, &text);
    *pbPlainAfterAll = !bRead && text.Refusal() == kNotTranslationFile;
    if (*pbPlainAfterAll) return true;  // nothing reached the sink: the root decided before any text
    document.Free();
    szPackageKind = text.KindName();
    nUntranslated = text.Untranslated();
    if (text.Stopped()) return Refuse(kRefusedStopped);
    if (!bRead && text.Refusal() == nullptr) return Refuse(kRefusedBadXml);
    if (!bRead) {
        CopyBounded(szReasonMade, sizeof(szReasonMade), text.Refusal());
        return Refuse(szReasonMade);
    }
    if (pShown != nullptr) pShown->FinishDocument();
    if (counter.Failed()) return Refuse(kRefusedOutOfMemory);
    *pCounts = counter.Finish();
    return true;
}

bool FileMeasure::ConvertPlainText() {
    GrowingArray<char> converted;
    const char* szReason = nullptr;
    bool bConverted = ConvertToUtf8(options.nPlainCodePage, document.Data(), document.Size(), &converted, &szReason);
    document.Free();
    if (!bConverted) {
        if (szReason != kRefusedMissingCodePage) return Refuse(szReason);
        FormatMissingCodePage(options.nPlainCodePage, szReasonMade);
        return Refuse(szReasonMade);
    }
    FeedPlainText(converted.Size() > 0 ? converted.Data() : "", converted.Size());
    return true;
}

bool FileMeasure::ReadAsTranslation() const {
    return kind == DocumentKind::kTranslationXml || kind == DocumentKind::kPo || kind == DocumentKind::kProperties ||
           kind == DocumentKind::kAppleStrings ||
           (kind == DocumentKind::kZip && szPackageKind == kIdmlKindName);
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

ShownText::ShownText(TextSink* pNewOut)
    : pOut(pNewOut),
      bCr(false),
      plain(pNewOut, kTextUtf8)
#ifdef _WIN32
      ,
      bAnsi(false),
      bLeadHeld(false),
      nLead(0)
#endif
{
}

void ShownText::StartPlain(TextFileEncoding encoding) {
    // Each encoding as the measurer reads it (MeasurerEncoding).
    TextFileEncoding shown = encoding == kTextAnsi ? kTextWindows1252 : encoding;
#ifdef _WIN32
    if (encoding == kTextAnsi) {
        bAnsi = !AnsiCodePageIsUtf8();
        shown = bAnsi ? kTextUtf16LE : kTextUtf8;
    }
#endif
    plain = PlainTextUtf8(pOut, shown);
}

void ShownText::FeedPlain(const char* pBytes, size_t nBytes) {
#ifdef _WIN32
    if (bAnsi) {
        // As AnsiTextFeeder converts it: a lead byte takes its trail byte along, also from the
        // next piece.
        enum { kPiece = 4096 };
        char piece[kPiece + 2];
        wchar_t units[kPiece + 2];
        size_t i = 0;
        while (i < nBytes && !plain.Ended()) {
            size_t cb = 0;
            if (bLeadHeld) {
                piece[cb++] = nLead;
                piece[cb++] = pBytes[i++];
                bLeadHeld = false;
            }
            while (cb < kPiece && i < nBytes) {
                bool bLead = IsDBCSLeadByte(static_cast<BYTE>(pBytes[i])) != FALSE;
                if (bLead && i + 1 == nBytes) {
                    bLeadHeld = true;
                    nLead = pBytes[i++];
                    break;
                }
                piece[cb++] = pBytes[i++];
                if (bLead) piece[cb++] = pBytes[i++];
            }
            int nUnits = cb > 0 ? MultiByteToWideChar(CP_ACP, 0, piece, static_cast<int>(cb), units, kPiece + 2) : 0;
            if (nUnits > 0) plain.Feed(reinterpret_cast<const char*>(units), static_cast<size_t>(nUnits) * 2);
        }
        if (nBytes == 0 && bLeadHeld && !plain.Ended()) {
            // The end: a lead byte alone is still a character.
            bLeadHeld = false;
            int nUnits = MultiByteToWideChar(CP_ACP, 0, &nLead, 1, units, kPiece + 2);
            if (nUnits <= 0) {
                units[0] = 0xFFFD;
                nUnits = 1;
            }
            plain.Feed(reinterpret_cast<const char*>(units), static_cast<size_t>(nUnits) * 2);
        }
        return;
    }
#endif
    plain.Feed(pBytes, nBytes);
}

void ShownText::FinishPlain() {
    FeedPlain(nullptr, 0);  // a lead byte still held
    plain.Finish();
}

void ShownText::Put(const char* p, size_t n) {
    // A CR that ended the last piece is shown unless an LF begins this one.
    if (bCr && n > 0 && p[0] != '\n') pOut->Put("\r", 1);
    bCr = false;
    size_t nStart = 0;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != '\r') continue;
        if (i + 1 == n) {
            pOut->Put(p + nStart, i - nStart);
            nStart = n;
            bCr = true;
        } else if (p[i + 1] == '\n') {
            pOut->Put(p + nStart, i - nStart);
            nStart = ++i;
        }
    }
    if (nStart < n) pOut->Put(p + nStart, n - nStart);
}

void ShownText::FinishDocument() {
    if (bCr) pOut->Put("\r", 1);
    bCr = false;
}
