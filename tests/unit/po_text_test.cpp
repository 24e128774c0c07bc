#include "documents/po_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/translation_text_support.h"

using namespace translation_test;

namespace {

Reading Po(const std::string& file, const TranslationChoice& side = kSource) {
    return ReadWith(
        [](const std::string& bytes, DocumentText* pText) {
            return ReadPoText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pText);
        },
        file, side);
}

}  // namespace

TEST(PoText, CountsMessagesOnTheSourceAndTranslationsOnTheTarget) {
    struct Case {
        const char* szWhat;
        const char* szFile;
        const char* szSource;
        const char* szTarget;
        uint64_t nUntranslated;
    };
    const Case kCases[] = {
        {"header, comments, context and an obsolete entry are not text",
         "# translator\nmsgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n#. extracted\n#: a.c:1\n"
         "#, fuzzy, c-format\n#| msgid \"Opn\"\nmsgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Ouvrir\"\n\n"
         "#~ msgid \"Gone\"\n#~ msgstr \"Parti\"\n#~| msgid \"Went\"\n",
         "Open\r\n", "Ouvrir\r\n", 0},
        {"a plural's forms each a paragraph; an empty form counts nothing",
         "msgid \"a file\"\nmsgid_plural \"%d files\"\nmsgstr[0] \"un fichier\"\nmsgstr[1] \"\"\nmsgstr[2] \"des fichiers\"\n",
         "a file\r\n%d files\r\n", "un fichier\r\ndes fichiers\r\n", 0},
        {"continued strings joined, escapes decoded, \\n a line end inside the paragraph",
         "msgid \"\"\n  \"a\\tb\\n\"\n\"c\\\"d\\\\\" \t\n\"\\101\\x42\\x4a\\7|\\a\\b\\f\\v\\r\"\nmsgstr \"{0} %1$s\"\n",
         "a\tb\nc\"d\\ABJ\a|\a\b\f\v\r\r\n", "{0} %1$s\r\n", 0},
        {"untranslated entries, a plural among them, are noted once each",
         "msgid \"one\"\nmsgstr \"\"\n\nmsgid \"two\"\nmsgid_plural \"twos\"\nmsgstr[0] \"\"\nmsgstr[1] \"\"\n"
         "msgid \"three\"\nmsgstr \"trois\"\n",
         "one\r\ntwo\r\ntwos\r\nthree\r\n", "trois\r\n", 2},
        {"no header, CR LF, no last line end", "msgid \"x\"\r\nmsgstr \"y\"", "x\r\n", "y\r\n", 0},
        {"a fuzzy translation counts as written", "#, fuzzy\nmsgid \"Price\"\nmsgstr \"Prix\"\n", "Price\r\n", "Prix\r\n", 0},
        {"a header alone, and an empty file", "msgid \"\"\nmsgstr \"Language: fr\\n\"\n", "", "", 0},
        {"an empty file", "", "", "", 0},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.szSource, Shown(Po(c.szFile))) << c.szWhat << ", source side";
        Reading target = Po(c.szFile, kTarget);
        EXPECT_EQ(c.szTarget, Shown(target)) << c.szWhat << ", target side";
        EXPECT_EQ(c.nUntranslated, target.nUntranslated) << c.szWhat << ": untranslated on the target side";
    }
}

TEST(PoText, ReadsTheCharsetTheHeaderNames) {
    const std::string kHeaderStart = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=";
    const std::string kHeaderEnd = "\\n\"\n\nmsgid \"caf\xE9\"\nmsgstr \"\"\n";
    struct Case {
        const char* szWhat;
        std::string file;
        const char* szSource;
    };
    const Case kCases[] = {
        {"ISO-8859-1, which the web reads as Windows-1252", kHeaderStart + "ISO-8859-1" + kHeaderEnd, "caf\xC3\xA9\r\n"},
        {"KOI8-R, by the system's converter", kHeaderStart + "koi8-r" + "\\n\"\n\nmsgid \"\xC1\xC2\"\nmsgstr \"\"\n",
         "\xD0\xB0\xD0\xB1\r\n"},
        {"a template's CHARSET on bytes that are not UTF-8: Windows-1252", kHeaderStart + "CHARSET" + kHeaderEnd,
         "caf\xC3\xA9\r\n"},
        {"a template's CHARSET on UTF-8", kHeaderStart + "CHARSET\\n\"\n\nmsgid \"caf\xC3\xA9\"\nmsgstr \"\"\n",
         "caf\xC3\xA9\r\n"},
        {"an unknown label, not UTF-8", kHeaderStart + "x-no-such" + kHeaderEnd, "caf\xC3\xA9\r\n"},
        {"an escaped byte is of the file's charset", kHeaderStart + "windows-1252\\n\"\n\nmsgid \"caf\\351\"\nmsgstr \"\"\n",
         "caf\xC3\xA9\r\n"},
        {"UTF-8 after its byte-order mark", "\xEF\xBB\xBFmsgid \"\xC3\xA9\"\nmsgstr \"\"\n", "\xC3\xA9\r\n"},
        {"no header: UTF-8, a stray byte U+FFFD", "msgid \"caf\xE9\"\nmsgstr \"\"\n", "caf\xEF\xBF\xBD\r\n"},
    };
    for (const Case& c : kCases) EXPECT_EQ(c.szSource, Shown(Po(c.file))) << c.szWhat;
}

TEST(PoText, RefusesASyntaxErrorWithItsLine) {
    const std::string kBad = "!the file is damaged: it is not a well-formed PO file (line ";
    struct Case {
        const char* szFile;
        std::string refusal;
    };
    const Case kCases[] = {
        {"msgid \"a\nmsgstr \"\"\n", kBad + "1: a string without its closing quote at byte 9)"},
        {"msgid \"a\"\nmsgstr \"b\\q\"\n", kBad + "2: an unknown escape in a string at byte 20)"},
        {"# c\nmsgstr \"x\"\n", kBad + "2: msgstr without msgid at byte 12)"},
        {"msgid \"a\"\nmsgstr \"b\"\nhello\n", kBad + "3: a line that is neither a keyword, a string nor a comment at byte 21)"},
        {"\"x\"\n", kBad + "1: a string that follows no keyword at byte 1)"},
        {"msgid \"a\" b\nmsgstr \"\"\n", kBad + "1: text after a string at byte 11)"},
        {"msgid \"a\"\n\"b\"\n", kBad + "2: msgid without msgstr at the end at byte 14)"},
        {"msgid \"a\"\nmsgid \"b\"\nmsgstr \"\"\n", kBad + "2: a second msgid in one entry at byte 17)"},
        {"msgid \"a\"\nmsgstr \"\"\nmsgstr \"\"\n", kBad + "3: a second msgstr in one entry at byte 28)"},
        {"msgid \"a\"\nmsgstr\n", kBad + "2: a keyword without its string at byte 16)"},
        {"msgid \"a\"\nmsgstr \"\"\nmsgid_plural \"b\"\n", kBad + "3: msgid_plural out of place at byte 34)"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(c.refusal, Shown(Po(c.szFile))) << "source side of: " << c.szFile;
        EXPECT_EQ(c.refusal, Shown(Po(c.szFile, kTarget))) << "target side of: " << c.szFile;
    }
}
