// What the tests of the translation files' readers share: a reading's text (or "!" and its
// refusal) with the units it found untranslated, and the fixtures' bytes.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <string>

#include "documents/document_text.h"

typedef bool (*TranslationReader)(const char* pUtf8, size_t cbUtf8, DocumentText* pText);

struct TranslationReading {
    std::string text;  // or "!" and the refusal
    uint64_t nUntranslated;
};

class TranslationStringSink : public TextSink {
public:
    void Put(const char* pUtf8, size_t cbUtf8) override { text.append(pUtf8, cbUtf8); }
    std::string text;
};

inline TranslationReading ReadTranslation(TranslationReader Read, const std::string& file,
                                          TranslationSide side = TranslationSide::kSource,
                                          const char* szLanguage = nullptr) {
    TranslationStringSink sink;
    DocumentText text(&sink);
    text.ChooseTranslation(TranslationChoice{side, szLanguage});
    bool bRead = Read(file.data(), file.size(), &text);
    if (!bRead) return {"!" + std::string(text.Refusal() ? text.Refusal() : "refused without a reason"), 0};
    return {sink.text, text.Untranslated()};
}

inline std::string SourceText(TranslationReader Read, const std::string& file) {
    return ReadTranslation(Read, file).text;
}
inline std::string TargetText(TranslationReader Read, const std::string& file, const char* szLanguage = nullptr) {
    return ReadTranslation(Read, file, TranslationSide::kTarget, szLanguage).text;
}

// The bytes of a file of tests/fixtures/translation, or "" when it cannot be read.
inline std::string TranslationFixture(const std::string& name) {
    std::string bytes;
    FILE* pFile = fopen((std::string(TQ_TRANSLATION_FIXTURES_DIR) + name).c_str(), "rb");
    if (pFile == nullptr) return bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pFile)) > 0;) bytes.append(buffer, n);
    fclose(pFile);
    return bytes;
}
