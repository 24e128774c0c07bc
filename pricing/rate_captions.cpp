#include "pricing/rate_captions.h"

namespace {

// Appends to a bounded UTF-16 text, always terminated.
class CaptionText {
public:
    CaptionText(char16_t* szText, size_t nUnits) : sz(szText), nSize(nUnits), n(0) {
        if (nSize > 0) sz[0] = 0;
    }
    CaptionText& Ascii(const char* szPart) {
        while (*szPart) Unit(static_cast<unsigned char>(*szPart++));
        return *this;
    }
    CaptionText& Wide(const char16_t* szPart) {
        while (*szPart) Unit(*szPart++);
        return *this;
    }
    // " (currency)", or nothing for an empty currency.
    CaptionText& Currency(const Rates& rates) {
        if (rates.szCurrency[0] == 0) return *this;
        return Ascii(" (").Wide(rates.szCurrency).Ascii(")");
    }
    size_t Length() const { return n; }

private:
    void Unit(char16_t c) {
        if (n + 1 >= nSize) return;
        sz[n++] = c;
        sz[n] = 0;
    }
    char16_t* sz;
    size_t nSize;
    size_t n;
};

}  // namespace

const char* RateLinesName(const Rates& rates) {
    if (rates.eLines == kLinesLaidOut) return "Lines";
    return rates.eLineName == kLineNamePages ? "Pages" : "Standard Lines";
}
const char* RateLineName(const Rates& rates) {
    if (rates.eLines == kLinesLaidOut) return "Line";
    return rates.eLineName == kLineNamePages ? "Page" : "Standard Line";
}

const char* RateCharsKind(const Rates& rates) {
    switch (rates.eChars) {
        case kCharsWithSpaces: return " (with spaces)";
        case kCharsWithoutSpaces: return " (no spaces)";
        default: return "";
    }
}

size_t MakeRateCaption(const Rates& rates, RateCaption eCaption, bool bMinimumApplied, char16_t* szCaption,
                       size_t nUnits) {
    CaptionText text(szCaption, nUnits);
    switch (eCaption) {
        case kCaptionFixedCost: text.Ascii("Fixed Cost per Job").Currency(rates); break;
        case kCaptionCharsCost: text.Ascii("Characters Cost").Currency(rates); break;
        case kCaptionCharCount: text.Ascii("Number of Characters").Ascii(RateCharsKind(rates)); break;
        case kCaptionCostPerChar: text.Ascii("x   Cost per Character").Currency(rates); break;
        case kCaptionWordsCost: text.Ascii("Words Cost").Currency(rates); break;
        case kCaptionWordCount: text.Ascii("Number of Words"); break;
        case kCaptionCostPerWord: text.Ascii("x   Cost per Word").Currency(rates); break;
        case kCaptionLinesCost: text.Ascii(RateLinesName(rates)).Ascii(" Cost").Currency(rates); break;
        case kCaptionCharsPerLine: text.Ascii("Characters per ").Ascii(RateLineName(rates)); break;
        case kCaptionLineCount: text.Ascii("Number of ").Ascii(RateLinesName(rates)); break;
        case kCaptionCostPerLine: text.Ascii("x   Cost per ").Ascii(RateLineName(rates)).Currency(rates); break;
        case kCaptionTotalCost:
            text.Ascii("Total Cost").Currency(rates);
            if (bMinimumApplied) text.Wide(u" \u2014 minimum");
            break;
        default: break;
    }
    return text.Length();
}
