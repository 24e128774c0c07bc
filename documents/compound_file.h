// The directory of a Compound File (the container of the old binary Office files, and of the
// encrypted package a password-protected Office file is saved in): which streams it holds, so that
// the file is refused for what it is. Only the directory is read; every sector number and chain is
// checked against the file's size, and a chain may not visit more sectors than the file has.
#pragma once
#include <stddef.h>

enum class CompoundKind {
    kNotCompound,  // no Compound File, or one too damaged to read its directory
    kProtected,    // EncryptionInfo or EncryptedPackage: an Office file saved with a password
    kOldWord,      // WordDocument
    kOldExcel,     // Workbook or Book
    kOldPowerPoint,  // PowerPoint Document
    kOther,        // a Compound File of another program
};

CompoundKind CompoundKindOf(const unsigned char* pData, size_t cbData);
