// The setup file signed as a publisher signs it (a certificate table appended, the PE header's
// checksum and security directory written; tests/wine/sign_setup_file.sh makes the copy before this
// test runs): it installs exactly what the unsigned file installs, and a signed copy with one
// payload byte changed is refused after the terms page and changes nothing.
#include <windows.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "setup/pe_signature.h"
#include "setup/setup_layout.h"
#include "tests/wine/installation.h"
#include "tests/wine/wine_test_support.h"

namespace {

// Where the signing step leaves the signed copy; the damaged copy goes beside it. Both keep the
// setup file's name, so that a copy whose exe file type is misread is refused at start.
std::string SignedFolder() { return ScratchFolder() + "signed\\"; }
std::string SignedSetupPath() { return SignedFolder() + "TallyQuillSetup.exe"; }
std::string DamagedSetupPath() {
    CreateDirectoryA((SignedFolder() + "damaged").c_str(), nullptr);
    return SignedFolder() + "damaged\\TallyQuillSetup.exe";
}

// One installation from the unsigned file and one from the signed file, made once for the suite;
// the second stays for the damaged copy to run over. notReady says what kept them from being made.
class SignedSetupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RemoveInstallation();
        if (!ReadBytes(SetupFilePath(), &unsignedFile) || !ReadBytes(SignedSetupPath(), &signedFile)) {
            notReady = "no setup file, or no signed copy of it (the signing step runs before this test)";
            return;
        }
        bInstalledUnsigned = InstallWith(SetupFilePath());
        EndRunningCopies();
        fromUnsigned = CurrentInstallation();
        RemoveInstallation();
        bInstalledSigned = InstallWith(SignedSetupPath());
        EndRunningCopies();
        fromSigned = CurrentInstallation();
    }
    static void TearDownTestSuite() { RemoveInstallation(); }
    void SetUp() override { ASSERT_EQ("", notReady); }

    static std::string notReady;
    static Bytes unsignedFile, signedFile;
    static bool bInstalledUnsigned, bInstalledSigned;
    static InstallationState fromUnsigned, fromSigned;
};

std::string SignedSetupTest::notReady;
Bytes SignedSetupTest::unsignedFile;
Bytes SignedSetupTest::signedFile;
bool SignedSetupTest::bInstalledUnsigned = false;
bool SignedSetupTest::bInstalledSigned = false;
InstallationState SignedSetupTest::fromUnsigned;
InstallationState SignedSetupTest::fromSigned;

}  // namespace

TEST_F(SignedSetupTest, InstallsWhatTheUnsignedFileInstalls) {
    printf("[ figure ] setup file %zu bytes unsigned, %zu bytes signed\n", unsignedFile.size(), signedFile.size());
    // The copy is signed: a certificate table ends it, and its own bytes are the unsigned file's but
    // for the two header fields that signing wrote.
    PeSignatureFields header;
    ASSERT_EQ(unsignedFile.size(), ImageOwnEnd(signedFile.data(), signedFile.size(), &header));
    ASSERT_TRUE(CertificateTableEndsFile(header, signedFile.size()));
    Bytes ownBytes(signedFile.begin(), signedFile.begin() + unsignedFile.size());
    EXPECT_NE(0u, ReadField32(&ownBytes[header.nChecksumOffset])) << "signing wrote a PE checksum";
    WriteField32(&ownBytes[header.nChecksumOffset], 0);
    WriteField32(&ownBytes[header.nSecurityOffset], 0);
    WriteField32(&ownBytes[header.nSecurityOffset + 4], 0);
    EXPECT_TRUE(ownBytes == unsignedFile) << "signing changed more than the two fields";

    ASSERT_TRUE(bInstalledUnsigned) << "the unsigned setup file installs";
    ASSERT_TRUE(bInstalledSigned) << "the signed setup file installs";
    EXPECT_EQ(CountInstallFiles(kInstallFiles) + 1, fromSigned.files.size()) << "the payload and uninst.exe";
    EXPECT_EQ("", Differences(fromUnsigned, fromSigned)) << "files, shortcuts and entry as from the unsigned file";
}

TEST_F(SignedSetupTest, ASignedCopyWithAPayloadByteChangedIsRefusedAndChangesNothing) {
    ASSERT_TRUE(bInstalledSigned);
    ExtractionPlan plan;
    ASSERT_TRUE(SetupImageIntact(signedFile.data(), signedFile.size(), CountInstallFiles(kInstallFiles), &plan));
    Bytes damaged = signedFile;
    size_t nChanged = ResourceMiddle(signedFile);
    ASSERT_GT(nChanged, 0u);
    ASSERT_LT(nChanged, plan.steps[0].nSize) << "a byte of the program";
    damaged[nChanged] ^= 0x20;
    ASSERT_TRUE(WriteBytes(DamagedSetupPath(), damaged));
    InstallationState before = CurrentInstallation();

    SetupRun setup;
    ASSERT_TRUE(setup.Start("", DamagedSetupPath()));
    // Refused before anything changes: no terms page, no progress window.
    HWND hwndBox = WaitForShownDialog("Install Error");
    ASSERT_NE(nullptr, hwndBox) << setup.ProcessState();
    EXPECT_EQ(0u, MessageBoxText(hwndBox).find("Installation file corrupt.")) << MessageBoxText(hwndBox);
    PostMessageA(hwndBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, setup.WaitForExit());
    EXPECT_EQ("", Differences(before, CurrentInstallation())) << "nothing was changed";
    EXPECT_EQ(nullptr, FindMainDialog()) << "nothing was started";
}
