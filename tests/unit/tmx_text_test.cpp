#include "documents/tmx_text.h"

#include <gtest/gtest.h>

#include "tests/unit/translation_test_support.h"

namespace {

std::string Tmx(const std::string& srclang, const std::string& units) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE tmx SYSTEM \"tmx14.dtd\">\n<tmx version=\"1.4\"><header srclang=\"" +
           srclang + "\" adminlang=\"en\" datatype=\"plaintext\" segtype=\"sentence\" o-tmf=\"x\"><note>H</note>"
           "<prop type=\"x\">P</prop></header><body>" + units + "</body></tmx>";
}

TEST(TmxText, ReadsTheSourceLanguageOrTheOthers) {
    const std::string kUnits =
        "<tu><note>N</note><prop type='p'>P</prop><tuv xml:lang='fr-FR'><seg>Bonjour</seg></tuv>"
        "<tuv xml:lang='EN-us'><prop type='q'>Q</prop><seg>Hello <hi type='b'>you</hi></seg></tuv>"
        "<tuv xml:lang='de-DE'><seg>Hallo</seg></tuv></tu>"
        "<tu><tuv lang='en-US'><seg>Only source</seg></tuv></tu>"
        "<tu><tuv xml:lang='en-US'><seg>Both</seg></tuv><tuv xml:lang='fr-fr'><seg></seg></tuv>"
        "<tuv xml:lang='de-DE'><seg>Beide</seg></tuv></tu>";
    std::string file = Tmx("en-US", kUnits);
    EXPECT_EQ("Hello you\r\nOnly source\r\nBoth\r\n", SourceText(ReadTmxText, file))
        << "the source language's variant, letter case aside, TMX 1.1's lang too; notes and props never";
    TranslationReading all = ReadTranslation(ReadTmxText, file, TranslationSide::kTarget);
    EXPECT_EQ("Bonjour\r\nHallo\r\nBeide\r\n", all.text) << "every other language";
    EXPECT_EQ(1u, all.nUntranslated) << "the unit with the source alone";
    TranslationReading french = ReadTranslation(ReadTmxText, file, TranslationSide::kTarget, "FR-fr");
    EXPECT_EQ("Bonjour\r\n", french.text) << "the chosen language only";
    EXPECT_EQ(2u, french.nUntranslated) << "units without French, or with it empty";
    std::string any =
        Tmx("*all*", "<tu><tuv xml:lang='de'><seg>Eins</seg></tuv><tuv xml:lang='en'><seg>One</seg></tuv></tu>");
    EXPECT_EQ("Eins\r\n", SourceText(ReadTmxText, any)) << "*all*: the first variant is the source";
    EXPECT_EQ("One\r\n", TargetText(ReadTmxText, any)) << "*all*: the others are translations";
}

TEST(TmxText, CountsTextAndSubFlowsNotCodes) {
    std::string file =
        Tmx("en", "<tu><tuv xml:lang='en'><seg>a<bpt i='1'>&lt;a href='<sub>S</sub>'&gt;</bpt>b<ept i='1'>&lt;/a&gt;"
                  "</ept><ph>{x}</ph><it pos='begin'>&lt;i&gt;</it><ut>&lt;u&gt;</ut>c<hi>d<sub>e</sub></hi>"
                  "<![CDATA[<f>]]></seg></tuv></tu>");
    EXPECT_EQ("aSbcde<f>\r\n", SourceText(ReadTmxText, file)) << "bpt ept ph it ut are code; hi and sub are text";
}

TEST(TmxText, RefusesWhatIsNotWellFormed) {
    const char* const kFiles[] = {
        "<tmx version='1.4'><header srclang='en'/><body><tu><tuv xml:lang='en'><seg>a</seg></tuv>",
        "<tmx version='1.4'><header srclang='en'/><body><tu><tuv xml:lang='en'><seg>a</tuv></tu></body></tmx>",
        "<!DOCTYPE tmx SYSTEM 'tmx14.dtd' [<!ENTITY e 'x'>]><tmx version='1.4'/>",
        "<tmx><body>&unknown;</body></tmx>",
    };
    for (const char* szFile : kFiles) {
        for (TranslationSide side : {TranslationSide::kSource, TranslationSide::kTarget}) {
            std::string text = ReadTranslation(ReadTmxText, szFile, side).text;
            EXPECT_EQ('!', text.empty() ? ' ' : text[0]) << "got \"" << text << "\" for " << szFile;
        }
    }
}

}  // namespace
