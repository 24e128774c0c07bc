#include "documents/qt_ts_text.h"

#include <gtest/gtest.h>

#include "tests/unit/translation_test_support.h"

namespace {

std::string Ts(const std::string& messages) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\" language=\"de_DE\">"
           "<context><name>Main</name>" + messages + "</context></TS>\n";
}

TEST(QtTsText, ReadsSourcesOrTranslationsLeavingOutObsoleteMessages) {
    std::string file = Ts(
        "<message><location filename='a.cpp' line='3'/><source>Open</source><comment>C</comment>"
        "<extracomment>E</extracomment><translatorcomment>T</translatorcomment><translation>Öffnen</translation>"
        "</message>"
        "<message><source>Gone</source><translation type='obsolete'>Weg</translation></message>"
        "<message><source>Vanished</source><translation type='vanished'>Verschwunden</translation></message>"
        "<message><source>Half</source><translation type='unfinished'>Halb</translation></message>"
        "<message><source>None</source><translation type='unfinished'></translation></message>"
        "<message><source>Missing</source></message>");
    EXPECT_EQ("Open\r\nHalf\r\nNone\r\nMissing\r\n", SourceText(ReadQtTsText, file))
        << "no name, comment, location; no obsolete or vanished message";
    TranslationReading target = ReadTranslation(ReadQtTsText, file, TranslationSide::kTarget);
    EXPECT_EQ("Öffnen\r\nHalb\r\n", target.text) << "an unfinished translation with text counts";
    EXPECT_EQ(2u, target.nUntranslated) << "the empty unfinished one and the one without";
}

TEST(QtTsText, PluralFormsAndLengthVariants) {
    std::string file = Ts(
        "<message numerus='yes'><source>%n file(s)</source><translation>\n  <numerusform>%n Datei</numerusform>\n"
        "  <numerusform>%n Dateien</numerusform>\n</translation></message>"
        "<message numerus='yes'><source>%n item(s)</source><translation type='unfinished'><numerusform></numerusform>"
        "<numerusform></numerusform></translation></message>"
        "<message><source variants='yes'>\n  <lengthvariant>Long source</lengthvariant>\n"
        "  <lengthvariant>Short</lengthvariant>\n</source><translation variants='yes'>\n"
        "  <lengthvariant>Lange Fassung</lengthvariant>\n  <lengthvariant>Kurz</lengthvariant>\n</translation>"
        "</message>"
        "<message numerus='yes'><source>%n day(s)</source><translation><numerusform variants='yes'>"
        "<lengthvariant>%n Tag</lengthvariant><lengthvariant>%nT</lengthvariant></numerusform>"
        "<numerusform>%n Tage</numerusform></translation></message>");
    EXPECT_EQ("%n file(s)\r\n%n item(s)\r\nLong source\r\n%n day(s)\r\n", SourceText(ReadQtTsText, file))
        << "one source per message, its first length variant";
    TranslationReading target = ReadTranslation(ReadQtTsText, file, TranslationSide::kTarget);
    EXPECT_EQ("%n Datei\r\n%n Dateien\r\nLange Fassung\r\n%n Tag\r\n%n Tage\r\n", target.text)
        << "each plural form a paragraph, the first length variant of each";
    EXPECT_EQ(1u, target.nUntranslated) << "the message whose forms are all empty, once";
}

TEST(QtTsText, RefusesWhatIsNotWellFormed) {
    const char* const kFiles[] = {
        "<!DOCTYPE TS><TS><context><message><source>a</source></message>",
        "<!DOCTYPE TS><TS><context><message><source>a</translation></message></context></TS>",
        "<!DOCTYPE TS [<!ENTITY e 'x'>]><TS/>",
        "<TS/><TS/>",
    };
    for (const char* szFile : kFiles) {
        for (TranslationSide side : {TranslationSide::kSource, TranslationSide::kTarget}) {
            std::string text = ReadTranslation(ReadQtTsText, szFile, side).text;
            EXPECT_EQ('!', text.empty() ? ' ' : text[0]) << "got \"" << text << "\" for " << szFile;
        }
    }
}

}  // namespace
