#include "support/path_text.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

std::string Cat(const std::string& folder, const char* szName) {
    char szPath[kPathBufferSize + 8];
    memset(szPath, '#', sizeof(szPath));
    strcpy(szPath, folder.c_str());
    LFile::FilePathCat(szPath, szName);
    EXPECT_EQ('#', szPath[kPathBufferSize]) << "wrote past the 260-byte buffer";
    return szPath;
}

std::string Folder(const std::string& path) {
    char szFolder[kPathBufferSize + 8];
    memset(szFolder, '#', sizeof(szFolder));
    EXPECT_EQ(szFolder, LFile::_GetFolderFromPath(szFolder, path.c_str()));
    EXPECT_EQ('#', szFolder[kPathBufferSize]) << "wrote past the 260-byte buffer";
    return szFolder;
}

std::string File(const std::string& path) {
    char szFile[kPathBufferSize + 8];
    memset(szFile, '#', sizeof(szFile));
    EXPECT_EQ(szFile, LFile::_GetFileFromPath(szFile, path.c_str()));
    EXPECT_EQ('#', szFile[kPathBufferSize]) << "wrote past the 260-byte buffer";
    return szFile;
}

std::string Title(const std::string& path) {
    char szTitle[kPathBufferSize];
    LFile::_GetFileTitleFromPath(szTitle, path.c_str());
    return szTitle;
}

TEST(PathText, FilePathCatJoinsWithOneSeparator) {
    EXPECT_EQ("C:\\Data\\banner.htm", Cat("C:\\Data", "banner.htm"));
    EXPECT_EQ("C:\\Data\\x", Cat("C:\\Data\\", "x"));
    EXPECT_EQ("C:/Data\\x", Cat("C:/Data", "x"));
    EXPECT_EQ("C:/Data/x", Cat("C:/Data/", "x"));
    EXPECT_EQ("banner.htm", Cat("", "banner.htm"));
    EXPECT_EQ("C:\\Data\\", Cat("C:\\Data", ""));
}

TEST(PathText, FilePathCatStaysWithin259Characters) {
    std::string folder258(258, 'f');
    EXPECT_EQ(folder258 + "\\", Cat(folder258, "name"));
    std::string folder259(259, 'f');
    EXPECT_EQ(folder259, Cat(folder259, "name"));
    std::string folder250(250, 'f');
    EXPECT_EQ(folder250 + "\\12345678", Cat(folder250, "1234567890"));
    EXPECT_EQ(259u, Cat(folder250, "1234567890").size());
}

TEST(PathText, FolderOfPath) {
    EXPECT_EQ("C:\\Programs\\Tool", Folder("C:\\Programs\\Tool\\tool.exe"));
    EXPECT_EQ("C:", Folder("C:\\tool.exe"));
    EXPECT_EQ("", Folder("tool.exe"));
    EXPECT_EQ("", Folder("\\tool.exe"));
    EXPECT_EQ("C:\\a/b", Folder("C:\\a/b\\c.txt"));
    EXPECT_EQ("C:\\dir", Folder("C:\\dir\\"));
    // Only the first 260 characters are looked at: a separator beyond them is not seen.
    std::string longPath = "C:\\" + std::string(300, 'p') + "\\x";
    EXPECT_EQ("C:", Folder(longPath));
    std::string edge = std::string(259, 'q') + "\\x";
    EXPECT_EQ(std::string(259, 'q'), Folder(edge));
}

TEST(PathText, FileOfPath) {
    EXPECT_EQ("b.txt", File("C:\\a/b.txt"));
    EXPECT_EQ("", File("C:\\dir\\"));
    EXPECT_EQ("tool.exe", File("tool.exe"));
    EXPECT_EQ("", File(""));
    std::string longName(400, 'n');
    EXPECT_EQ(std::string(259, 'n'), File("C:\\" + longName));
    EXPECT_EQ(std::string(259, 'n'), File(longName + "\\more"));
}

TEST(PathText, TitleOfPath) {
    EXPECT_EQ("setup", Title("C:\\x.y\\setup"));
    EXPECT_EQ("Setup", Title("D:\\dl\\Setup.exe"));
    EXPECT_EQ("a.tar", Title("a.tar.gz"));
    EXPECT_EQ("README", Title("README"));
    EXPECT_EQ(".profile", Title("C:\\home\\.profile"));
    EXPECT_EQ("", Title("C:\\dir\\"));
}

}  // namespace

TEST(PathText, PathCatFitsExactlyWhenNothingIsCut) {
    // Fits when FilePathCat keeps the whole name, and only then.
    std::string folder(250, 'f');
    for (size_t nName = 0; nName < 20; ++nName) {
        std::string name(nName, 'n');
        bool bFits = LFile::_PathCatFits(folder.c_str(), name.c_str());
        std::string joined = Cat(folder, name.c_str());
        EXPECT_EQ(joined == folder + "\\" + name, bFits) << nName;
    }
    EXPECT_TRUE(LFile::_PathCatFits((std::string(257, 'f') + "\\").c_str(), "x")) << "no second separator";
    EXPECT_FALSE(LFile::_PathCatFits(std::string(258, 'f').c_str(), "x"));
    EXPECT_TRUE(LFile::_PathCatFits("", std::string(259, 'n').c_str()));
    EXPECT_FALSE(LFile::_PathCatFits("", std::string(260, 'n').c_str()));
}
