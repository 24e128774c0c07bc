// The program's own file as start-up and the installer read it: where its own bytes end, which is
// its end unless it has been code-signed (pe_signature.h), and the exe file type in its last four.
#pragma once
#include <stdint.h>
#include <windows.h>

#include "setup/pe_signature.h"

// Reads exactly cbWanted bytes from the file's position; false on a short read.
bool ReadExactly(HANDLE hFile, void* pBuffer, DWORD cbWanted);
// Sets the file's position to nOffset from its start.
bool SeekTo(HANDLE hFile, uint64_t nOffset);
// Reads exactly cbWanted bytes at nOffset; the position is left after them.
bool ReadAt(HANDLE hFile, uint64_t nOffset, void* pBuffer, DWORD cbWanted);

// What a setup file's first bytes and its end say about it.
struct SetupFileExtent {
    PeSignatureFields header;  // the signature fields of its PE header; bFound false when it has none
    uint64_t nOwnEnd;          // where its own bytes end: its size, or less once it is signed
};

// Reads the extent of a file open for reading; false when it cannot be read. The file position is
// left anywhere.
bool ReadSetupFileExtent(HANDLE hFile, SetupFileExtent* pExtent);

// The exe file type: the last four of the program's own bytes; 0 when they cannot be read.
uint32_t ReadExeFileType(const char* szProgramPath);
