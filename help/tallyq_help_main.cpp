// tallyq-help: builds the program's WinHelp file, and the same guide as an HTML page for systems
// without the WinHelp viewer, from one plain-text source.
//
//   tallyq-help SOURCE.txt OUTPUT.hlp [OUTPUT.htm]
//
// Exit code 0 when the files were written; 1, with a message on stderr, when the source is bad or
// an output cannot be written; 2 for wrong arguments. Each output is written under a temporary
// name and renamed at the end, so a failed run never leaves a partial file to be packed.
#include <stdio.h>

#include <string>

#include "help/help_source.h"
#include "help/hlp_writer.h"
#include "help/htm_writer.h"
#include "tallyq_version.h"

namespace {

const char kFileTitle[] = "TallyQuill Help";

// Puts the program's version wherever the source says "{version}".
void PutVersion(std::string* pText) {
    const std::string mark = "{version}", version = TQ_VERSION_TEXT;
    for (size_t i = pText->find(mark); i != std::string::npos; i = pText->find(mark, i + version.size()))
        pText->replace(i, mark.size(), version);
}

bool ReadWholeFile(const char* szPath, std::string* pText) {
    FILE* pFile = fopen(szPath, "rb");
    if (pFile == nullptr) return false;
    char buffer[65536];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0) pText->append(buffer, nRead);
    bool bFailed = ferror(pFile) != 0;
    fclose(pFile);
    return !bFailed;
}

template <typename Bytes>
bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::string temporary = path + ".tmp";
    FILE* pFile = fopen(temporary.c_str(), "wb");
    if (pFile == nullptr) return false;
    bool bWritten = fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    bWritten = (fclose(pFile) == 0) && bWritten;
    if (bWritten && rename(temporary.c_str(), path.c_str()) == 0) return true;
    remove(temporary.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: tallyq-help SOURCE.txt OUTPUT.hlp [OUTPUT.htm]\n");
        return 2;
    }
    const char* szSource = argv[1];
    const char* szOutput = argv[2];

    std::string text;
    if (!ReadWholeFile(szSource, &text)) {
        fprintf(stderr, "tallyq-help: cannot read %s\n", szSource);
        return 1;
    }
    PutVersion(&text);
    HelpSource source;
    std::string error;
    if (!ParseHelpSource(text, &source, &error)) {
        fprintf(stderr, "tallyq-help: %s: %s\n", szSource, error.c_str());
        return 1;
    }
    HlpBytes file;
    if (!BuildHelpFile(source, kFileTitle, &file, &error)) {
        fprintf(stderr, "tallyq-help: %s: %s\n", szSource, error.c_str());
        return 1;
    }
    if (!WriteWholeFile(szOutput, file)) {
        fprintf(stderr, "tallyq-help: cannot write %s\n", szOutput);
        return 1;
    }
    if (argc == 4 && !WriteWholeFile(argv[3], BuildHelpPage(source, kFileTitle))) {
        fprintf(stderr, "tallyq-help: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
