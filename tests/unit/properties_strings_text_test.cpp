#include <gtest/gtest.h>

#include <string>

#include "documents/apple_strings_text.h"
#include "documents/properties_text.h"
#include "tests/unit/translation_text_support.h"

using namespace translation_test;

namespace {

Reading Properties(const std::string& file, const TranslationChoice& side = kSource) {
    return ReadWith(
        [](const std::string& bytes, DocumentText* pText) {
            return ReadPropertiesText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pText);
        },
        file, side);
}

Reading Strings(const std::string& file, const TranslationChoice& side = kSource) {
    return ReadWith(
        [](const std::string& bytes, DocumentText* pText) {
            return ReadAppleStringsText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pText);
        },
        file, side);
}

// ASCII text as UTF-16, each unit's high byte zero.
std::string Utf16(const std::string& ascii, bool bBigEndian) {
    std::string out;
    for (char c : ascii) {
        if (bBigEndian) out += '\0';
        out += c;
        if (!bBigEndian) out += '\0';
    }
    return out;
}

struct Case {
    const char* szWhat;
    std::string file;
    const char* szText;
};

}  // namespace

TEST(PropertiesText, ReadsValuesAsJavaLoadsThem) {
    const Case kCases[] = {
        {"comments, the three separators, keys left out",
         "# comment ending with a backslash \\\nkey0=shown\n! bang comment\n  key1 = value one\nkey2:value two\n"
         "key3 \t value three\nkey\\ with\\=escapes = v\n",
         "shown\r\nvalue one\r\nvalue two\r\nvalue three\r\nv\r\n"},
        {"a continued line loses the next line's leading white space; an even run of backslashes ends it",
         "a=first \\\n    second\\\\\nb=x\\\r\n\t y\\\\\\\n  z\n", "first second\\\r\nxy\\z\r\n"},
        {"escapes: \\u (a surrogate pair joined, a lone one U+FFFD), \\t \\n \\r \\f, any other \\c is c",
         "k=\\u00e9t\\u00E9 \\uD83D\\uDE00 \\uD83D! \\t\\n\\r\\f \\q\\=\\:\\\\\n",
         "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 \xEF\xBF\xBD! \t\n\r\f q=:\\\r\n"},
        {"empty values, a key alone, trailing white space kept, a backslash ending the file",
         "empty=\nalone\n  spaced   =   lead trailing  \nlast=end\\", "lead trailing  \r\nend\r\n"},
        {"not UTF-8: ISO-8859-1, each byte its code point (0x80 too)", "k=caf\xE9 \x80\n", "caf\xC3\xA9 \xC2\x80\r\n"},
        {"UTF-8 after its byte-order mark", "\xEF\xBB\xBFk=\xCE\xBB\xC3\xA9\n", "\xCE\xBB\xC3\xA9\r\n"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szText, Shown(Properties(c.file))) << c.szWhat;
        // One language in the file: the target side reads the same values, none untranslated.
        Reading target = Properties(c.file, kTarget);
        EXPECT_EQ(c.szText, Shown(target)) << c.szWhat << ", target side";
        EXPECT_EQ(0u, target.nUntranslated) << c.szWhat << ", untranslated on the target side";
    }
    EXPECT_EQ("!the file is damaged: it is not a well-formed properties file (line 3: a \\u escape without four hex "
              "digits at byte 11)",
              Shown(Properties("a=1\n\nb=\\u00g1\n")))
        << "a \\u escape cut short";
    EXPECT_EQ("!the file is damaged: it is not a well-formed properties file (line 2: a \\u escape without four hex "
              "digits at byte 11)",
              Shown(Properties("a=x\\\n  \\u12")))
        << "a \\u escape cut by the end, on a continued line";
}

TEST(AppleStringsText, ReadsTheValuesOfThePairs) {
    const Case kCases[] = {
        {"comments, bare keys, escapes, an empty value",
         "/* comment \"not a string\" */\n\"k1\" = \"v1\";\n// line comment \"x\" = \"y\";\n"
         "k_2.x-y = \"v \\\"2\\\" \\\\ \\n\\t\\r \\U00e9 \\UD83D\\UDE00\";\n\"k3\"=\"\";\n"
         "\"k4\" /* c */ = /* c */ \"v4\" // c\n ;\n\"k5\" = \"line\nbreak\";",
         "v1\r\nv \"2\" \\ \n\t\r \xC3\xA9 \xF0\x9F\x98\x80\r\nv4\r\nline\nbreak\r\n"},
        {"UTF-16LE after its byte-order mark", "\xFF\xFE" + Utf16("\"k\" = \"caf", false) + std::string("\xE9\x00", 2) + Utf16("\";", false),
         "caf\xC3\xA9\r\n"},
        {"UTF-16BE without a byte-order mark", Utf16("/* x */ \"k\" = \"v\";\n", true), "v\r\n"},
        {"UTF-16LE without a byte-order mark", Utf16("\"k\" = \"w\";", false), "w\r\n"},
        {"UTF-8 after its byte-order mark", "\xEF\xBB\xBF\"k\" = \"\xCE\xBB\";", "\xCE\xBB\r\n"},
        {"an empty file", "", ""},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szText, Shown(Strings(c.file))) << c.szWhat;
        Reading target = Strings(c.file, kTarget);
        EXPECT_EQ(c.szText, Shown(target)) << c.szWhat << ", target side";
        EXPECT_EQ(0u, target.nUntranslated) << c.szWhat << ", untranslated on the target side";
    }
    const std::string kBad = "!the file is damaged: it is not a well-formed .strings file (line ";
    const Case kDamaged[] = {
        {"a string without its end", "\"a\" = \"b\";\n\"c\" = \"d;\n", "2: a string without its closing quote at byte 17)"},
        {"a comment without its end", "\"a\" = \"b\";\n/* open\n\n", "2: a comment without its end at byte 11)"},
        {"a pair without '='", "\"a\" \"b\";", "1: a key without its '=' at byte 4)"},
        {"a pair without ';'", "\"a\" = \"b\"\n\"c\" = \"d\";", "2: a value without its ';' at byte 10)"},
        {"a pair without a value", "\"a\" = ;", "1: an '=' without its value at byte 6)"},
        {"a key that is no string", "= \"b\";", "1: a key that is neither quoted nor a bare word at byte 0)"},
    };
    for (const Case& c : kDamaged) EXPECT_EQ(kBad + c.szText, Shown(Strings(c.file))) << c.szWhat;
}
