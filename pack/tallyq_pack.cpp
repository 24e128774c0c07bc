// tallyq-pack: writes a setup file from the built program and the other payload files, given in the
// order of the program's install file table. The files are copied back to back, then the trailer
// follows: their sizes, the checksum of every byte and the setup file's exe file type.
// The program's PE checksum and security directory entry are written as zero: code signing the
// setup file writes them, and the installer takes them as zero. A program that is signed already
// is refused: its header is the setup file's header, which the setup file's own signature takes.
//
//   tallyq-pack OUTPUT tallyq.exe tallyq.hlp banner.htm banner.gif
#include <stdio.h>
#include <string.h>

#include "setup/pe_signature.h"
#include "setup/setup_layout.h"

namespace {

// The program's PE header, in its first bytes (nRead of them): the fields that signing writes are
// set to zero. False when the program names a certificate table already.
bool ClearSignatureFields(const char* szPath, unsigned char* pBytes, size_t nRead) {
    PeSignatureFields fields;
    if (!ReadPeSignatureFields(pBytes, nRead, &fields)) return true;
    if (fields.nTableOffset != 0 || fields.nTableSize != 0) {
        fprintf(stderr, "tallyq-pack: %s is signed already; sign the setup file instead\n", szPath);
        return false;
    }
    memset(pBytes + fields.nChecksumOffset, 0, kPeChecksumLength);
    memset(pBytes + fields.nSecurityOffset, 0, kPeSecurityEntryLength);
    return true;
}

// Appends one file to the output; returns its size, or -1 when it cannot be read, is too large for
// a 32-bit size field that the installer takes as positive, or is a program that cannot be packed.
long long AppendFile(FILE* pOut, const char* szPath, bool bProgram, uint32_t* pnChecksum) {
    FILE* pIn = fopen(szPath, "rb");
    if (pIn == nullptr) {
        fprintf(stderr, "tallyq-pack: cannot open %s\n", szPath);
        return -1;
    }
    unsigned char buffer[65536];
    static_assert(sizeof(buffer) >= kPeHeaderSearchLength, "the first piece read holds the PE header");
    long long nSize = 0;
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pIn)) > 0) {
        if (bProgram && nSize == 0 && !ClearSignatureFields(szPath, buffer, nRead)) {
            fclose(pIn);
            return -1;
        }
        *pnChecksum = AddToChecksum(*pnChecksum, buffer, nRead);
        if (fwrite(buffer, 1, nRead, pOut) != nRead) {
            fclose(pIn);
            fprintf(stderr, "tallyq-pack: cannot write the setup file\n");
            return -1;
        }
        nSize += static_cast<long long>(nRead);
        if (nSize >= 0x80000000ll) break;
    }
    bool bFailed = ferror(pIn) != 0;
    fclose(pIn);
    if (bFailed || nSize >= 0x80000000ll) {
        fprintf(stderr, "tallyq-pack: %s cannot be packed\n", szPath);
        return -1;
    }
    return nSize;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned nFiles = CountInstallFiles(kInstallFiles);
    if (argc != static_cast<int>(nFiles) + 2) {
        fprintf(stderr, "usage: tallyq-pack OUTPUT");
        for (unsigned i = 0; i < nFiles; ++i) fprintf(stderr, " %s", kInstallFiles[i].szFileName);
        fprintf(stderr, "\n");
        return 2;
    }
    const char* szOutput = argv[1];
    FILE* pOut = fopen(szOutput, "wb");
    if (pOut == nullptr) {
        fprintf(stderr, "tallyq-pack: cannot create %s\n", szOutput);
        return 1;
    }

    uint32_t sizes[kMaxInstallFiles];
    uint32_t nChecksum = 0;
    unsigned long long nPayload = 0;
    bool bOk = true;
    for (unsigned i = 0; i < nFiles && bOk; ++i) {
        long long nSize = AppendFile(pOut, argv[i + 2], i == 0, &nChecksum);
        bOk = nSize >= 0;
        sizes[i] = bOk ? static_cast<uint32_t>(nSize) : 0;
        nPayload += bOk ? static_cast<unsigned long long>(nSize) : 0;
    }
    if (bOk && nPayload > 0xFFFFFFFFull - TrailerLength(nFiles)) {
        fprintf(stderr, "tallyq-pack: the payload is too large for a setup file\n");
        bOk = false;
    }
    if (bOk) {
        unsigned char trailer[TrailerLength(kMaxInstallFiles)];
        WriteTrailer(trailer, sizes, nFiles, nChecksum);
        size_t nTrailer = static_cast<size_t>(TrailerLength(nFiles));
        bOk = fwrite(trailer, 1, nTrailer, pOut) == nTrailer;
    }
    if (fclose(pOut) != 0) bOk = false;
    if (!bOk) {
        remove(szOutput);
        return 1;
    }
    return 0;
}
