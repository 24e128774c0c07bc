#include "app/system_code_pages.h"

#include <string.h>

#include "measure/utf8_sequence.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <iconv.h>
#endif

namespace {

const unsigned kLongestSequence = 4;  // GB18030's four-byte sequences

// One code point's UTF-8 appended.
bool AppendCodePoint(uint32_t nCodePoint, GrowingArray<char>* pOut) {
    char utf8[4];
    return pOut->Append(utf8, EncodeUtf8(nCodePoint, utf8));
}

#ifdef _WIN32

// MultiByteToWideChar gives a code page's default character for what it cannot map, outside UTF-8
// and without MB_ERR_INVALID_CHARS; with the flag it fails the whole call. The bytes are converted
// whole when they can be, and otherwise sequence by sequence, the shortest that converts.
// The ISO 2022 and some other stateful code pages take no flags at all.
DWORD ErrorFlags(int nCodePage) {
    bool bNoFlags = (nCodePage >= 50220 && nCodePage <= 50229) || nCodePage == 52936 ||
                    (nCodePage >= 57002 && nCodePage <= 57011) || nCodePage == 65000 || nCodePage == 42;
    return bNoFlags ? 0 : MB_ERR_INVALID_CHARS;
}

bool AppendWide(const wchar_t* pWide, int cchWide, GrowingArray<char>* pOut) {
    for (int i = 0; i < cchWide; ++i) {
        uint32_t c = static_cast<uint16_t>(pWide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < cchWide && pWide[i + 1] >= 0xDC00 && pWide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(pWide[++i]) - 0xDC00);
        }
        if (!AppendCodePoint(c, pOut)) return false;
    }
    return true;
}

// Converts one piece whole; false when a byte in it does not map.
bool ConvertPiece(int nCodePage, DWORD dwFlags, const unsigned char* pBytes, int cbBytes, wchar_t* pWide, int cchWide,
                  int* pcchMade) {
    *pcchMade = MultiByteToWideChar(static_cast<UINT>(nCodePage), dwFlags, reinterpret_cast<const char*>(pBytes),
                                    cbBytes, pWide, cchWide);
    return *pcchMade > 0;
}

#else

struct IconvName {
    int nCodePage;
    const char* szName;
};
const IconvName kIconvNames[] = {
    {437, "CP437"},        {850, "CP850"},        {866, "CP866"},        {874, "CP874"},
    {932, "CP932"},        {936, "CP936"},        {949, "CP949"},        {950, "CP950"},
    {1250, "CP1250"},      {1251, "CP1251"},      {1252, "CP1252"},      {1253, "CP1253"},
    {1254, "CP1254"},      {1255, "CP1255"},      {1256, "CP1256"},      {1257, "CP1257"},
    {1258, "CP1258"},      {1361, "JOHAB"},       {10000, "MACINTOSH"},  {10007, "MAC-CYRILLIC"},
    {20866, "KOI8-R"},     {21866, "KOI8-U"},     {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"}, {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"}, {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"}, {28600, "ISO-8859-10"},
    {28601, "ISO-8859-11"}, {28603, "ISO-8859-13"}, {28604, "ISO-8859-14"}, {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"}, {50220, "ISO-2022-JP"}, {51932, "EUC-JP"},    {51949, "EUC-KR"},
    {54936, "GB18030"},    {65001, "UTF-8"},
};

const char* IconvNameOf(int nCodePage) {
    for (const IconvName& name : kIconvNames) {
        if (name.nCodePage == nCodePage) return name.szName;
    }
    return nullptr;
}

// An iconv descriptor, closed when it goes.
class Iconv {
public:
    explicit Iconv(const char* szFrom) : cd(iconv_open("UTF-8", szFrom)) {}
    ~Iconv() {
        if (Opened()) iconv_close(cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Opened() const { return cd != reinterpret_cast<iconv_t>(-1); }
    // Converts as much as maps; returns what iconv said stopped it (0 for nothing).
    int Convert(const unsigned char** ppIn, size_t* pcbIn, GrowingArray<char>* pOut, bool* pbMemory) {
        *pbMemory = true;
        while (*pcbIn > 0) {
            char out[4096];
            char* pOutNext = out;
            size_t cbOutLeft = sizeof(out);
            char* pInNext = reinterpret_cast<char*>(const_cast<unsigned char*>(*ppIn));
            size_t nDone = iconv(cd, &pInNext, pcbIn, &pOutNext, &cbOutLeft);
            int nError = nDone == static_cast<size_t>(-1) ? errno : 0;
            *ppIn = reinterpret_cast<const unsigned char*>(pInNext);
            if (!pOut->Append(out, static_cast<size_t>(pOutNext - out))) {
                *pbMemory = false;
                return 0;
            }
            if (nError != 0 && nError != E2BIG) return nError;
        }
        return 0;
    }
    void Reset() { iconv(cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd;
};

#endif

}  // namespace

#ifdef _WIN32

Conversion SystemCodePages::ToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes,
                                   GrowingArray<char>* pOut) {
    CPINFO info;
    if (!IsValidCodePage(static_cast<UINT>(nCodePage)) || !GetCPInfo(static_cast<UINT>(nCodePage), &info))
        return Conversion::kMissingCodePage;
    DWORD dwFlags = ErrorFlags(nCodePage);
    // Pieces of at most 16 KB, each cut after a byte that cannot begin a pair, so no pair is cut.
    const size_t kPieceBytes = 1 << 14;
    wchar_t wide[kPieceBytes];
    size_t off = 0;
    while (off < cbBytes) {
        size_t cbPiece = cbBytes - off < kPieceBytes ? cbBytes - off : kPieceBytes;
        if (off + cbPiece < cbBytes) {
            while (cbPiece > 1 && IsDBCSLeadByteEx(static_cast<UINT>(nCodePage), pBytes[off + cbPiece - 1])) --cbPiece;
        }
        int cchMade = 0;
        if (ConvertPiece(nCodePage, dwFlags, pBytes + off, static_cast<int>(cbPiece), wide, kPieceBytes, &cchMade)) {
            if (!AppendWide(wide, cchMade, pOut)) return Conversion::kOutOfMemory;
            off += cbPiece;
            continue;
        }
        // A byte in the piece does not map: the piece sequence by sequence.
        size_t offEnd = off + cbPiece;
        while (off < offEnd) {
            unsigned n = 1;
            for (; n <= kLongestSequence && off + n <= cbBytes; ++n) {
                if (ConvertPiece(nCodePage, dwFlags, pBytes + off, static_cast<int>(n), wide, 8, &cchMade)) break;
            }
            bool bMapped = n <= kLongestSequence && off + n <= cbBytes;
            if (!(bMapped ? AppendWide(wide, cchMade, pOut) : AppendCodePoint(0xFFFD, pOut)))
                return Conversion::kOutOfMemory;
            off += bMapped ? n : 1;
        }
    }
    return Conversion::kConverted;
}

#else

Conversion SystemCodePages::ToUtf8(int nCodePage, const unsigned char* pBytes, size_t cbBytes,
                                   GrowingArray<char>* pOut) {
    const char* szName = IconvNameOf(nCodePage);
    if (szName == nullptr) return Conversion::kMissingCodePage;
    Iconv converter(szName);
    if (!converter.Opened()) return Conversion::kMissingCodePage;
    const unsigned char* p = pBytes;
    size_t cbLeft = cbBytes;
    bool bMemory = true;
    while (cbLeft > 0) {
        int nError = converter.Convert(&p, &cbLeft, pOut, &bMemory);
        if (!bMemory) return Conversion::kOutOfMemory;
        if (nError == 0) break;
        // An unmapped sequence (EILSEQ), or one the input's end cuts (EINVAL): one U+FFFD, and the
        // next byte begins the next sequence.
        if (!AppendCodePoint(0xFFFD, pOut)) return Conversion::kOutOfMemory;
        converter.Reset();
        ++p;
        --cbLeft;
    }
    return Conversion::kConverted;
}

#endif

namespace {

// At namespace scope, made before the program runs: a function's static would need a guard for
// its first use, which pulls the runtime's thread support (over 100 KB) into the small programs.
SystemCodePages systemCodePages;

}  // namespace

void UseSystemCodePages() { SetCodePageConverter(&systemCodePages); }
