// The readers of translation files against files another program wrote (translate-toolkit's
// po2prop, po2resx, po2idml from tests/fixtures/translation/sample-text.po) and files written by
// hand, each beside the text expected of it, also written by hand.
#include <gtest/gtest.h>

#include <string>

#include "documents/android_strings_text.h"
#include "documents/apple_strings_text.h"
#include "documents/idml_text.h"
#include "documents/office_package.h"
#include "documents/po_text.h"
#include "documents/properties_text.h"
#include "documents/resx_text.h"
#include "tests/unit/translation_text_support.h"

using namespace translation_test;

namespace {

bool EndsWith(const std::string& name, const char* szEnd) {
    std::string end(szEnd);
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

// Reads a fixture with the reader its name's extension picks.
bool ReadFixture(const std::string& name, const std::string& file, DocumentText* pText) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(file.data());
    if (EndsWith(name, ".po")) return ReadPoText(p, file.size(), pText);
    if (EndsWith(name, ".properties")) return ReadPropertiesText(p, file.size(), pText);
    if (EndsWith(name, ".strings")) return ReadAppleStringsText(p, file.size(), pText);
    if (EndsWith(name, ".xml")) return ReadAndroidStringsText(file.data(), file.size(), pText);
    if (EndsWith(name, ".resx")) return ReadResxText(file.data(), file.size(), pText);
    OfficePackage package;
    return package.Open(p, file.size(), pText) && ReadIdmlText(&package, pText);
}

}  // namespace

TEST(TranslationTextFixtures, ReadAsWrittenByHand) {
    struct Fixture {
        const char* szName;
        bool bTarget;  // a .target.txt beside it
        uint64_t nUntranslated;
    };
    const Fixture kFixtures[] = {
        {"sample-text.po", true, 1},
        {"properties-translate-toolkit.properties", false, 0},
        {"strings-translate-toolkit.strings", false, 0},
        {"resx-translate-toolkit.resx", false, 0},
        {"android-hand.xml", false, 0},
        {"idml-translate-toolkit.idml", false, 0},
        {"idml-hand.idml", false, 0},
    };
    const std::string dir = TQ_TRANSLATION_FIXTURES_DIR;
    for (const Fixture& fixture : kFixtures) {
        std::string name = fixture.szName;
        std::string file = FileBytes(dir + name);
        ASSERT_FALSE(file.empty()) << "the fixture " << name;
        auto read = [&](const std::string& bytes, DocumentText* pText) { return ReadFixture(name, bytes, pText); };
        std::string source = FileBytes(dir + name + ".source.txt");
        ASSERT_FALSE(source.empty()) << "the expected source text of " << name;
        Reading reading = ReadWith(read, file, kSource);
        EXPECT_EQ(source, Shown(reading)) << name << ", source side";
        EXPECT_EQ(0u, reading.nUntranslated) << name << ": untranslated units noted on the source side";
        // A file of one language reads the same on the target side; a PO file its translations.
        std::string target = fixture.bTarget ? FileBytes(dir + name + ".target.txt") : source;
        reading = ReadWith(read, file, kTarget);
        EXPECT_EQ(target, Shown(reading)) << name << ", target side";
        EXPECT_EQ(fixture.nUntranslated, reading.nUntranslated) << name << ": untranslated units on the target side";
    }
}
