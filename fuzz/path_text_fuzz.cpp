// Path strings of any lengths: every operation stays inside its 260-byte buffers and keeps its
// promises about what it cuts.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "support/path_text.h"

namespace {

// A buffer of exactly the size the callers give, so that any write beyond it is caught.
char* PathBuffer() { return static_cast<char*>(malloc(kPathBufferSize)); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string input(reinterpret_cast<const char*>(pData), nSize);
    size_t nSplit = nSize > 0 ? pData[0] * nSize / 256 : 0;
    std::string folder = input.substr(0, nSplit), name = input.substr(nSplit);
    folder = folder.substr(0, folder.find('\0'));
    name = name.substr(0, name.find('\0'));

    // Joining: a folder buffer holds at most 259 characters to begin with.
    char* szJoined = PathBuffer();
    std::string start = folder.substr(0, kPathBufferSize - 1);
    memcpy(szJoined, start.c_str(), start.size() + 1);
    bool bFits = LFile::_PathCatFits(szJoined, name.c_str());
    LFile::FilePathCat(szJoined, name.c_str());
    size_t nJoined = strlen(szJoined);
    Check(nJoined <= kPathBufferSize - 1);
    Check(strncmp(szJoined, start.c_str(), start.size()) == 0);
    if (bFits) Check(nJoined >= name.size() && strcmp(szJoined + nJoined - name.size(), name.c_str()) == 0);

    // Splitting a source of any length.
    char* szFolder = PathBuffer();
    char* szFile = PathBuffer();
    char* szTitle = PathBuffer();
    LFile::_GetFolderFromPath(szFolder, input.substr(0, input.find('\0')).c_str());
    LFile::_GetFileFromPath(szFile, input.substr(0, input.find('\0')).c_str());
    LFile::_GetFileTitleFromPath(szTitle, input.substr(0, input.find('\0')).c_str());
    Check(strlen(szFolder) < kPathBufferSize && strlen(szFile) < kPathBufferSize);
    Check(strlen(szTitle) <= strlen(szFile) && strncmp(szTitle, szFile, strlen(szTitle)) == 0);
    Check(strchr(szFile, '\\') == nullptr && strchr(szFile, '/') == nullptr);
    free(szJoined);
    free(szFolder);
    free(szFile);
    free(szTitle);
    return 0;
}
