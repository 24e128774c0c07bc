// Where an installation's files go: the install folder below Program Files (or its fall-back
// "C:\TallyQuill"), the installed program, and each payload file's place in the folder. Working a
// place out makes nothing; making the folder is a step of its own.
#pragma once
#include <stddef.h>

#include "setup/folder_protection.h"

struct InstallFileRow;

// The program's registry section that names the install folder, as "ProgramFiles" and "DataFiles".
extern const char kFoldersSection[];

// The install folder: "<ProgramFilesDir>\Kestrilon\TallyQuill", else "C:\TallyQuill"; false when
// ProgramFilesDir is missing or too long and the fall-back is used (*pbFallBack tells which).
void InstallFolderPath(char* szPath, size_t cbPath, bool* pbFallBack);

// Whether the install folder would be one that others than administrators may change: the
// fall-back folder is there already and its protection lets them. Nothing is made or changed.
bool InstallFolderOthersMayChange(const char* szFolder, bool bFallBack);

// Makes the install folder: below Program Files with the protection it inherits there (and the
// folders above it), the fall-back with a protection of its own. An existing folder is kept as it
// is and judged.
FolderProtection MakeInstallFolder(const char* szFolder, bool bFallBack);

// The installed program "<install folder>\tallyq.exe"; false when it does not fit.
bool InstalledProgramPath(char* szPath, size_t cbPath);

// Where a payload file of the table goes in the install folder; false when the path does not fit.
bool GetDestinationPath(char* szPath, size_t cbPath, const char* szInstallPath, const InstallFileRow& row);
