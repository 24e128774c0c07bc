#include "documents/document_text.h"

#include <string.h>

#include "documents/byte_scan.h"
#include "documents/code_pages.h"
#include "measure/surrogates.h"
#include "measure/utf8_sequence.h"

const char kRefusedPdf[] = "PDF files are not read; open it and press the hot key, or copy its text.";
const char kRefusedOldOffice[] =
    "an Office file of the old binary format (.doc, .xls, .ppt); save it as .docx, .xlsx or .pptx and try again";
const char kRefusedOldWord[] = "a Word document of the old binary format (.doc); save it as .docx and try again";
const char kRefusedOldExcel[] = "an Excel workbook of the old binary format (.xls); save it as .xlsx and try again";
const char kRefusedOldPowerPoint[] =
    "a PowerPoint presentation of the old binary format (.ppt); save it as .pptx and try again";
const char kRefusedExcelBinary[] = "an Excel binary workbook (.xlsb); save it as .xlsx and try again";
const char kRefusedProtectedOffice[] =
    "the file is protected with a password; save it without one and try again";
const char kRefusedArchive[] = "an archive: unpack it and give its files";
const char kRefusedImage[] = "a picture, which holds no text to count";
const char kRefusedNotAFile[] = "not a file on disk (a pipe or a device)";
const char kRefusedTooMuchText[] = "the file makes more than 256 MiB of text, which is not counted in part";
const char kRefusedTooLarge[] = "the file is larger than 1 GiB";
const char kRefusedOutOfMemory[] = "there is not enough memory to read it";
const char kRefusedBadXml[] = "the file is damaged (a part of it is not well-formed XML)";
const char kRefusedDoctype[] = "the file is not a well-formed document (a part of it declares a DOCTYPE)";
const char kRefusedXmlEncoding[] = "the file is not a well-formed document (a part of it is neither UTF-8 nor UTF-16)";
const char kRefusedMissingPart[] = "the file is damaged (a part it names is missing)";
const char kRefusedMissingCodePage[] = "the file is in a character set this system has no converter for";
const char kRefusedBadRtf[] = "the file is damaged (its RTF is not well formed)";
const char kRefusedStopped[] = "the reading was stopped";

namespace {
const char kReplacement[] = "\xEF\xBF\xBD";
}

void DocumentText::Put(const char* pUtf8, size_t cbUtf8) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pUtf8);
    const unsigned char* pEnd = p + cbUtf8;
    while (p < pEnd && szRefusal == nullptr) {
        // The run of well-formed text without U+0000 goes to the sink as it is, a progress step at
        // most at a time: the meter is told of each such step, so one long text lets the caller in.
        const unsigned char* pRun = p;
        const unsigned char* pRunEnd = static_cast<size_t>(pEnd - p) > kProgressStepBytes ? p + kProgressStepBytes : pEnd;
        while (p < pRunEnd) {
            // ASCII but U+0000, the most of most texts, is passed over 16 bytes at a time.
            p = reinterpret_cast<const unsigned char*>(
                FindZeroOrHighByte(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(pRunEnd)));
            if (p == pRunEnd || *p == 0) break;
            uint32_t nCodePoint;
            bool bWellFormed;
            size_t cbSequence = ReadUtf8Sequence(p, static_cast<size_t>(pEnd - p), &nCodePoint, &bWellFormed);
            if (!bWellFormed) break;
            p += cbSequence;
        }
        size_t cbRun = static_cast<size_t>(p - pRun);
        if (!Make(cbRun)) return;
        if (cbRun > 0) pSink->Put(reinterpret_cast<const char*>(pRun), cbRun);
        if (pSink->Failed()) {
            Refuse(kRefusedOutOfMemory);
            return;
        }
        if (p == pEnd) return;
        if (p >= pRunEnd) {  // cut at the step, not at a fault
            if (!meter.Done(cbRun)) Refuse(kRefusedStopped);
            continue;
        }
        // An ill-formed part or U+0000: one U+FFFD.
        uint32_t nIgnored;
        p += *p == 0 ? 1 : DecodeUtf8Sequence(p, static_cast<size_t>(pEnd - p), &nIgnored);
        if (!Make(3)) return;
        pSink->Put(kReplacement, 3);
    }
}

bool DocumentText::Make(uint64_t cb) {
    uint64_t cbLeft = kMaxDocumentTextBytes - cbMade;
    if (nFactor == 0) return true;
    if (cb != 0 && (nFactor > cbLeft || cb > cbLeft / nFactor)) return Refuse(kRefusedTooMuchText);
    cbMade += cb * nFactor;
    return true;
}

void DocumentText::BeginRepeat(uint64_t nRepeat) {
    if (nRepeatDepth < kMaxRepeatDepth) {
        factors[nRepeatDepth] = nFactor;
        // Past the bound no text can be made anyway: the factor saturates there.
        nFactor = nRepeat != 0 && nFactor > kMaxDocumentTextBytes / nRepeat ? kMaxDocumentTextBytes + 1 : nFactor * nRepeat;
        if (szRefusal == nullptr) pSink->BeginRepeat(nRepeat);
        if (szRefusal == nullptr && pSink->Failed()) Refuse(kRefusedOutOfMemory);
    }
    ++nRepeatDepth;
}

void DocumentText::EndRepeat() {
    if (nRepeatDepth == 0) return;
    --nRepeatDepth;
    if (nRepeatDepth < kMaxRepeatDepth) {
        nFactor = factors[nRepeatDepth];
        if (szRefusal == nullptr) pSink->EndRepeat();
    }
}

void DocumentText::PutCodePage(const unsigned char* pBytes, size_t cbBytes, const CodePageTable& table) {
    char buffer[1024];
    size_t cbBuffered = 0;
    for (size_t i = 0; i < cbBytes; ++i) {
        if (cbBuffered > sizeof(buffer) - 4) {
            Put(buffer, cbBuffered);
            cbBuffered = 0;
        }
        cbBuffered += EncodeUtf8(CodePageCodePoint(table, pBytes[i]), buffer + cbBuffered);
    }
    Put(buffer, cbBuffered);
}

void DocumentText::PutCodePoint(uint32_t nCodePoint) {
    char buffer[4];
    Put(buffer, EncodeUtf8(nCodePoint, buffer));
}

void FormatMissingCodePage(int nCodePage, char* szReason) {
    // "the file is in code page 1361, which this system has no converter for"
    char szDigits[12];
    size_t nDigits = 0;
    unsigned nValue = nCodePage > 0 ? static_cast<unsigned>(nCodePage) : 0;
    do {
        szDigits[nDigits++] = static_cast<char>('0' + nValue % 10);
        nValue /= 10;
    } while (nValue != 0 && nDigits < sizeof(szDigits));
    const char szBefore[] = "the file is in code page ";
    const char szAfter[] = ", which this system has no converter for";
    size_t n = sizeof(szBefore) - 1;
    memcpy(szReason, szBefore, n);
    while (nDigits > 0) szReason[n++] = szDigits[--nDigits];
    memcpy(szReason + n, szAfter, sizeof(szAfter));
}

bool DocumentText::RefuseAt(const char* szReason, const char* szDetail, uint64_t nOffset) {
    if (szRefusal != nullptr) return false;
    char szDigits[24];
    size_t nDigits = 0;
    do {
        szDigits[nDigits++] = static_cast<char>('0' + nOffset % 10);
        nOffset /= 10;
    } while (nOffset != 0);
    size_t n = 0;
    auto Add = [&](const char* sz, size_t cb) {
        for (size_t i = 0; i < cb && n + 1 < sizeof(szCodePageRefusal); ++i) szCodePageRefusal[n++] = sz[i];
    };
    Add(szReason, strlen(szReason));
    Add(" (", 2);
    Add(szDetail, strlen(szDetail));
    Add(" at byte ", 9);
    while (nDigits > 0) Add(&szDigits[--nDigits], 1);
    Add(")", 1);
    szCodePageRefusal[n] = '\0';
    return Refuse(szCodePageRefusal);
}

bool DocumentText::RefuseMissingCodePage(int nCodePage) {
    if (szRefusal != nullptr) return false;
    FormatMissingCodePage(nCodePage, szCodePageRefusal);
    return Refuse(szCodePageRefusal);
}
