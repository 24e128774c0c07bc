// A folder that only administrators may change, for an install folder that does not lie below
// Program Files (whose protection a new folder there inherits). In the root of a drive any user may
// make folders, and what a folder inherits there lets its maker change it: a program that every
// user starts at logon must not be kept in such a folder.
#pragma once

enum FolderProtection {
    kFolderMadeProtected,      // made now, with the protected descriptor
    kFolderProtected,          // there already, and only administrators may change it
    kFolderOthersMayChange,    // there already, and others may change it (or who may could not be read)
    kFolderNotMade,            // not there, and it could not be made
};

// Makes szFolder with a descriptor of its own: Administrators and SYSTEM have full control, Users
// may read and run, all of it passed down to files and sub-folders, and nothing is inherited from
// the folder above. An existing folder is left as it is and judged.
FolderProtection MakeProtectedFolder(const char* szFolder);

// Whether anyone but Administrators, SYSTEM and TrustedInstaller may change the folder or file, as
// its descriptor says (OthersMayChange); also true when the descriptor cannot be read.
bool OthersMayChangePath(const char* szPath);

// The same judging of a descriptor in memory (SECURITY_DESCRIPTOR, absolute or self-relative).
bool OthersMayChangeDescriptor(void* pDescriptor);
