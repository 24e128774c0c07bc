#include "setup/setup_file.h"

#include "setup/setup_layout.h"
#include "support/owned_handle.h"

bool ReadExactly(HANDLE hFile, void* pBuffer, DWORD cbWanted) {
    DWORD cbRead = 0;
    return ReadFile(hFile, pBuffer, cbWanted, &cbRead, nullptr) && cbRead == cbWanted;
}

bool SeekTo(HANDLE hFile, uint64_t nOffset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(nOffset);
    return SetFilePointerEx(hFile, position, nullptr, FILE_BEGIN) != FALSE;
}

bool ReadAt(HANDLE hFile, uint64_t nOffset, void* pBuffer, DWORD cbWanted) {
    return SeekTo(hFile, nOffset) && ReadExactly(hFile, pBuffer, cbWanted);
}

bool ReadSetupFileExtent(HANDLE hFile, SetupFileExtent* pExtent) {
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(hFile, &fileSize) || fileSize.QuadPart < 0) return false;
    const uint64_t nFileSize = static_cast<uint64_t>(fileSize.QuadPart);
    unsigned char header[kPeHeaderSearchLength];
    DWORD cbHeader = nFileSize < sizeof(header) ? static_cast<DWORD>(nFileSize) : sizeof(header);
    if (!ReadAt(hFile, 0, header, cbHeader)) return false;
    ReadPeSignatureFields(header, cbHeader, &pExtent->header);
    pExtent->nOwnEnd = nFileSize;
    if (!CertificateTableEndsFile(pExtent->header, nFileSize)) return true;
    unsigned char padding[kMaxSignaturePadding];
    DWORD cbPadding = static_cast<DWORD>(PaddingBytesToRead(pExtent->header));
    if (!ReadAt(hFile, pExtent->header.nTableOffset - cbPadding, padding, cbPadding)) return false;
    pExtent->nOwnEnd = EndBeforeCertificateTable(pExtent->header, padding);
    return true;
}

uint32_t ReadExeFileType(const char* szProgramPath) {
    LOwnedHandle file(CreateFileA(szProgramPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    SetupFileExtent extent;
    unsigned char bytes[4];
    if (!file.IsOpen() || !ReadSetupFileExtent(file.Get(), &extent) || extent.nOwnEnd < sizeof(bytes) ||
        !ReadAt(file.Get(), extent.nOwnEnd - sizeof(bytes), bytes, sizeof(bytes)))
        return 0;
    return ReadField32(bytes);
}
