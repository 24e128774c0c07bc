// The packer as the build runs it: files in, a setup file out that the installer's rules accept.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
