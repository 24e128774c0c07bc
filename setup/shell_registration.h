// The installation's places in the shell and the system: the start-menu group with its shortcuts,
// the desktop shortcut, the Uninstall entry, the exe file types, and the system's Program Files
// folder that the install folder lies in. The install makes them and the uninstaller takes them away
// again, each step returning whether it was done (see registration.h).
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <windows.h>

// The start-menu group "<Programs>\TallyQuill", the all-users Programs folder where there is one;
// the Programs folder is made, the group is not. False when no Programs folder is known or the
// group's path does not fit.
bool GetStartMenuGroupFolder(char* szFolder, size_t cbFolder);
// The shortcut "<group>\<szName>.lnk", the group made first with bMakeGroup; false (and empty)
// when no Programs folder is known or the path does not fit.
bool GetStartMenuShortcutPath(const char* szName, bool bMakeGroup, char* szShortcut, size_t cbShortcut);
// The group goes only when it is empty.
void RemoveStartMenuGroup();
// "<Desktop>\TallyQuill.lnk", the all-users desktop where there is one; empty when it does not fit.
void GetDesktopShortcutPath(char* szPath, size_t cbPath);
// A shell link whose only setting is its target; false when it was not saved (an empty
// szShortcutPath makes nothing).
bool CreateShortcut(const char* szShortcutPath, const char* szTarget);
// Appends the 4-byte type to the file: each call makes it 4 bytes longer. False when the file
// could not be written (GetLastError tells why).
bool SetExeFileType(const char* szPath, uint32_t nType);

// The system's list of removable programs: the entry "Uninstall\TallyQuill" of the installation in
// szInstallPath, whose uninstaller is "uninst.exe" there; with its name, version, maker, web page,
// icon, folder and size, and neither Change nor Repair. False when any of it could not be written.
bool WriteUninstallEntry(const char* szInstallPath);
// True when the entry is gone: removed, or not there.
bool DeleteUninstallEntry();
// What the entry is called, and where it is, in the lists of what could not be made or removed.
extern const char kUninstallEntryWhat[];
extern const char kUninstallEntryWhere[];
