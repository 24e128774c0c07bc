// The XML readers' tests' view of a reading (translation_text_support.h's, for the readers of a
// whole file in UTF-8): its text, or "!" and its refusal, with the units it found untranslated; and
// the fixtures' bytes.
#pragma once
#include <stdint.h>

#include <string>

#include "tests/unit/translation_text_support.h"

typedef bool (*TranslationReader)(const char* pUtf8, size_t cbUtf8, DocumentText* pText);

struct TranslationReading {
    std::string text;  // or "!" and the refusal
    uint64_t nUntranslated;
};

inline TranslationReading ReadTranslation(TranslationReader Read, const std::string& file,
                                          TranslationSide side = TranslationSide::kSource,
                                          const char* szLanguage = nullptr) {
    translation_test::Reading reading = translation_test::ReadWith(
        [&](const std::string& bytes, DocumentText* pText) { return Read(bytes.data(), bytes.size(), pText); }, file,
        TranslationChoice{side, szLanguage});
    if (!reading.refusal.empty()) return {"!" + reading.refusal, 0};
    return {reading.text, reading.nUntranslated};
}

inline std::string SourceText(TranslationReader Read, const std::string& file) {
    return ReadTranslation(Read, file).text;
}
inline std::string TargetText(TranslationReader Read, const std::string& file, const char* szLanguage = nullptr) {
    return ReadTranslation(Read, file, TranslationSide::kTarget, szLanguage).text;
}

// The bytes of a file of tests/fixtures/translation, or "" when it cannot be read.
inline std::string TranslationFixture(const std::string& name) {
    return translation_test::FileBytes(std::string(TQ_TRANSLATION_FIXTURES_DIR) + name);
}
