#ifdef _WIN32
#include "app/ansi_text.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are Windows' wide characters");

bool AnsiCodePageIsUtf8() { return GetACP() == CP_UTF8; }

AnsiTextFeeder::AnsiTextFeeder() : bDoubleByte(false), bHeld(false), nHeld(0) {
    // The lead bytes are asked for once, not once for each byte of the text.
    for (int c = 0; c < 256; ++c) {
        bLeadByte[c] = IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
        bDoubleByte = bDoubleByte || bLeadByte[c];
    }
}

void AnsiTextFeeder::Convert(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes) {
    // Without MB_ERR_INVALID_CHARS every byte gives a character, as the system shows such text.
    int nUnits = MultiByteToWideChar(CP_ACP, 0, pBytes, static_cast<int>(nBytes), units, kUnits);
    if (nUnits > 0) pMeasurer->FeedUtf16(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(nUnits));
}

void AnsiTextFeeder::Feed(TextMeasurer* pMeasurer, const char* pBytes, size_t nBytes) {
    const unsigned char* pText = reinterpret_cast<const unsigned char*>(pBytes);
    size_t nStart = 0;
    if (bHeld && nBytes > 0) {
        char pair[2] = {nHeld, pBytes[0]};
        Convert(pMeasurer, pair, 2);
        bHeld = false;
        nStart = 1;
    }
    while (nStart < nBytes && !pMeasurer->Ended()) {
        size_t nEnd = nBytes - nStart > kPieceBytes ? nStart + kPieceBytes : nBytes;
        if (bDoubleByte) {
            // Walked from nStart, a character boundary: each lead byte takes the byte after it.
            size_t nAt = nStart;
            while (nAt < nEnd) nAt += bLeadByte[pText[nAt]] ? 2 : 1;
            if (nAt > nBytes) {
                bHeld = true;
                nHeld = pBytes[nBytes - 1];
                nAt = nBytes - 1;
            }
            nEnd = nAt;
        }
        if (nEnd > nStart) Convert(pMeasurer, pBytes + nStart, nEnd - nStart);
        nStart = nEnd;
    }
}

void AnsiTextFeeder::Finish(TextMeasurer* pMeasurer) {
    if (!bHeld) return;
    bHeld = false;
    int nUnits = MultiByteToWideChar(CP_ACP, 0, &nHeld, 1, units, kUnits);
    if (nUnits > 0) {
        pMeasurer->FeedUtf16(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(nUnits));
    } else {
        // A lead byte that the system converts to nothing is still a character of the text.
        const char16_t replacement = 0xFFFD;
        pMeasurer->FeedUtf16(&replacement, 1);
    }
}
#endif
