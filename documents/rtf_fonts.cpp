#include "documents/rtf_reader.h"

#include "documents/code_page_converter.h"
#include "measure/surrogates.h"

namespace rtf {

void RtfReader::PutUnicode(uint32_t nCodePoint) {
    if (IsLowSurrogate(nCodePoint) && nHighSurrogate != 0) {
        uint32_t nJoined = CombineSurrogates(nHighSurrogate, nCodePoint);
        nHighSurrogate = 0;
        PutCodePoint(nJoined);
    } else if (IsHighSurrogate(nCodePoint)) {
        FlushSurrogate();
        nHighSurrogate = nCodePoint;
    } else {
        PutCodePoint(nCodePoint);  // an unpaired low surrogate becomes U+FFFD there
    }
}

void RtfReader::ResolveFont(const CodePageTable** ppTable, bool* pbSymbol, int* pnCodePage) {
    int32_t nFont = Top().nFont == kNoFont ? nDefaultFont : Top().nFont;
    if (!bCacheValid || nCachedFont != nFont) {
        int32_t nCharset = -1;
        for (unsigned i = nFonts; i-- > 0;) {
            if (fonts[i].nNumber == nFont) {
                nCharset = fonts[i].nCharset;
                break;
            }
        }
        // A character set without a code page of its own (ANSI, DEFAULT, one no table names) is the
        // document's code page.
        int nCodePage = nCharset < 0 ? 0 : CodePageOfRtfCharset(nCharset);
        if (nCodePage == 0) nCodePage = nAnsiCodePage;
        bCachedSymbol = nCharset == kCharsetSymbol;
        pCachedTable = nCodePage != 0 ? FindCodePage(nCodePage) : nullptr;
        nCachedCodePage = nCodePage;
        nCachedFont = nFont;
        bCacheValid = true;
    }
    *ppTable = pCachedTable;
    *pbSymbol = bCachedSymbol;
    *pnCodePage = nCachedCodePage;
}

bool RtfReader::FlushRun() {
    if (cbRun == 0) return true;
    // Letters and digits of ASCII are themselves in every code page a font names.
    bool bAscii = true;
    for (size_t i = 0; i < cbRun && bAscii; ++i) bAscii = aRun[i] < 0x80;
    if (bAscii) {
        Emit(reinterpret_cast<const char*>(aRun), cbRun, true);
        cbRun = 0;
        return true;
    }
    GrowingBytes converted(pText->Kept());
    const char* szRefusal = nullptr;
    bool bConverted = ConvertToUtf8(nRunCodePage, aRun, cbRun, &converted, &szRefusal);
    cbRun = 0;
    if (!bConverted) {
        return szRefusal == kRefusedOutOfMemory ? pText->RefuseGrowth() : pText->RefuseMissingCodePage(nRunCodePage);
    }
    if (converted.Size() > 0) Emit(converted.Data(), converted.Size(), true);
    return true;
}

bool RtfReader::PutBytes(const unsigned char* pBytes, size_t cbBytes, bool bHigh) {
    const CodePageTable* pTable;
    bool bSymbol;
    int nCodePage;
    ResolveFont(&pTable, &bSymbol, &nCodePage);
    if (pTable == nullptr && !bSymbol) {
        if (cbRun > 0 && nRunCodePage != nCodePage && !FlushRun()) return false;
        nRunCodePage = nCodePage;
        while (cbBytes > 0) {
            if (cbRun == sizeof(aRun) && !FlushRun()) return false;
            size_t cbTaken = sizeof(aRun) - cbRun < cbBytes ? sizeof(aRun) - cbRun : cbBytes;
            memcpy(aRun + cbRun, pBytes, cbTaken);
            cbRun += cbTaken;
            pBytes += cbTaken;
            cbBytes -= cbTaken;
        }
        return true;
    }
    if (!FlushRun()) return false;
    if (!bHigh) {
        Emit(reinterpret_cast<const char*>(pBytes), cbBytes, true);
        return true;
    }
    // A symbol font's high bytes are pictures, no code page's letters: each is one character, U+F0xx.
    for (size_t i = 0; i < cbBytes; ++i) {
        unsigned char nByte = pBytes[i];
        PutCodePoint(nByte < 0x80 ? nByte : bSymbol ? kSymbolBase + nByte : CodePageCodePoint(*pTable, nByte));
    }
    return true;
}

}  // namespace rtf
