// The stored forms of the rates: every value is a REG_SZ text under the program's key. A value that
// is missing or damaged gives its default, silently, as the program's other settings do.
//
// Layout (sections below "Software\Kestrilon\TallyQuill"):
//   Settings      the first rates, in the values the program has always used: FixedCostAmount,
//                 CostPerCharacter, CostPerWord, CharacterPerLine, CostPerLine; and beside them
//                 RateName, CharacterKind, LineRule, LineName, LineRounding, MinimumCharge, Currency,
//                 TranslationSide.
//   Rates         Count (how many rates, 1 to 64) and InUse (the list position of the rates in use,
//                 0 the first).
//   Rates\<n>     the rates at list position n (1 to 63), in the same thirteen values as the first.
// Forms: the prices, the characters per line and the minimum are the texts the user typed (a blank
// minimum is none); CharacterKind is "breaks", "spaces" or "no-spaces"; LineRule "laid-out" or
// "standard"; LineName "lines" or "pages"; LineRounding "two-decimals" or "up"; TranslationSide
// "source" or "target". RateName and
// Currency are UTF-16 texts written in ASCII: printable characters but "\" as they are, every other
// code unit as "\uXXXX" (four hex digits), so that any script survives the ANSI registry calls.
#pragma once
#include <stddef.h>

#include "pricing/rates.h"

enum RateValue {
    kRateFixedCost,
    kRateCostPerChar,
    kRateCostPerWord,
    kRateCharsPerLine,
    kRateCostPerLine,
    kRateName,
    kRateCharKind,
    kRateLineRule,
    kRateLineName,
    kRateLineRounding,
    kRateMinimum,
    kRateCurrency,
    kRateTranslationSide,
    kRateValueCount
};

// The value's name in its section.
const char* RateValueName(RateValue eValue);

// The section of the rates at list position nIndex ("Settings" or "Rates\<n>") into szSection of
// at least kRateSectionSize bytes.
enum { kRateSectionSize = 16 };
extern const char kRatesSection[];  // "Rates": Count and InUse
void GetRateSection(int nIndex, char* szSection);

// The stored text of one value of pRates into szText (kRatePriceTextSize bytes; every form fits).
void FormatRateValue(const Rates& rates, RateValue eValue, char* szText);
// Takes one stored text into the record; a damaged text leaves the value as it was, so a record
// made by SetDefaultRates keeps its default. The loader passes the default's stored text as the
// registry default, so a missing value reads exactly as it always has.
void ReadRateValue(const char* szStored, RateValue eValue, Rates* pRates);

// Count: 1 to kMaxRates, 1 otherwise. InUse: 0 to nCount - 1, 0 otherwise.
int StoredRateCount(const char* szStored);
int StoredRateInUse(const char* szStored, int nCount);
