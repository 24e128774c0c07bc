#include "documents/crc32.h"
#include "documents/zip_archive.h"
#include "tests/unit/zip_writer.h"

#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// The entry's data, or the reason it could not be had.
std::string Read(ZipArchive& archive, const char* szName) {
    ZipEntry entry;
    if (!archive.Find(szName, strlen(szName), &entry)) return "<no entry>";
    std::string out(static_cast<size_t>(entry.cbUncompressed), '\0');
    if (!archive.Extract(entry, reinterpret_cast<unsigned char*>(&out[0]), out.size()))
        return std::string("<") + ZipErrorText(archive.Error()) + ">";
    return out;
}

std::string Opened(const std::string& zip) {
    ZipArchive archive;
    return archive.Open(Bytes(zip), zip.size()) ? "opened" : ZipErrorText(archive.Error());
}

TEST(ZipArchive, ReadsStoredDeflatedAndZip64EntriesByNameIgnoringCase) {
    std::string text(100000, 'x');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('a' + i % 26);
    for (bool bZip64 : {false, true}) {
        Member stored{"[Content_Types].xml", "<Types/>", false};
        Member deflated{"word/document.xml", text};
        Member empty{"word/empty.xml", "", true};
        stored.bZip64 = deflated.bZip64 = bZip64;
        std::string zip = WriteZip({stored, deflated, empty}, bZip64, "a comment");
        ZipArchive archive;
        ASSERT_TRUE(archive.Open(Bytes(zip), zip.size())) << ZipErrorText(archive.Error()) << ", ZIP64 " << bZip64;
        EXPECT_EQ(3u, archive.EntryCount());
        EXPECT_EQ("<Types/>", Read(archive, "[content_types].XML")) << "ZIP64 " << bZip64;
        EXPECT_TRUE(Read(archive, "word/document.xml") == text) << "ZIP64 " << bZip64;
        EXPECT_EQ("", Read(archive, "word/empty.xml"));
        EXPECT_EQ("<no entry>", Read(archive, "word/document.xm"));
    }
}

TEST(ZipArchive, RefusesWhatIsNotASoundArchiveWithItsReason) {
    std::string good = WriteZip({{"a.xml", "alpha"}, {"b.xml", "beta"}});
    Member encrypted{"a.xml", "alpha"}, bzip2{"a.xml", "alpha"};
    encrypted.nFlags = 1;
    bzip2.nMethod = 12;
    std::string directoryOutside = good;
    directoryOutside[directoryOutside.size() - 5] = 0x7F;  // the directory's offset, high byte
    std::string manyEntries = good;
    manyEntries[manyEntries.size() - 12] = 3, manyEntries[manyEntries.size() - 14] = 3;  // 3 entries claimed, 2 there
    struct Case {
        const char* szWhat;
        std::string zip;
        ZipError expected;
    } cases[] = {
        {"empty", "", ZipError::kNotZip},
        {"text", "PK no zip here at all, just a text that starts with PK", ZipError::kNotZip},
        {"cut before its end record", good.substr(0, good.size() - 4), ZipError::kNotZip},
        {"cut in its data", good.substr(0, 20) + good.substr(good.size() - 100), ZipError::kDamaged},
        {"directory past the file", directoryOutside, ZipError::kDamaged},
        {"more entries claimed than present", manyEntries, ZipError::kDamaged},
        {"two entries of one name", WriteZip({{"word/a.xml", "1"}, {"Word/A.xml", "2"}}), ZipError::kDuplicateName},
        {"encrypted", WriteZip({encrypted}), ZipError::kEncrypted},
        {"another method", WriteZip({bzip2}), ZipError::kUnknownMethod},
    };
    for (const Case& c : cases) {
        ZipArchive archive;
        EXPECT_FALSE(archive.Open(Bytes(c.zip), c.zip.size())) << c.szWhat;
        EXPECT_EQ(ZipErrorText(c.expected), std::string(ZipErrorText(archive.Error()))) << c.szWhat;
    }
    EXPECT_EQ("opened", Opened(good));
}

TEST(ZipArchive, Crc32IsZlibsInAnyPiecesAndAlignment) {
    const unsigned char* pCheck = reinterpret_cast<const unsigned char*>("123456789");
    EXPECT_EQ(0xCBF43926u, Crc32(0, pCheck, 9));
    EXPECT_EQ(0u, Crc32(0, pCheck, 0));
    EXPECT_EQ(0xCBF43926u, Crc32(Crc32(0, pCheck, 4), pCheck + 4, 5)) << "continued from a piece";
    std::vector<unsigned char> data(1000);
    uint32_t nSeed = 1;
    for (unsigned char& b : data) b = static_cast<unsigned char>((nSeed = nSeed * 1103515245u + 12345u) >> 24);
    for (size_t off = 0; off < 9; ++off) {
        for (size_t cb : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 600u, 991u}) {
            uint32_t nZlib = static_cast<uint32_t>(crc32(0, &data[off], static_cast<uInt>(cb)));
            EXPECT_EQ(nZlib, Crc32(0, &data[off], cb)) << "at " << off << ", " << cb << " bytes";
        }
    }
}

TEST(ZipArchive, BadDataAndChecksumsAreFoundWhenAnEntryIsRead) {
    Member wrongCrc{"a.xml", "some text to check"};
    wrongCrc.nCrcDelta = 1;
    std::string zip = WriteZip({wrongCrc});
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(Bytes(zip), zip.size()));
    EXPECT_EQ(std::string("<") + ZipErrorText(ZipError::kBadChecksum) + ">", Read(archive, "a.xml"));

    // Deflated data with bytes changed in the middle: broken or the wrong length, never a crash.
    std::string text(5000, 'q');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + (i * 31) % 26);
    std::string broken = WriteZip({{"b.xml", text}});
    for (size_t i = 40; i < 60; ++i) broken[i] = static_cast<char>(0xFF);
    ASSERT_TRUE(archive.Open(Bytes(broken), broken.size()));
    std::string read = Read(archive, "b.xml");
    EXPECT_TRUE(read == "<" + std::string(ZipErrorText(ZipError::kBadData)) + ">" ||
                read == "<" + std::string(ZipErrorText(ZipError::kBadChecksum)) + ">")
        << read.substr(0, 80);
}

TEST(ZipArchive, ABombIsRefusedBeforeItIsInflatedAndReReadsCount) {
    // 20 MB of zeros deflate to about 20 KB: more than 200 times the file.
    std::string bomb = WriteZip({{"word/document.xml", std::string(20u << 20, '\0')}});
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(Bytes(bomb), bomb.size()));
    ZipEntry entry;
    ASSERT_TRUE(archive.Find("word/document.xml", 17, &entry));
    unsigned char dummy = 0;
    EXPECT_FALSE(archive.Extract(entry, &dummy, 1)) << "a size other than the directory's";
    EXPECT_FALSE(archive.MayInflate(entry.cbUncompressed));
    EXPECT_EQ(ZipErrorText(ZipError::kTooLarge), std::string(ZipErrorText(archive.Error())));

    // Within the ratio once, but read again and again it passes it.
    std::string part(1000, 'a');
    std::string zip = WriteZip({{"p.xml", part, false}});  // stored: the file is a little larger than the part
    ASSERT_TRUE(archive.Open(Bytes(zip), zip.size()));
    int nReads = 0;
    while (nReads < 1000 && Read(archive, "p.xml") == part) ++nReads;
    EXPECT_EQ(static_cast<int>(200 * zip.size() / part.size()), nReads)
        << "the budget is 200 times the file's size (" << zip.size() << " bytes), re-reads included";
}

TEST(ZipArchive, EachDirectoryRecordOfAFullArchiveIsReadOnceForEveryLookup) {
    std::vector<Member> members;
    for (size_t i = 0; i < kZipMaxEntries; ++i)
        members.push_back({"ppt/slides/slide" + std::to_string(i + 1) + ".xml", std::to_string(i), false});
    std::string zip = WriteZip(members);
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(Bytes(zip), zip.size())) << ZipErrorText(archive.Error());
    ASSERT_EQ(kZipMaxEntries, archive.EntryCount());
    EXPECT_EQ(kZipMaxEntries, archive.CentralHeadersRead()) << "records read to open the archive";
    size_t nWrong = 0;
    std::string firstWrong;
    for (size_t i = 0; i < kZipMaxEntries; ++i) {
        std::string upper = members[i].name;
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        ZipEntry byIndex = {}, byName = {};
        bool bIndexed = archive.GetEntry(i, &byIndex), bFound = archive.Find(upper.data(), upper.size(), &byName);
        std::string indexedName = bIndexed ? std::string(byIndex.pName, byIndex.cbName) : "<none>";
        if (bIndexed && bFound && indexedName == members[i].name && byName.offLocalHeader == byIndex.offLocalHeader)
            continue;
        if (nWrong++ == 0)
            firstWrong = upper + ": by name " + (bFound ? "found" : "not found") + ", entry " + std::to_string(i) +
                         " by its place is " + indexedName;
    }
    EXPECT_EQ(0u, nWrong) << "entries not found as they are, the first " << firstWrong;
    EXPECT_EQ(kZipMaxEntries, archive.CentralHeadersRead())
        << "records read once every entry was looked up by its place and by its name";
}

}  // namespace
