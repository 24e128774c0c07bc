// What the tests of the translation files' readers share: a reading's text, refusal and count of
// units without a translation, on either side.
#pragma once
#include <stdio.h>

#include <string>

#include "documents/document_text.h"

namespace translation_test {

class StringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { text.append(pUtf8, cbUtf8); }
    std::string text;
};

struct Reading {
    std::string text;      // what was put, also when refused
    std::string refusal;   // empty when read
    uint64_t nUntranslated;
};

const TranslationChoice kSource{TranslationSide::kSource, nullptr};
const TranslationChoice kTarget{TranslationSide::kTarget, nullptr};

// Reads the bytes with a reader of the bytes' form.
template <typename Read>
Reading ReadWith(Read read, const std::string& file, const TranslationChoice& side = kSource) {
    StringSink sink;
    DocumentText text(&sink);
    text.ChooseTranslation(side);
    bool bRead = read(file, &text);
    Reading reading{sink.text, text.Refusal() != nullptr ? text.Refusal() : "", text.Untranslated()};
    if (!bRead && reading.refusal.empty()) reading.refusal = "refused without a reason";
    if (bRead && !reading.refusal.empty()) reading.refusal = "read, yet refused: " + reading.refusal;
    return reading;
}

// The text, or "!" and the refusal.
inline std::string Shown(const Reading& reading) { return reading.refusal.empty() ? reading.text : "!" + reading.refusal; }

inline std::string FileBytes(const std::string& path) {
    std::string bytes;
    FILE* pFile = fopen(path.c_str(), "rb");
    if (pFile == nullptr) return bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pFile)) > 0;) bytes.append(buffer, n);
    fclose(pFile);
    return bytes;
}

}  // namespace translation_test
