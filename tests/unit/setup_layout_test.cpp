#include "setup/setup_layout.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "setup/exe_type.h"
#include "setup/pe_signature.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// A setup file image: the payload files back to back, then the trailer.
Bytes PackImage(const std::vector<Bytes>& files) {
    Bytes image;
    std::vector<uint32_t> sizes;
    uint32_t nChecksum = 0;
    for (const Bytes& file : files) {
        image.insert(image.end(), file.begin(), file.end());
        nChecksum = AddToChecksum(nChecksum, file.data(), file.size());
        sizes.push_back(static_cast<uint32_t>(file.size()));
    }
    Bytes trailer(TrailerLength(static_cast<unsigned>(files.size())));
    WriteTrailer(trailer.data(), sizes.data(), static_cast<unsigned>(files.size()), nChecksum);
    image.insert(image.end(), trailer.begin(), trailer.end());
    return image;
}

// The installer's own check of a whole image.
bool Intact(const Bytes& image, unsigned nFiles, ExtractionPlan* pPlan = nullptr) {
    return SetupImageIntact(image.data(), image.size(), nFiles, pPlan);
}

// The same check fed as the installer reads a file: its first bytes and, when signed, the bytes
// before its signature, then the trailer, then the payload in pieces of nPiece bytes.
bool IntactReadInPieces(const Bytes& image, unsigned nFiles, size_t nPiece) {
    PeSignatureFields header;
    ReadPeSignatureFields(image.data(), std::min<size_t>(image.size(), kPeHeaderSearchLength), &header);
    uint64_t nOwnEnd = image.size();
    if (CertificateTableEndsFile(header, image.size()))
        nOwnEnd = EndBeforeCertificateTable(header, image.data() + header.nTableOffset - PaddingBytesToRead(header));
    SetupFileCheck check(nFiles, nOwnEnd, header);
    uint64_t nTrailer = 0;
    if (!check.TrailerOffset(&nTrailer) || !check.TakeTrailer(image.data() + nTrailer)) return check.Intact();
    for (size_t nAt = 0; check.PayloadLeft() > 0; nAt += nPiece)
        check.TakePayload(image.data() + nAt, std::min<size_t>(nPiece, check.PayloadLeft()));
    return check.Intact();
}

// A trailer of the given fields (sizes, then the checksum, then the setup type).
Bytes Trailer(const std::vector<uint32_t>& sizes, uint32_t nChecksum) {
    Bytes trailer(TrailerLength(static_cast<unsigned>(sizes.size())));
    WriteTrailer(trailer.data(), sizes.data(), static_cast<unsigned>(sizes.size()), nChecksum);
    return trailer;
}

Bytes RandomBytes(std::mt19937& random, size_t n) {
    Bytes bytes(n);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

// A program as the linker lays out its first bytes, random beyond them: "MZ", the offset of the PE
// signature at 0x3C, the file header, and a PE32 or PE32+ optional header with 16 data directories,
// every one empty.
const size_t kPeAt = 0x80;
const size_t kOptionalAt = kPeAt + 24;
const size_t kChecksumAt = kOptionalAt + 64;
size_t SecurityEntryAt(bool bPe32Plus) { return kOptionalAt + (bPe32Plus ? 112 : 96) + 4 * 8; }

Bytes Program(std::mt19937& random, size_t nSize, bool bPe32Plus) {
    Bytes program = RandomBytes(random, nSize);
    const size_t nOptionalLength = (bPe32Plus ? 112 : 96) + 16 * 8;
    std::fill(program.begin(), program.begin() + kOptionalAt + nOptionalLength, 0);
    program[0] = 'M';
    program[1] = 'Z';
    WriteField32(&program[0x3C], kPeAt);
    memcpy(&program[kPeAt], "PE\0\0", 4);
    program[kPeAt + 4 + 16] = static_cast<unsigned char>(nOptionalLength);
    program[kOptionalAt] = 0x0B;
    program[kOptionalAt + 1] = bPe32Plus ? 0x02 : 0x01;
    WriteField32(&program[kOptionalAt + (bPe32Plus ? 108 : 92)], 16);
    return program;
}

// A file signed as a signing tool signs it: zero bytes up to a multiple of 8, then a certificate
// table of nTable bytes, whose place the security directory entry takes, and a new PE checksum.
Bytes Signed(const Bytes& image, bool bPe32Plus, uint32_t nTable, uint32_t nPeChecksum, std::mt19937& random) {
    Bytes signedImage = image;
    signedImage.resize((image.size() + 7) / 8 * 8, 0);
    WriteField32(&signedImage[SecurityEntryAt(bPe32Plus)], static_cast<uint32_t>(signedImage.size()));
    WriteField32(&signedImage[SecurityEntryAt(bPe32Plus) + 4], nTable);
    WriteField32(&signedImage[kChecksumAt], nPeChecksum);
    Bytes table = RandomBytes(random, nTable);
    signedImage.insert(signedImage.end(), table.begin(), table.end());
    return signedImage;
}

bool SamePlan(const ExtractionPlan& a, const ExtractionPlan& b) {
    if (a.nSteps != b.nSteps || a.nPayloadSize != b.nPayloadSize || a.nChecksum != b.nChecksum) return false;
    for (unsigned i = 0; i < a.nSteps; ++i) {
        if (a.steps[i].nRow != b.steps[i].nRow || a.steps[i].nOffset != b.steps[i].nOffset ||
            a.steps[i].nSize != b.steps[i].nSize)
            return false;
    }
    return true;
}

}  // namespace

TEST(SetupLayout, TheProgramsTableAndItsLimit) {
    ASSERT_EQ(5u, CountInstallFiles(kInstallFiles));
    const char* names[] = {"tallyq.exe", "tallyq.hlp", "banner.htm", "banner.gif", "tallyq.htm"};
    for (unsigned i = 0; i < 5; ++i) {
        EXPECT_STREQ(names[i], kInstallFiles[i].szFileName);
        EXPECT_EQ(nullptr, kInstallFiles[i].szSubFolder);
    }
    EXPECT_EQ(24u, TrailerLength(4));

    // A longer table is used up to its 128th row; a row without a name ends it early.
    std::vector<InstallFileRow> rows(200, InstallFileRow{nullptr, "f"});
    rows.push_back(InstallFileRow{nullptr, nullptr});
    EXPECT_EQ(128u, CountInstallFiles(rows.data()));
    rows[7].szFileName = nullptr;
    EXPECT_EQ(7u, CountInstallFiles(rows.data()));

    // A trailer of 128 sizes describes the whole file.
    std::vector<Bytes> files(128, Bytes(1, 'x'));
    Bytes image = PackImage(files);
    ExtractionPlan plan;
    ASSERT_TRUE(Intact(image, 128, &plan));
    EXPECT_EQ(128u, plan.nSteps);
    EXPECT_EQ(127u, plan.steps[127].nOffset);
    EXPECT_FALSE(PlanExtraction(image.data(), 129, image.size(), &plan)) << "more rows than the table may hold";
}

TEST(SetupLayout, ChecksumAddsBytesAsUnsignedAndWraps) {
    const unsigned char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(0x126u, AddToChecksum(0, abc, 3));
    const unsigned char high[] = {0xFF, 0x80};
    EXPECT_EQ(0x17Fu, AddToChecksum(0, high, 2));
    EXPECT_EQ(0x17Eu, AddToChecksum(0xFFFFFFFFu, high, 2)) << "the total wraps";
    EXPECT_EQ(5u, AddToChecksum(5, abc, 0));
}

TEST(SetupLayout, TheWorkedExampleOffsets) {
    // 245668 bytes: four files, then 24 bytes of trailer at 245644.
    Bytes trailer = Trailer({0x2C000, 0x3BC7, 0xCE, 0xC2F7}, 0x01BC4E15);
    const unsigned char expected[24] = {0x00, 0xC0, 0x02, 0x00, 0xC7, 0x3B, 0x00, 0x00, 0xCE, 0x00, 0x00, 0x00,
                                        0xF7, 0xC2, 0x00, 0x00, 0x15, 0x4E, 0xBC, 0x01, 0xF0, 0xF0, 0x0F, 0x0F};
    EXPECT_EQ(0, memcmp(expected, trailer.data(), 24));

    ExtractionPlan plan;
    ASSERT_TRUE(PlanExtraction(trailer.data(), 4, 245668, &plan));
    EXPECT_EQ(245644u, plan.nPayloadSize);
    EXPECT_EQ(0x01BC4E15u, plan.nChecksum);
    ASSERT_EQ(4u, plan.nSteps);
    const uint32_t offsets[] = {0, 0x2C000, 0x2C000 + 0x3BC7, 0x2C000 + 0x3BC7 + 0xCE};
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(i, plan.steps[i].nRow);
        EXPECT_EQ(offsets[i], plan.steps[i].nOffset) << "file " << i + 1;
    }
    EXPECT_EQ(0x2C000u, plan.steps[1].nOffset);
}

TEST(SetupLayout, EmptyAndNegativeSizesMakeNoFileAndNoShift) {
    // Row 2 is empty and row 3 "negative": neither has a step, and row 4 follows row 1 directly.
    Bytes trailer = Trailer({10, 0, 0x80000000u, 7}, 0);
    ExtractionPlan plan;
    ASSERT_TRUE(PlanExtraction(trailer.data(), 4, 17 + 24, &plan));
    ASSERT_EQ(2u, plan.nSteps);
    EXPECT_EQ(0u, plan.steps[0].nRow);
    EXPECT_EQ(3u, plan.steps[1].nRow);
    EXPECT_EQ(10u, plan.steps[1].nOffset);
    EXPECT_EQ(17u, plan.nPayloadSize);

    Bytes none = Trailer({0, 0, 0, 0}, 0);
    ASSERT_TRUE(PlanExtraction(none.data(), 4, 24, &plan));
    EXPECT_EQ(0u, plan.nSteps);
}

TEST(SetupLayout, PackedImagesParseBackToTheirFiles) {
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 50; ++nRound) {
        std::vector<Bytes> files;
        for (int i = 0; i < 4; ++i) files.push_back(RandomBytes(random, random() % 9000 * (random() % 4 != 0)));
        Bytes image = PackImage(files);
        ExtractionPlan plan;
        ASSERT_TRUE(Intact(image, 4, &plan));
        EXPECT_EQ(static_cast<uint32_t>(kExeTypeSetup), ReadField32(image.data() + image.size() - 4));

        unsigned nStep = 0;
        for (unsigned nRow = 0; nRow < 4; ++nRow) {
            if (files[nRow].empty()) continue;
            ASSERT_LT(nStep, plan.nSteps);
            const ExtractionStep& step = plan.steps[nStep++];
            EXPECT_EQ(nRow, step.nRow);
            EXPECT_EQ(files[nRow], Bytes(image.begin() + step.nOffset, image.begin() + step.nOffset + step.nSize));
        }
        EXPECT_EQ(nStep, plan.nSteps);
    }
}

TEST(SetupLayout, EveryDamagedImageIsRefused) {
    std::mt19937 random(11);
    Bytes image = PackImage({RandomBytes(random, 300), RandomBytes(random, 40), Bytes(), RandomBytes(random, 9)});
    ASSERT_TRUE(Intact(image, 4));

    // Any one byte changed, in a payload file, a size field or the checksum.
    for (size_t i = 0; i + 4 < image.size(); ++i) {
        Bytes damaged = image;
        damaged[i] ^= static_cast<unsigned char>(1 + random() % 255);
        EXPECT_FALSE(Intact(damaged, 4)) << "byte " << i << " changed";
        EXPECT_FALSE(IntactReadInPieces(damaged, 4, 64)) << "byte " << i << " changed, read in pieces";
    }
    // Cut anywhere, or with bytes added behind the trailer.
    for (size_t n = 0; n < image.size(); ++n) {
        Bytes cut(image.begin(), image.begin() + n);
        EXPECT_FALSE(Intact(cut, 4)) << "cut to " << n << " bytes";
        EXPECT_FALSE(IntactReadInPieces(cut, 4, 64)) << "cut to " << n << " bytes, read in pieces";
    }
    Bytes longer = image;
    longer.insert(longer.end() - 4, {0, 0, 0, 0});
    EXPECT_FALSE(Intact(longer, 4));
    EXPECT_FALSE(IntactReadInPieces(longer, 4, 64));

    ExtractionPlan plan;
    plan.nSteps = 99;
    // A file too short for its trailer.
    EXPECT_FALSE(PlanExtraction(image.data(), 4, 23, &plan));
    EXPECT_EQ(0u, plan.nSteps);
    // Sizes beyond the file, and sizes whose sum wraps 32 bits to the real payload length.
    Bytes beyond = Trailer({0x7FFFFFFF, 1, 1, 1}, 0);
    EXPECT_FALSE(PlanExtraction(beyond.data(), 4, 100, &plan));
    const uint32_t nPayload = 349;
    Bytes wrapping = Trailer({0x7FFFFFFF, 0x7FFFFFFF, 2 + nPayload, 0}, 0);
    EXPECT_FALSE(PlanExtraction(wrapping.data(), 4, nPayload + 24, &plan));
    EXPECT_EQ(0u, plan.nSteps);
    // A payload of more than 4 GB cannot be described with 32-bit offsets.
    std::vector<uint32_t> big(128, 0x7FFFFFFF);
    Bytes huge = Trailer(big, 0);
    EXPECT_FALSE(PlanExtraction(huge.data(), 128, 128ull * 0x7FFFFFFF + TrailerLength(128), &plan));
}

TEST(SetupLayout, TheCheckReadInPiecesAgreesWithTheWholeImage) {
    std::mt19937 random(13);
    Bytes image = PackImage({RandomBytes(random, 5000), RandomBytes(random, 3), Bytes(), RandomBytes(random, 4097)});
    ASSERT_TRUE(Intact(image, 4));
    for (size_t nPiece : {size_t{1}, size_t{3}, size_t{4096}, image.size()})
        EXPECT_TRUE(IntactReadInPieces(image, 4, nPiece)) << "pieces of " << nPiece << " bytes";

    const PeSignatureFields noHeader = {};
    SetupFileCheck check(4, image.size(), noHeader);
    uint64_t nTrailer = 0;
    ASSERT_TRUE(check.TrailerOffset(&nTrailer));
    EXPECT_EQ(image.size() - TrailerLength(4), nTrailer);
    EXPECT_EQ(0u, check.PayloadLeft()) << "nothing to sum before the trailer is taken";
    EXPECT_FALSE(check.Intact()) << "no trailer taken yet";
    ASSERT_TRUE(check.TakeTrailer(image.data() + nTrailer));
    EXPECT_EQ(nTrailer, check.PayloadLeft());
    check.TakePayload(image.data(), check.PayloadLeft() - 1);
    EXPECT_FALSE(check.Intact()) << "the last payload byte is still to be summed";
    EXPECT_EQ(1u, check.PayloadLeft());
    // A piece that runs on into the trailer: only the payload's last byte is taken from it.
    check.TakePayload(image.data() + nTrailer - 1, 1 + TrailerLength(4));
    EXPECT_EQ(0u, check.PayloadLeft());
    EXPECT_TRUE(check.Intact());
    EXPECT_EQ(4u - 1u, check.Plan().nSteps) << "the empty file has no step";

    // A file too short for its trailer has no place for one; a refused trailer leaves nothing to sum.
    SetupFileCheck tooShort(4, TrailerLength(4) - 1, noHeader);
    EXPECT_FALSE(tooShort.TrailerOffset(&nTrailer));
    EXPECT_FALSE(tooShort.Intact());
    Bytes refused = image;
    WriteField32(&refused[nTrailer], 0x7FFFFFF0u);
    SetupFileCheck wrongSizes(4, refused.size(), noHeader);
    EXPECT_FALSE(wrongSizes.TakeTrailer(refused.data() + nTrailer));
    EXPECT_EQ(0u, wrongSizes.PayloadLeft());
    EXPECT_FALSE(wrongSizes.Intact());
}

TEST(SignedSetupFile, IsIntactAndPlannedAsTheUnsignedOne) {
    std::mt19937 random(17);
    for (bool bPe32Plus : {false, true}) {
        // Every length of padding, 0 to 7 bytes, and tables of several sizes.
        for (unsigned nPadding = 0; nPadding < 8; ++nPadding) {
            SCOPED_TRACE((bPe32Plus ? "PE32+, " : "PE32, ") + std::to_string(nPadding) + " bytes of padding");
            Bytes program = Program(random, 3000, bPe32Plus);
            size_t nUnpadded = program.size() + 40 + 9 + TrailerLength(4);
            size_t nLast = 9 + (8 - (nUnpadded + nPadding) % 8) % 8;
            Bytes image = PackImage({program, RandomBytes(random, 40), Bytes(), RandomBytes(random, nLast)});
            ASSERT_EQ(nPadding, (8 - image.size() % 8) % 8);
            ExtractionPlan unsignedPlan, signedPlan;
            ASSERT_TRUE(Intact(image, 4, &unsignedPlan));
            EXPECT_EQ(2u, unsignedPlan.nZeroed) << "the header's checksum and security entry";

            Bytes signedImage = Signed(image, bPe32Plus, 8 * (100 + nPadding), 0x000B5A21 + nPadding, random);
            PeSignatureFields header;
            EXPECT_EQ(image.size(), ImageOwnEnd(signedImage.data(), signedImage.size(), &header));
            ASSERT_TRUE(header.bFound);
            EXPECT_EQ(kChecksumAt, header.nChecksumOffset);
            EXPECT_EQ(SecurityEntryAt(bPe32Plus), header.nSecurityOffset);
            EXPECT_EQ(static_cast<uint32_t>(kExeTypeSetup), ReadField32(&signedImage[image.size() - 4]));
            ASSERT_TRUE(Intact(signedImage, 4, &signedPlan));
            EXPECT_TRUE(IntactReadInPieces(signedImage, 4, 64));
            EXPECT_TRUE(SamePlan(unsignedPlan, signedPlan));

            // The program is written as it is in the unsigned file: the two fields zero again.
            Bytes installed(signedImage.begin(), signedImage.begin() + signedPlan.steps[0].nSize);
            ZeroPlannedFields(signedPlan, 0, installed.data(), installed.size());
            EXPECT_TRUE(installed == Bytes(image.begin(), image.begin() + unsignedPlan.steps[0].nSize));
            // The same in pieces that end inside the fields.
            installed.assign(signedImage.begin(), signedImage.begin() + signedPlan.steps[0].nSize);
            for (size_t nAt = 0; nAt < installed.size(); nAt += 7)
                ZeroPlannedFields(signedPlan, nAt, &installed[nAt], std::min<size_t>(7, installed.size() - nAt));
            EXPECT_TRUE(installed == Bytes(image.begin(), image.begin() + unsignedPlan.steps[0].nSize));
        }
    }
}

TEST(SignedSetupFile, ASecurityDirectoryThatDoesNotEndTheFileIsNotTaken) {
    std::mt19937 random(19);
    Bytes image = PackImage({Program(random, 2000, false), RandomBytes(random, 30), Bytes(), RandomBytes(random, 5)});
    Bytes signedImage = Signed(image, false, 800, 0x1234, random);
    const size_t nEntry = SecurityEntryAt(false);
    const uint32_t nTableAt = ReadField32(&signedImage[nEntry]);
    struct Entry {
        const char* szWhat;
        uint32_t nOffset, nSize;
    } entries[] = {
        {"a table that stops short of the end", nTableAt, 799},
        {"a table that runs past the end", nTableAt, 801},
        {"a table of no bytes at the end", static_cast<uint32_t>(signedImage.size()), 0},
        {"a table that starts inside the header", 0x100, static_cast<uint32_t>(signedImage.size() - 0x100)},
        {"a table beyond the file whose end wraps 32 bits to the file's end", 0xFFFFFF00u,
         static_cast<uint32_t>(0x100 + signedImage.size())},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.szWhat);
        Bytes changed = signedImage;
        WriteField32(&changed[nEntry], entry.nOffset);
        WriteField32(&changed[nEntry + 4], entry.nSize);
        PeSignatureFields header;
        EXPECT_EQ(changed.size(), ImageOwnEnd(changed.data(), changed.size(), &header));
        EXPECT_FALSE(Intact(changed, 4)) << "the trailer is looked for at the file's end";
    }
    // Bytes appended behind a signature: the table no longer ends the file.
    Bytes appended = signedImage;
    appended.insert(appended.end(), 8, 0);
    PeSignatureFields header;
    EXPECT_EQ(appended.size(), ImageOwnEnd(appended.data(), appended.size(), &header));
    EXPECT_FALSE(Intact(appended, 4));

    // A header that is cut short, or not quite a PE header, has no fields at all.
    for (size_t n = 0; n < nEntry + 8; ++n)
        EXPECT_FALSE(ReadPeSignatureFields(signedImage.data(), n, &header)) << "cut to " << n << " bytes";
    EXPECT_TRUE(ReadPeSignatureFields(signedImage.data(), nEntry + 8, &header));
    struct Spoiled {
        const char* szWhat;
        size_t nAt;
        uint32_t nValue;
        unsigned nBytes;
    } spoiled[] = {
        {"no MZ", 0, 'M' | 'Y' << 8, 2},
        {"no PE signature", kPeAt + 2, 1, 1},
        {"a signature offset that wraps", 0x3C, 0xFFFFFFF0u, 4},
        {"a signature beyond the first page", 0x3C, kPeHeaderSearchLength - 8, 4},
        {"an optional header of another kind", kOptionalAt, 0x107, 2},
        {"four data directories", kOptionalAt + 92, 4, 4},
        {"an optional header too short for the fifth directory", kPeAt + 20, 96 + 5 * 8 - 1, 2},
    };
    for (const Spoiled& spoil : spoiled) {
        Bytes changed = signedImage;
        for (unsigned i = 0; i < spoil.nBytes; ++i) changed[spoil.nAt + i] = static_cast<unsigned char>(spoil.nValue >> 8 * i);
        EXPECT_FALSE(ReadPeSignatureFields(changed.data(), changed.size(), &header)) << spoil.szWhat;
        EXPECT_EQ(0u, header.nTableSize) << spoil.szWhat;
        EXPECT_EQ(changed.size(), ImageOwnEnd(changed.data(), changed.size(), &header)) << spoil.szWhat;
    }
}

TEST(SignedSetupFile, AChangedPayloadByteIsRefusedAndChangedSignatureFieldsAreNot) {
    std::mt19937 random(23);
    for (bool bPe32Plus : {false, true}) {
        SCOPED_TRACE(bPe32Plus ? "PE32+" : "PE32");
        Bytes image = PackImage({Program(random, 700, bPe32Plus), RandomBytes(random, 30), RandomBytes(random, 5),
                                 RandomBytes(random, 3)});
        Bytes signedImage = Signed(image, bPe32Plus, 64, 0xABCD, random);
        ASSERT_EQ(image.size() + 6 + 64, signedImage.size()) << "six bytes of padding";
        ASSERT_TRUE(Intact(signedImage, 4));
        const size_t nChecksum = kChecksumAt, nEntry = SecurityEntryAt(bPe32Plus);
        // Every byte before the table, the padding too, save the two fields and the exe file type
        // (which start-up reads, not this check).
        for (size_t i = 0; i < signedImage.size() - 64; ++i) {
            if ((i >= nChecksum && i < nChecksum + 4) || (i >= nEntry && i < nEntry + 8) ||
                (i >= image.size() - 4 && i < image.size()))
                continue;
            Bytes damaged = signedImage;
            damaged[i] ^= static_cast<unsigned char>(1 + random() % 255);
            EXPECT_FALSE(Intact(damaged, 4)) << "byte " << i << " changed";
            EXPECT_FALSE(IntactReadInPieces(damaged, 4, 100)) << "byte " << i << " changed, read in pieces";
        }
        // Signed again with another checksum, or the checksum field of the unsigned file changed:
        // both still intact.
        for (uint32_t nPeChecksum : {0u, 1u, 0xFFFFFFFFu}) {
            WriteField32(&signedImage[nChecksum], nPeChecksum);
            EXPECT_TRUE(Intact(signedImage, 4)) << "PE checksum " << nPeChecksum << ", signed";
            EXPECT_TRUE(IntactReadInPieces(signedImage, 4, 100));
            Bytes changed = image;
            WriteField32(&changed[nChecksum], nPeChecksum);
            EXPECT_TRUE(Intact(changed, 4)) << "PE checksum " << nPeChecksum << ", unsigned";
        }
        // A security entry that names no table ending the file is no signature, and is not summed.
        Bytes changed = image;
        WriteField32(&changed[nEntry], 0x1000);
        WriteField32(&changed[nEntry + 4], 0x20);
        EXPECT_TRUE(Intact(changed, 4));
        EXPECT_TRUE(IntactReadInPieces(changed, 4, 100));
    }
}
