#include "unicode_reference.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef TQ_UNICODE_DATA_DIR
#define TQ_UNICODE_DATA_DIR "/usr/share/unicode"
#endif

namespace unicode_reference {

namespace {

const char32_t kCodePoints = 0x110000;

// The lines of a data file, without their comments; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>* pLines, std::string* pFirstLine,
               std::string* pError) {
    FILE* pFile = fopen(path.c_str(), "r");
    if (pFile == nullptr) {
        *pError = "cannot read " + path;
        return false;
    }
    char szLine[4096];
    bool bFirst = true;
    while (fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        std::string line = szLine;
        if (bFirst && pFirstLine != nullptr) *pFirstLine = line;
        bFirst = false;
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r\n") != std::string::npos) pLines->push_back(line);
    }
    fclose(pFile);
    return true;
}

std::string Trimmed(const std::string& text) {
    size_t nFirst = text.find_first_not_of(" \t\r\n");
    if (nFirst == std::string::npos) return "";
    return text.substr(nFirst, text.find_last_not_of(" \t\r\n") - nFirst + 1);
}

// "XXXX..YYYY ; Value" or "XXXX ; Value": the range and the value; false for anything else.
bool ParseRange(const std::string& line, char32_t* pFirst, char32_t* pLast, std::string* pValue) {
    size_t nSemicolon = line.find(';');
    if (nSemicolon == std::string::npos) return false;
    std::string range = Trimmed(line.substr(0, nSemicolon));
    size_t nDots = range.find("..");
    char* pEnd;
    *pFirst = static_cast<char32_t>(strtoul(range.c_str(), &pEnd, 16));
    *pLast = nDots == std::string::npos ? *pFirst : static_cast<char32_t>(strtoul(range.c_str() + nDots + 2, &pEnd, 16));
    *pValue = Trimmed(line.substr(nSemicolon + 1));
    return *pFirst <= *pLast && *pLast < kCodePoints;
}

bool BreakNamed(const std::string& name, Break* pBreak) {
    static const struct {
        const char* szName;
        Break value;
    } kNames[] = {{"CR", Break::CR}, {"LF", Break::LF}, {"Control", Break::Control}, {"Extend", Break::Extend},
                  {"ZWJ", Break::ZWJ}, {"Regional_Indicator", Break::RegionalIndicator}, {"Prepend", Break::Prepend},
                  {"SpacingMark", Break::SpacingMark}, {"L", Break::L}, {"V", Break::V}, {"T", Break::T},
                  {"LV", Break::LV}, {"LVT", Break::LVT}};
    for (const auto& entry : kNames) {
        if (name == entry.szName) {
            *pBreak = entry.value;
            return true;
        }
    }
    return false;
}

bool IsControlLike(Break b) { return b == Break::CR || b == Break::LF || b == Break::Control; }

}  // namespace

bool Reference::Load(const std::string& folder, std::string* pError) {
    properties.assign(kCodePoints, Properties{{'C', 'n'}, Break::Any, false, false});
    std::vector<std::string> lines;
    // UnicodeData.txt: code;name;category;... with ranges given as their first and last lines.
    if (!ReadLines(folder + "/UnicodeData.txt", &lines, nullptr, pError)) return false;
    char32_t nRangeFirst = 0;
    for (const std::string& line : lines) {
        size_t nName = line.find(';'), nCategory = line.find(';', nName + 1);
        if (nCategory == std::string::npos || nCategory + 3 > line.size()) {
            *pError = "UnicodeData.txt: cannot read " + line;
            return false;
        }
        char32_t c = static_cast<char32_t>(strtoul(line.c_str(), nullptr, 16));
        std::string name = line.substr(nName + 1, nCategory - nName - 1);
        if (name.size() > 8 && name.compare(name.size() - 8, 8, ", First>") == 0) {
            nRangeFirst = c;
            continue;
        }
        char32_t nFirst = name.size() > 7 && name.compare(name.size() - 7, 7, ", Last>") == 0 ? nRangeFirst : c;
        for (char32_t d = nFirst; d <= c && d < kCodePoints; ++d) memcpy(properties[d].category, &line[nCategory + 1], 2);
    }
    lines.clear();
    char32_t nFirst, nLast;
    std::string value;
    if (!ReadLines(folder + "/Scripts.txt", &lines, nullptr, pError)) return false;
    for (const std::string& line : lines) {
        if (!ParseRange(line, &nFirst, &nLast, &value)) continue;
        bool bIdeograph = value == "Han" || value == "Hiragana" || value == "Katakana";
        for (char32_t c = nFirst; c <= nLast; ++c) properties[c].bIdeographScript = bIdeograph;
    }
    lines.clear();
    std::string firstLine;
    if (!ReadLines(folder + "/auxiliary/GraphemeBreakProperty.txt", &lines, &firstLine, pError)) return false;
    size_t nDash = firstLine.find('-'), nTxt = firstLine.find(".txt");
    version = nDash != std::string::npos && nTxt != std::string::npos ? firstLine.substr(nDash + 1, nTxt - nDash - 1) : "";
    for (const std::string& line : lines) {
        Break b;
        if (!ParseRange(line, &nFirst, &nLast, &value) || !BreakNamed(value, &b)) {
            *pError = "GraphemeBreakProperty.txt: cannot read " + line;
            return false;
        }
        for (char32_t c = nFirst; c <= nLast; ++c) properties[c].grapheme = b;
    }
    lines.clear();
    if (!ReadLines(folder + "/emoji/emoji-data.txt", &lines, nullptr, pError)) return false;
    for (const std::string& line : lines) {
        if (!ParseRange(line, &nFirst, &nLast, &value) || value != "Extended_Pictographic") continue;
        for (char32_t c = nFirst; c <= nLast; ++c) properties[c].bPictographic = true;
    }
    return true;
}

Break Reference::BreakOf(char32_t c) const { return c < kCodePoints ? properties[c].grapheme : Break::Any; }

Role Reference::RoleOf(char32_t c) const {
    switch (c) {
    case 0x000A: case 0x000D: case 0x0085: case 0x2028: case 0x2029:
        return Role::LineBreak;
    case 0x00AD: case 0x200C: case 0x200D: case 0x2060:
        return Role::Joiner;
    case 0xFE0F: case 0x20E3:
        return Role::EmojiMark;
    case 0x007F:
        return Role::Symbol;  // DEL has always been counted as printable
    case 0x30FC: case 0xFF70:
        return Role::Ideograph;  // the prolonged sound marks, of no script of their own
    case '\'': case '.': case ':': case 0x2018: case 0x2019: case 0x201B: case 0x2032: case 0x02BC: case 0x05F3:
    case 0x05F4: case 0x2024: case 0x2025: case 0x2026: case 0xFF07: case 0xFF0E: case 0xFF1A:
        return Role::Word;  // apostrophes, full stops and colons continue a word
    default:
        break;
    }
    if (c >= kCodePoints) return Role::Symbol;
    const Properties& p = properties[c];
    if (p.category[0] == 'C' && (p.category[1] == 'c' || p.category[1] == 'f')) return Role::Ignored;
    if (p.category[0] == 'Z' && p.category[1] == 's') return Role::Space;
    if (p.bIdeographScript) return Role::Ideograph;
    if (p.category[0] == 'L' || p.category[0] == 'M' || p.category[0] == 'N') return Role::Word;
    return Role::Symbol;
}

// Unicode's rules for a boundary between text[i - 1] and text[i], in their order.
bool Reference::BreakBefore(const std::u32string& text, size_t i) const {
    if (i == 0 || i == text.size()) return true;                      // GB1, GB2
    Break before = BreakOf(text[i - 1]), after = BreakOf(text[i]);
    if (IsControlLike(before) || IsControlLike(after)) return true;  // GB4, GB5; GB3 dropped: CR LF is two
    if (before == Break::L && (after == Break::L || after == Break::V || after == Break::LV || after == Break::LVT))
        return false;                                                // GB6
    if ((before == Break::LV || before == Break::V) && (after == Break::V || after == Break::T)) return false;  // GB7
    if ((before == Break::LVT || before == Break::T) && after == Break::T) return false;                      // GB8
    if (after == Break::Extend || after == Break::ZWJ) return false;  // GB9
    if (after == Break::SpacingMark) return false;                    // GB9a
    if (before == Break::Prepend) return false;                       // GB9b
    if (before == Break::ZWJ && properties[text[i]].bPictographic) {  // GB11
        size_t j = i - 1;
        while (j > 0 && BreakOf(text[j - 1]) == Break::Extend) --j;
        if (j > 0 && properties[text[j - 1]].bPictographic) return false;
    }
    if (before == Break::RegionalIndicator && after == Break::RegionalIndicator) {  // GB12, GB13
        size_t nRun = 0;
        for (size_t j = i; j > 0 && BreakOf(text[j - 1]) == Break::RegionalIndicator; --j) ++nRun;
        if (nRun % 2 == 1) return false;
    }
    return true;                                                     // GB999
}

std::vector<size_t> Reference::Boundaries(const std::u32string& text) const {
    std::vector<size_t> starts;
    for (size_t i = 0; i <= text.size(); ++i)
        if (BreakBefore(text, i) && !(i == 0 && text.empty())) starts.push_back(i);
    return starts;
}

Counts Reference::Count(const std::u32string& whole, int nCharsPerLine) const {
    std::u32string text = whole.substr(0, whole.find(U'\0'));
    std::vector<size_t> bounds = Boundaries(text);
    std::vector<Role> roles;
    roles.reserve(text.size());
    for (char32_t c : text) roles.push_back(RoleOf(c));
    Counts counts = {};
    bool bInWord = false, bLineStarted = false;
    int64_t nColumn = 0;
    for (size_t k = 0; k + 1 < bounds.size(); ++k) {
        ++counts.nChars;
        bool bAllWhiteSpace = true;
        for (size_t i = bounds[k]; i < bounds[k + 1]; ++i) bAllWhiteSpace = bAllWhiteSpace && IsWhiteSpace(text[i]);
        counts.nCharsNoSpaces += bAllWhiteSpace ? 0 : 1;
        // A character is what its first code point that is not a prepended mark is (all prepended
        // marks: the first); an emoji presentation mark anywhere in it makes it a symbol.
        Role role = roles[bounds[k]];
        bool bEmoji = false;
        for (size_t i = bounds[k]; i < bounds[k + 1]; ++i) bEmoji = bEmoji || roles[i] == Role::EmojiMark;
        for (size_t i = bounds[k]; i < bounds[k + 1]; ++i) {
            if (BreakOf(text[i]) != Break::Prepend) {
                role = roles[i];
                break;
            }
        }
        // Words: runs of word characters, with joiners inside them; each ideograph is one.
        if (bEmoji) {
            bInWord = false;
        } else if (role == Role::Word) {
            counts.nWords += bInWord ? 0 : 1;
            bInWord = true;
        } else if (role == Role::Ideograph) {
            ++counts.nWords;
            bInWord = false;
        } else if (role != Role::Joiner) {
            bInWord = false;
        }
        // Lines: a line holds a character that is not a space, and ends at a break or the limit.
        if (role == Role::LineBreak) {
            --counts.nCharsNoBreaks;
            nColumn = 0;
            bLineStarted = false;
        } else if (role != Role::Ignored && role != Role::Joiner) {
            if (role != Role::Space && !bLineStarted) {
                ++counts.nLines;
                bLineStarted = true;
            }
            if (++nColumn >= nCharsPerLine) {
                nColumn = 0;
                bLineStarted = false;
            }
        }
    }
    counts.nCharsNoBreaks += counts.nChars;
    return counts;
}

bool Reference::IsWhiteSpace(char32_t c) const {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    if (c >= kCodePoints) return false;
    const char* category = properties[c].category;
    return category[0] == 'Z' && (category[1] == 's' || category[1] == 'l' || category[1] == 'p');
}

namespace {

struct Shared {
    Reference reference;
    std::string error;
    Shared() { reference.Load(TQ_UNICODE_DATA_DIR, &error); }
};

const Shared& SharedOne() {
    static const Shared shared;
    return shared;
}

}  // namespace

const Reference& SharedReference() { return SharedOne().reference; }
const std::string& SharedReferenceError() { return SharedOne().error; }

}  // namespace unicode_reference
