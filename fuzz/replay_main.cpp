// Runs a fuzz target over the files of its corpus, for builds without libFuzzer: the corpora become
// regression tests. Folders are read one level deep.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize);

namespace {

bool ReplayFile(const std::string& path) {
    FILE* pFile = fopen(path.c_str(), "rb");
    if (pFile == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0) bytes.insert(bytes.end(), buffer, buffer + nRead);
    fclose(pFile);
    // A copy of exactly the input's size, so that a read beyond it is caught by a sanitizer.
    std::vector<uint8_t> exact(bytes);
    LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int nInputs = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat info;
        if (stat(argv[i], &info) != 0) {
            fprintf(stderr, "replay: %s is missing\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(info.st_mode)) {
            nInputs += ReplayFile(argv[i]);
            continue;
        }
        DIR* pDir = opendir(argv[i]);
        while (dirent* pEntry = pDir != nullptr ? readdir(pDir) : nullptr) {
            if (pEntry->d_name[0] == '.') continue;
            nInputs += ReplayFile(std::string(argv[i]) + "/" + pEntry->d_name);
        }
        if (pDir != nullptr) closedir(pDir);
    }
    printf("replayed %d inputs\n", nInputs);
    return nInputs > 0 ? 0 : 1;
}
