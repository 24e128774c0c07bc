// Random text dense in one script or another, for the tests that hold the measures to a reference:
// palettes of code points drawn by weight, each with its script's marks.
#pragma once
#include <algorithm>
#include <random>
#include <vector>

#include "unicode_test_support.h"

// Code points drawn from weighted ranges.
struct Span {
    char32_t nFirst, nLast;
    int nWeight;
};

struct Palette {
    const char* szName;
    std::vector<Span> spans;
};

// One palette a script, each dense in it, with its marks; the last holds what the rules name one
// by one (controls, breaks, joiners, prepended marks, lone surrogates, word punctuation).
inline const std::vector<Palette>& Palettes() {
    static const std::vector<Palette> palettes = {
        {"Latin", {{'a', 'z', 60}, {'A', 'Z', 6}, {'0', '9', 3}, {' ', ' ', 14}, {'.', '.', 2}, {',', ',', 2},
                   {'\'', '\'', 1}, {0xE0, 0xFF, 6}, {0x100, 0x17F, 3}, {0x300, 0x36F, 3}, {0x2019, 0x2019, 1},
                   {0xA0, 0xA0, 1}, {'\n', '\n', 1}}},
        {"Cyrillic", {{0x430, 0x44F, 60}, {0x410, 0x42F, 6}, {0x451, 0x451, 1}, {' ', ' ', 14}, {',', ',', 2},
                      {'.', '.', 2}, {0x301, 0x301, 2}, {0x2014, 0x2014, 1}, {0xAB, 0xAB, 1}, {0xBB, 0xBB, 1},
                      {'\n', '\n', 1}}},
        {"Greek", {{0x3B1, 0x3C9, 60}, {0x391, 0x3A9, 6}, {0x3AC, 0x3CE, 8}, {0x1F00, 0x1FFE, 4}, {0x300, 0x301, 2},
                   {0x342, 0x345, 2}, {' ', ' ', 14}, {0x387, 0x387, 1}, {0x37E, 0x37E, 1}, {',', ',', 2},
                   {'\n', '\n', 1}}},
        {"Arabic", {{0x621, 0x64A, 50}, {0x64B, 0x652, 20}, {0x670, 0x670, 2}, {0x660, 0x669, 3}, {0x60C, 0x60C, 2},
                    {0x61F, 0x61F, 1}, {0x640, 0x640, 1}, {0x600, 0x605, 2}, {0x6DD, 0x6DD, 1}, {0x61C, 0x61C, 1},
                    {0x200C, 0x200D, 2}, {' ', ' ', 14}, {'\n', '\n', 1}}},
        {"Devanagari", {{0x915, 0x939, 45}, {0x93E, 0x94C, 20}, {0x94D, 0x94D, 10}, {0x93C, 0x93C, 3},
                        {0x901, 0x903, 5}, {0x905, 0x914, 6}, {0x966, 0x96F, 2}, {0x964, 0x965, 2},
                        {0x200C, 0x200D, 2}, {' ', ' ', 12}, {'\n', '\n', 1}}},
        {"Thai", {{0xE01, 0xE2E, 50}, {0xE30, 0xE3A, 20}, {0xE40, 0xE44, 8}, {0xE45, 0xE4E, 8}, {0xE50, 0xE59, 2},
                  {' ', ' ', 8}, {'\n', '\n', 1}}},
        {"Hangul", {{0xAC00, 0xD7A3, 50}, {0x1100, 0x1112, 8}, {0x1161, 0x1175, 8}, {0x11A8, 0x11C2, 8},
                    {0x3131, 0x318E, 2}, {' ', ' ', 14}, {'.', '.', 2}, {',', ',', 1}, {'\n', '\n', 1}}},
        {"Han and kana", {{0x4E00, 0x9FFF, 40}, {0x3041, 0x3096, 20}, {0x30A1, 0x30FA, 12}, {0x30FC, 0x30FC, 3},
                          {0xFF66, 0xFF9F, 3}, {0x3099, 0x309A, 2}, {0x3001, 0x3002, 4}, {0x300C, 0x300D, 2},
                          {0x3000, 0x3000, 2}, {0xFF01, 0xFF5E, 3}, {0x20000, 0x2A6DF, 3}, {0x3005, 0x3005, 1},
                          {0xFE0F, 0xFE0F, 1}, {'a', 'z', 3}, {'\n', '\n', 1}}},
        {"emoji", {{0x1F600, 0x1F64F, 20}, {0x1F300, 0x1F5FF, 8}, {0x1F900, 0x1F9FF, 6}, {0x2600, 0x26FF, 4},
                   {0x2764, 0x2764, 2}, {0xA9, 0xA9, 1}, {0x1F3FB, 0x1F3FF, 10}, {0x200D, 0x200D, 15},
                   {0xFE0F, 0xFE0F, 12}, {0xFE0E, 0xFE0E, 2}, {0x20E3, 0x20E3, 4}, {'0', '9', 3}, {'#', '#', 1},
                   {0x1F1E6, 0x1F1FF, 15}, {0x1F3F4, 0x1F3F4, 2}, {0xE0061, 0xE007A, 4}, {0xE007F, 0xE007F, 2},
                   {0x2640, 0x2642, 2}, {' ', ' ', 8}, {'a', 'z', 4}}},
        {"named one by one", {{'\r', '\r', 4}, {'\n', '\n', 4}, {'\t', '\t', 2}, {1, 0x1F, 1}, {0x7F, 0x85, 2},
                              {0x2028, 0x2029, 2}, {0xAD, 0xAD, 3}, {0x2060, 0x2060, 2}, {0x200B, 0x200F, 3},
                              {0xFEFF, 0xFEFF, 1}, {0x0600, 0x0605, 2}, {0x0D4E, 0x0D4E, 1}, {0x110BD, 0x110BD, 1},
                              {0x111C2, 0x111C3, 1}, {0x0903, 0x0903, 2}, {0x0E33, 0x0E33, 1}, {0xD800, 0xDBFF, 2},
                              {0xDC00, 0xDFFF, 2}, {'\'', '\'', 2}, {'.', '.', 2}, {':', ':', 2},
                              {0x2018, 0x2019, 2}, {0x201B, 0x201B, 1}, {0x2024, 0x2026, 2}, {0x2032, 0x2032, 1},
                              {0x02BC, 0x02BC, 1}, {0x05F3, 0x05F4, 1}, {0xFF07, 0xFF07, 1}, {0xFF0E, 0xFF0E, 1},
                              {0xFF1A, 0xFF1A, 1}, {0xFFFD, 0xFFFD, 1}, {0xE000, 0xE000, 1}, {0x10FFFF, 0x10FFFF, 1},
                              {0xFE0F, 0xFE0F, 2}, {0x20E3, 0x20E3, 1}, {0x0301, 0x0301, 2}, {0x65E5, 0x65E5, 2},
                              {'a', 'z', 10}, {' ', ' ', 6}}},
    };
    return palettes;
}

// Draws code points from a palette until the text reaches nUnits UTF-16 units.
inline void Draw(const Palette& palette, std::mt19937& random, size_t nUnits, CodePoints* pText, size_t* pnUnits) {
    std::vector<int> weights;
    for (const Span& span : palette.spans) weights.push_back(span.nWeight);
    std::discrete_distribution<size_t> pickSpan(weights.begin(), weights.end());
    while (*pnUnits < nUnits) {
        const Span& span = palette.spans[pickSpan(random)];
        char32_t c = span.nFirst + static_cast<char32_t>(random() % (span.nLast - span.nFirst + 1));
        *pText += c;
        *pnUnits += c >= 0x10000 ? 2 : 1;
    }
}

// Runs of every palette in turn, from one code point to forty.
inline CodePoints DrawMixed(std::mt19937& random, size_t nUnits) {
    CodePoints text;
    size_t nDrawn = 0;
    while (nDrawn < nUnits) {
        const Palette& palette = Palettes()[random() % Palettes().size()];
        Draw(palette, random, std::min(nUnits, nDrawn + 1 + random() % 40), &text, &nDrawn);
    }
    return text;
}
