// The packer as the build runs it: files in, a setup file out that the installer's rules accept.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "setup/pe_signature.h"
#include "setup/setup_layout.h"

namespace {

typedef std::vector<unsigned char> Bytes;

std::string Scratch(const std::string& name) { return std::string(TQ_SCRATCH_DIR) + "/" + name; }

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool ReadFile(const std::string& path, Bytes* pBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    pBytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Pack(const std::string& arguments) {
    std::string command = std::string(TQ_PACK_PATH) + " " + arguments + " 2>/dev/null";
    int nStatus = system(command.c_str());
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

}  // namespace

TEST(Packer, WritesFilesInTableOrderWithTheirTrailer) {
    std::vector<Bytes> files = {Bytes(5000, 0xAB), Bytes(), Bytes{'<', 'p', '>'}, Bytes(4097, 0x01), Bytes{'<', 'h'}};
    files[0][0] = 'M';
    files[0][1] = 'Z';
    const char* names[] = {"p.exe", "p.hlp", "p.htm", "p.gif", "g.htm"};
    std::string arguments = Scratch("Setup.exe");
    for (int i = 0; i < 5; ++i) {
        WriteFile(Scratch(names[i]), files[i]);
        arguments += " " + Scratch(names[i]);
    }
    ASSERT_EQ(0, Pack(arguments));

    Bytes image;
    ASSERT_TRUE(ReadFile(Scratch("Setup.exe"), &image));
    ASSERT_EQ(5000u + 3 + 4097 + 2 + 28, image.size());
    ExtractionPlan plan;
    ASSERT_TRUE(PlanExtraction(image.data() + image.size() - 28, 5, image.size(), &plan));
    ASSERT_EQ(4u, plan.nSteps) << "the empty help file has no bytes";
    EXPECT_EQ(0u, ReadField32(image.data() + image.size() - 28 + 4)) << "size of the empty file";
    EXPECT_EQ(2u, plan.steps[1].nRow);
    EXPECT_EQ(5000u, plan.steps[1].nOffset);
    EXPECT_EQ(AddToChecksum(0, image.data(), plan.nPayloadSize), plan.nChecksum);
    EXPECT_TRUE(SetupImageIntact(image.data(), image.size(), 5, nullptr)) << "the installer's check accepts it";
    const unsigned char setupType[4] = {0xF0, 0xF0, 0x0F, 0x0F};
    EXPECT_TRUE(std::equal(setupType, setupType + 4, image.end() - 4));
    EXPECT_EQ(files[3], Bytes(image.begin() + plan.steps[2].nOffset, image.begin() + plan.steps[3].nOffset));
    EXPECT_EQ(files[4], Bytes(image.begin() + plan.steps[3].nOffset, image.begin() + plan.nPayloadSize));
}

TEST(Packer, RefusesWrongArgumentsAndMissingFilesWithoutLeavingAFile) {
    remove(Scratch("Bad.exe").c_str());
    WriteFile(Scratch("a"), Bytes(10, 1));
    EXPECT_EQ(2, Pack(Scratch("Bad.exe") + " " + Scratch("a")));
    EXPECT_EQ(1, Pack(Scratch("Bad.exe") + " " + Scratch("a") + " " + Scratch("a") + " " + Scratch("a") + " " +
                      Scratch("a") + " " + Scratch("missing")));
    Bytes bytes;
    EXPECT_FALSE(ReadFile(Scratch("Bad.exe"), &bytes)) << "a failed pack leaves no setup file";
}

TEST(Packer, WritesTheProgramsSignatureFieldsAsZeroAndRefusesASignedProgram) {
    // A PE32 program's first bytes: "PE\0\0" at 0x80, 16 data directories, a PE checksum.
    Bytes program(2048, 0x5C);
    std::fill(program.begin(), program.begin() + 0x80 + 24 + 224, 0);
    program[0] = 'M';
    program[1] = 'Z';
    WriteField32(&program[0x3C], 0x80);
    memcpy(&program[0x80], "PE\0\0", 4);
    program[0x80 + 20] = 224;
    program[0x80 + 24] = 0x0B;
    program[0x80 + 25] = 0x01;
    WriteField32(&program[0x80 + 24 + 92], 16);
    WriteField32(&program[0x80 + 24 + 64], 0x00012345);
    PeSignatureFields fields;
    ASSERT_TRUE(ReadPeSignatureFields(program.data(), program.size(), &fields));
    ASSERT_EQ(0x80u + 24 + 64, fields.nChecksumOffset);

    std::string arguments = Scratch("Setup.exe") + " " + Scratch("p.exe");
    for (const char* szName : {"p.hlp", "p.htm", "p.gif", "g.htm"}) {
        WriteFile(Scratch(szName), Bytes(3, 'x'));
        arguments += " " + Scratch(szName);
    }
    WriteFile(Scratch("p.exe"), program);
    ASSERT_EQ(0, Pack(arguments));
    Bytes image;
    ASSERT_TRUE(ReadFile(Scratch("Setup.exe"), &image));
    Bytes expected = program;
    WriteField32(&expected[fields.nChecksumOffset], 0);
    EXPECT_TRUE(expected == Bytes(image.begin(), image.begin() + program.size())) << "only the PE checksum is cleared";
    ExtractionPlan plan;
    ASSERT_TRUE(SetupImageIntact(image.data(), image.size(), 5, &plan));
    EXPECT_EQ(AddToChecksum(0, image.data(), plan.nPayloadSize), plan.nChecksum) << "the plain sum of the payload";

    // A program that names a certificate table already.
    WriteField32(&program[fields.nSecurityOffset], 1024);
    WriteField32(&program[fields.nSecurityOffset + 4], 1024);
    WriteFile(Scratch("p.exe"), program);
    remove(Scratch("Setup.exe").c_str());
    EXPECT_EQ(1, Pack(arguments));
    EXPECT_FALSE(ReadFile(Scratch("Setup.exe"), &image)) << "a refused pack leaves no setup file";
}
