#include "bench/bench_text.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// xorshift64*: fast, and the same on every machine.
class Random {
public:
    explicit Random(uint64_t nSeed) : nState(nSeed ? nSeed : 1) {}
    uint64_t Next() {
        nState ^= nState >> 12;
        nState ^= nState << 25;
        nState ^= nState >> 27;
        return nState * 0x2545F4914F6CDD1DULL;
    }
    size_t Below(size_t n) { return static_cast<size_t>((Next() >> 32) * n >> 32); }

private:
    uint64_t nState;
};

std::vector<std::string> MakeWords(Random& random) {
    std::vector<std::string> words = {"the",   "of",   "and", "to",    "a",    "in",   "is",   "it's", "that",
                                      "was",   "for",  "on",  "are",   "with", "as",   "I",    "his",  "they",
                                      "be",    "at",   "one", "have",  "this", "from", "or",   "had",  "by",
                                      "don't", "e.g.", "3.5", "12:30", "1999", "Mr.",  "well", "known"};
    static const char* const kStarts[] = {"b", "c", "d",  "f",  "g",  "h",  "l",  "m",  "n",  "p",  "r",  "s",
                                          "t", "w", "st", "tr", "pl", "gr", "ch", "sh", "th", "br", "cl", ""};
    static const char* const kVowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "ai", "ee", "io"};
    static const char* const kEnds[] = {"", "n", "r", "s", "t", "nd", "st", "ng", "rt", "ll", "ck", "m"};
    while (words.size() < 3000) {
        std::string word;
        size_t nSyllables = 1 + random.Below(3) + random.Below(2);
        for (size_t i = 0; i < nSyllables; ++i) {
            word += kStarts[random.Below(sizeof(kStarts) / sizeof(kStarts[0]))];
            word += kVowels[random.Below(sizeof(kVowels) / sizeof(kVowels[0]))];
        }
        word += kEnds[random.Below(sizeof(kEnds) / sizeof(kEnds[0]))];
        // A few words with the code page's accented letters.
        if (random.Below(40) == 0) word[random.Below(word.size())] = "\xE9\xE8\xFC\xF1\xE7"[random.Below(5)];
        words.push_back(word);
    }
    return words;
}

class TextWriter {
public:
    TextWriter(char* pOut, size_t nOut) : p(pOut), nLeft(nOut) {}
    bool Full() const { return nLeft == 0; }
    void Put(const char* pText, size_t n) {
        if (n > nLeft) n = nLeft;
        memcpy(p, pText, n);
        p += n;
        nLeft -= n;
    }
    void Put(const std::string& text) { Put(text.data(), text.size()); }
    void Put(char c) { Put(&c, 1); }

private:
    char* p;
    size_t nLeft;
};

}  // namespace

void MakeBenchText(uint64_t nSeed, char* pOut, size_t nBytes) {
    Random random(nSeed);
    std::vector<std::string> words = MakeWords(random);
    TextWriter out(pOut, nBytes);
    std::string line;
    while (!out.Full()) {
        // A paragraph: wrapped at about 72 columns, or one long line as a word processor copies it.
        bool bWrapped = random.Below(10) < 6;
        size_t nWords = 20 + random.Below(150);
        bool bSentenceStart = true;
        line.clear();
        for (size_t i = 0; i < nWords; ++i) {
            // Common words often, rare ones now and then.
            size_t nPick = random.Below(words.size());
            nPick = nPick * random.Below(words.size()) / words.size();
            std::string word = words[nPick];
            if (bSentenceStart && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
            bSentenceStart = false;
            size_t nMark = random.Below(100);
            if (nMark < 6) {
                word += '.';
                bSentenceStart = true;
            } else if (nMark < 11) {
                word += ',';
            } else if (nMark < 12) {
                word += ';';
            } else if (nMark < 13) {
                word = "(" + word + ")";
            } else if (nMark < 14) {
                word = "\"" + word + "\"";
            } else if (nMark < 15) {
                word = "\x93" + word + "\x94";
            } else if (nMark < 16) {
                word += random.Below(2) ? " -" : " \x96";
            } else if (nMark < 17) {
                word += random.Below(2) ? "?" : "!";
                bSentenceStart = true;
            }
            if (bWrapped && !line.empty() && line.size() + 1 + word.size() > 72) {
                out.Put(line);
                out.Put("\r\n", 2);
                line.clear();
            }
            if (!line.empty()) line += random.Below(30) ? " " : "  ";
            line += word;
        }
        if (line.back() != '.') line += '.';
        out.Put(line);
        out.Put("\r\n\r\n", 4);
    }
}
