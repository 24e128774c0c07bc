#include "documents/document_reader.h"

#include <string.h>

#include <initializer_list>

#include "documents/ascii_classes.h"
#include "documents/compound_file.h"
#include "documents/excel_text.h"
#include "documents/html_text.h"
#include "documents/office_package.h"
#include "documents/opendocument_text.h"
#include "documents/powerpoint_text.h"
#include "documents/rtf_text.h"
#include "documents/subtitle_text.h"
#include "documents/text_encoding.h"
#include "documents/translation_files.h"
#include "documents/word_text.h"
#include "measure/text_file.h"

namespace {

bool StartsWith(const unsigned char* p, size_t cb, const char* szStart, size_t cbStart) {
    return cb >= cbStart && memcmp(p, szStart, cbStart) == 0;
}

bool NameEndsWith(const char* szName, const char* szExtension) {
    size_t cbName = strlen(szName), cbExtension = strlen(szExtension);
    if (cbName < cbExtension) return false;
    for (size_t i = 0; i < cbExtension; ++i) {
        char c = szName[cbName - cbExtension + i];
        if (AsciiLower(c) != szExtension[i]) return false;
    }
    return true;
}

// A Windows bitmap: "BM", reserved fields zero, and a header size that one of its versions has.
bool IsBitmap(const unsigned char* p, size_t cb) {
    if (cb < 18 || p[0] != 'B' || p[1] != 'M' || p[6] || p[7] || p[8] || p[9]) return false;
    uint32_t cbHeader = p[14] | p[15] << 8 | p[16] << 16 | static_cast<uint32_t>(p[17]) << 24;
    return cbHeader == 12 || cbHeader == 40 || cbHeader == 52 || cbHeader == 56 || cbHeader == 64 ||
           cbHeader == 108 || cbHeader == 124;
}

bool IsPicture(const unsigned char* p, size_t cb) {
    return StartsWith(p, cb, "\x89PNG\r\n\x1A\n", 8) || StartsWith(p, cb, "\xFF\xD8\xFF", 3) ||
           StartsWith(p, cb, "GIF87a", 6) || StartsWith(p, cb, "GIF89a", 6) || IsBitmap(p, cb) ||
           StartsWith(p, cb, "II*\0", 4) || StartsWith(p, cb, "MM\0*", 4) ||
           (StartsWith(p, cb, "RIFF", 4) && cb >= 12 && memcmp(p + 8, "WEBP", 4) == 0);
}

// The first characters of a text as ASCII (another character as '?'), read in the encoding its
// byte-order mark names (UTF-8, UTF-16 or UTF-32), after white space; at most cbHead - 1 of them.
void AsciiHead(const unsigned char* p, size_t cb, char* szHead, size_t cbHead) {
    size_t cbMark;
    TextFileEncoding marked = ByteOrderMarkOf(p, cb, true, &cbMark);
    size_t cbUnit = marked == kTextUtf16LE || marked == kTextUtf16BE ? 2
                    : marked == kTextUtf32LE || marked == kTextUtf32BE ? 4 : 1;
    bool bBig = marked == kTextUtf16BE || marked == kTextUtf32BE;
    size_t n = 0;
    for (size_t i = cbMark; i + cbUnit <= cb && n + 1 < cbHead; i += cbUnit) {
        uint32_t c = 0;
        for (size_t k = 0; k < cbUnit; ++k) c |= static_cast<uint32_t>(p[i + k]) << (8 * (bBig ? cbUnit - 1 - k : k));
        if (n == 0 && IsAsciiSpace(c)) continue;
        szHead[n++] = c < 0x80 ? static_cast<char>(c) : '?';
    }
    szHead[n] = '\0';
}

// Whether a text begins as a web page: "<!DOCTYPE html" or "<html", after a byte-order mark and
// white space, letter case aside.
bool BeginsAsWebPage(const unsigned char* p, size_t cb) {
    char szHead[16];
    AsciiHead(p, cb, szHead, sizeof(szHead));
    for (const char* szStart : {"<!doctype html", "<html"}) {
        size_t k = 0;
        while (szStart[k] != '\0' && AsciiLower(szHead[k]) == szStart[k]) ++k;
        if (szStart[k] == '\0') return true;
    }
    return false;
}

// Whether "%PDF-" stands in the bytes: PDF readers take a file as PDF when it does anywhere in
// its first 1024 bytes.
const size_t kPdfHeaderBytes = 1024;
bool HoldsPdfHeader(const unsigned char* p, size_t cb) {
    for (size_t i = 0; i + 5 <= cb; ++i) {
        if (p[i] == '%' && memcmp(p + i, "%PDF-", 5) == 0) return true;
    }
    return false;
}

// Whether the bytes hold the text.
bool Contains(const GrowingBytes& bytes, const char* szText) {
    size_t cbText = strlen(szText);
    for (size_t i = 0; i + cbText <= bytes.Size(); ++i) {
        if (memcmp(bytes.Data() + i, szText, cbText) == 0) return true;
    }
    return false;
}

const char* const kOpenDocumentTypes[] = {"application/vnd.oasis.opendocument.text",
                                          "application/vnd.oasis.opendocument.text-template",
                                          "application/vnd.oasis.opendocument.text-master",
                                          "application/vnd.oasis.opendocument.spreadsheet",
                                          "application/vnd.oasis.opendocument.spreadsheet-template",
                                          "application/vnd.oasis.opendocument.presentation",
                                          "application/vnd.oasis.opendocument.presentation-template"};

const char* CompoundRefusal(CompoundKind kind) {
    switch (kind) {
    case CompoundKind::kProtected: return kRefusedProtectedOffice;
    case CompoundKind::kOldWord: return kRefusedOldWord;
    case CompoundKind::kOldExcel: return kRefusedOldExcel;
    case CompoundKind::kOldPowerPoint: return kRefusedOldPowerPoint;
    default: return kRefusedOldOffice;
    }
}

bool ReadPackage(const unsigned char* pData, size_t cbData, DocumentText* pText) {
    OfficePackage package;
    if (!package.Open(pData, cbData, pText)) return false;
    if (package.Has(SpanOf("mimetype"))) {
        PartBytes type;
        if (!package.ReadRaw(SpanOf("mimetype"), &type)) return false;
        // A document saved with a password keeps its parts encrypted, as its manifest says.
        if (package.Has(SpanOf("META-INF/manifest.xml"))) {
            PartBytes manifest;
            if (!package.ReadRaw(SpanOf("META-INF/manifest.xml"), &manifest)) return false;
            static const char kEncryption[] = "encryption-data";
            for (size_t i = 0; i + sizeof(kEncryption) - 1 <= manifest.size(); ++i) {
                if (memcmp(manifest.data() + i, kEncryption, sizeof(kEncryption) - 1) == 0)
                    return pText->Refuse(kRefusedProtectedOffice);
            }
        }
        if (type.size() == strlen(kIdmlMimeType) && memcmp(type.data(), kIdmlMimeType, type.size()) == 0)
            return ReadIdmlPackage(&package, pText);
        for (const char* szType : kOpenDocumentTypes) {
            if (strlen(szType) != type.size() || memcmp(szType, type.data(), type.size()) != 0) continue;
            OpenDocumentKind kind = strstr(szType, "spreadsheet") != nullptr    ? OpenDocumentKind::kSpreadsheet
                                    : strstr(szType, "presentation") != nullptr ? OpenDocumentKind::kPresentation
                                                                                 : OpenDocumentKind::kText;
            pText->SetKindName(kind == OpenDocumentKind::kSpreadsheet    ? "OpenDocument spreadsheet"
                               : kind == OpenDocumentKind::kPresentation ? "OpenDocument presentation"
                                                                         : "OpenDocument text");
            return ReadOpenDocumentText(&package, kind, pText);
        }
        return pText->Refuse(kRefusedArchive);
    }
    if (!package.Has(SpanOf("_rels/.rels")) || !package.Has(SpanOf("[Content_Types].xml")))
        return pText->Refuse(kRefusedArchive);
    Relationships relationships(pText->Kept());
    if (!package.ReadRelationships(SpanOf(""), &relationships)) return false;
    GrowingBytes type(pText->Kept());
    for (size_t i = 0; i < relationships.Count(); ++i) {
        XmlSpan target = relationships.Target(i);
        if (!relationships.Is(i, "officeDocument") || !package.Has(target)) continue;
        if (!package.ContentType(target, &type)) return false;
        if (Contains(type, "sheet.binary")) return pText->Refuse(kRefusedExcelBinary);
        bool bMain = type.Size() > 9 && memcmp(type.Data() + type.Size() - 9, ".main+xml", 9) == 0;
        if (bMain && (Contains(type, "wordprocessingml") || Contains(type, "ms-word"))) {
            pText->SetKindName("Word");
            return ReadWordText(&package, target, pText);
        }
        if (bMain && (Contains(type, "spreadsheetml") || Contains(type, "ms-excel"))) {
            pText->SetKindName("Excel");
            return ReadExcelText(&package, target, pText);
        }
        if (bMain && (Contains(type, "presentationml") || Contains(type, "ms-powerpoint"))) {
            pText->SetKindName("PowerPoint");
            return ReadPowerPointText(&package, target, pText);
        }
    }
    return pText->Refuse(kRefusedArchive);
}

}  // namespace

DocumentKind KindOfFile(const unsigned char* pFirst, size_t cbFirst, const char* szName, const char** pszRefusal) {
    *pszRefusal = nullptr;
    const char* szRefusal = nullptr;
    size_t iText = MarkAndWhiteSpaceBefore(pFirst, cbFirst);
    if (StartsWith(pFirst + iText, cbFirst - iText, "%PDF-", 5)) {
        szRefusal = kRefusedPdf;
    } else if (StartsWith(pFirst, cbFirst, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        // What it is, whatever its name, is in its directory: read whole to be refused for it.
        return DocumentKind::kCompound;
    } else if (StartsWith(pFirst, cbFirst, "PK\x03\x04", 4) || StartsWith(pFirst, cbFirst, "PK\x05\x06", 4) ||
               StartsWith(pFirst, cbFirst, "PK\x07\x08", 4)) {
        return DocumentKind::kZip;
    } else if (StartsWith(pFirst + iText, cbFirst - iText, "{\\rtf", 5)) {
        return DocumentKind::kRtf;
    } else if (IsPicture(pFirst, cbFirst)) {
        szRefusal = kRefusedImage;
    } else if (HoldsPdfHeader(pFirst, cbFirst < kPdfHeaderBytes ? cbFirst : kPdfHeaderBytes)) {
        szRefusal = kRefusedPdf;
    }
    if (szRefusal != nullptr) {
        *pszRefusal = szRefusal;
        return DocumentKind::kRefused;
    }
    if (NameEndsWith(szName, ".htm") || NameEndsWith(szName, ".html") || NameEndsWith(szName, ".xhtml"))
        return DocumentKind::kHtml;
    if (NameEndsWith(szName, ".srt")) return DocumentKind::kSrt;
    if (NameEndsWith(szName, ".vtt")) return DocumentKind::kVtt;
    if (NameEndsWith(szName, ".po") || NameEndsWith(szName, ".pot")) return DocumentKind::kPo;
    if (NameEndsWith(szName, ".properties")) return DocumentKind::kProperties;
    if (NameEndsWith(szName, ".strings")) return DocumentKind::kAppleStrings;
    if (BeginsAsWebPage(pFirst, cbFirst)) return DocumentKind::kHtml;
    char szHead[kKindBytes + 1];
    AsciiHead(pFirst, cbFirst < kKindBytes ? cbFirst : kKindBytes, szHead, sizeof(szHead));
    return BeginsAsTranslationXml(szHead) ? DocumentKind::kTranslationXml : DocumentKind::kPlainText;
}

bool ReadDocument(DocumentKind kind, const unsigned char* pData, size_t cbData, int nFallbackCodePage,
                  DocumentText* pText) {
    size_t cbMark;
    TextFileEncoding marked = ByteOrderMarkOf(pData, cbData, true, &cbMark);
    bool bText = kind == DocumentKind::kHtml || kind == DocumentKind::kSrt || kind == DocumentKind::kVtt ||
                 kind == DocumentKind::kTranslationXml || kind == DocumentKind::kPo ||
                 kind == DocumentKind::kProperties || kind == DocumentKind::kAppleStrings;
    if (bText && (marked == kTextUtf32LE || marked == kTextUtf32BE)) {
        // The readers of text read UTF-8 and UTF-16: UTF-32 is read as the UTF-8 it makes, marked.
        GrowingArray<unsigned char> utf8;
        if (!Utf32AsMarkedUtf8(pData, cbData, marked == kTextUtf32BE, &utf8)) return pText->Refuse(kRefusedOutOfMemory);
        return ReadDocument(kind, utf8.Data(), utf8.Size(), nFallbackCodePage, pText);
    }
    switch (kind) {
    case DocumentKind::kZip: return ReadPackage(pData, cbData, pText);
    case DocumentKind::kCompound: return pText->Refuse(CompoundRefusal(CompoundKindOf(pData, cbData)));
    case DocumentKind::kRtf: return ReadRtfText(pData, cbData, pText);
    case DocumentKind::kHtml: return ReadHtmlText(pData, cbData, nFallbackCodePage, pText);
    case DocumentKind::kSrt: return ReadSubtitleText(pData, cbData, SubtitleKind::kSrt, nFallbackCodePage, pText);
    case DocumentKind::kVtt: return ReadSubtitleText(pData, cbData, SubtitleKind::kVtt, nFallbackCodePage, pText);
    case DocumentKind::kTranslationXml: return ReadTranslationXml(pData, cbData, pText);
    case DocumentKind::kPo: return ReadTranslationText(TranslationTextKind::kPo, pData, cbData, pText);
    case DocumentKind::kProperties: return ReadTranslationText(TranslationTextKind::kProperties, pData, cbData, pText);
    case DocumentKind::kAppleStrings:
        return ReadTranslationText(TranslationTextKind::kAppleStrings, pData, cbData, pText);
    default: return false;
    }
}
