// Making the installed program usable and removable: start-menu group, shortcuts and the Uninstall
// entry, made once every file of the installation (the uninstaller and the exe file types included)
// is complete, and the operations that the uninstaller uses to take them away again.
#include "setup/shell_registration.h"

#include <objidl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "setup/install_places.h"
#include "support/path_text.h"
#include "support/registry.h"
#include "setup/setup_layout.h"
#include "support/maker.h"
#include "support/stored_forms.h"
#include "support/winhelp_viewer.h"
#include "tallyq_version.h"

const char kUninstallEntryWhat[] = "The entry in the list of programs to remove";
const char kUninstallEntryWhere[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill";

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallSubKey[] = "Uninstall\\TallyQuill";

// The shell link's identifiers, spelled out here: the import library that defines them brings a
// few thousand other identifiers along into the program.
const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A folder of the Shell Folders key, which lists the user's and all users' special folders.
bool ReadShellFolder(HKEY hRoot, const char* szName, char* szFolder, size_t cbFolder) {
    return ReadSystemText(hRoot, kShellFoldersKey, szName, szFolder, cbFolder, kRegistryTextSize);
}

// A folder the system keeps (CSIDL_*), made when it is missing; szFolder is left as it was when
// the system cannot tell it.
bool KnownFolder(int nFolder, char* szFolder, size_t cbFolder) {
    char szKnown[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, nFolder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szKnown)) ||
        szKnown[0] == '\0' || strlen(szKnown) >= cbFolder)
        return false;
    memcpy(szFolder, szKnown, strlen(szKnown) + 1);
    return true;
}

// snprintf into a path buffer of cbPath bytes; a path that does not fit comes out empty, never cut
// short.
template <typename... Args>
bool FormatPath(char* szPath, size_t cbPath, const char* szFormat, Args... args) {
    int n = snprintf(szPath, cbPath, szFormat, args...);
    if (n > 0 && static_cast<size_t>(n) < cbPath) return true;
    szPath[0] = '\0';
    return false;
}

bool SetTextValue(HKEY hKey, const char* szName, const char* szText) {
    return RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szText),
                          static_cast<DWORD>(strlen(szText) + 1)) == ERROR_SUCCESS;
}

bool SetNumberValue(HKEY hKey, const char* szName, DWORD dwValue) {
    return RegSetValueExA(hKey, szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue)) ==
           ERROR_SUCCESS;
}

// Kilobytes with a part of one counted whole, as the list of programs shows sizes.
uint32_t KilobytesRoundedUp(uint64_t nBytes) {
    uint64_t nKilobytes = nBytes / 1024 + (nBytes % 1024 != 0 ? 1 : 0);
    return nKilobytes < 0xFFFFFFFFu ? static_cast<uint32_t>(nKilobytes) : 0xFFFFFFFFu;
}

// What the installation's files take as they are now; a missing one counts nothing.
uint64_t InstalledBytes(const char* szInstallPath) {
    uint64_t nBytes = 0;
    char szPath[kPathBufferSize];
    unsigned nFiles = CountInstallFiles(kInstallFiles);
    // The payload files, then the uninstaller made beside them.
    for (unsigned nRow = 0; nRow <= nFiles; ++nRow) {
        bool bFits = nRow < nFiles ? GetDestinationPath(szPath, sizeof(szPath), szInstallPath, kInstallFiles[nRow])
                                   : JoinPath(szPath, sizeof(szPath), szInstallPath, kUninstallerFileName);
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (bFits && GetFileAttributesExA(szPath, GetFileExInfoStandard, &file))
            nBytes += static_cast<uint64_t>(file.nFileSizeHigh) << 32 | file.nFileSizeLow;
    }
    return nBytes;
}

}  // namespace

bool WriteUninstallEntry(const char* szInstallPath) {
    HKEY hCurrentVersion = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                      &hCurrentVersion) != ERROR_SUCCESS)
        return false;
    HKEY hUninstall = nullptr;
    DWORD dwDisposition = 0;
    char szClass[] = "";
    bool bWritten = RegCreateKeyExA(hCurrentVersion, kUninstallSubKey, 0, szClass, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &hUninstall, &dwDisposition) == ERROR_SUCCESS;
    if (bWritten) {
        // Written at every install: the entry names the installation just made, also when an
        // earlier one went into another folder.
        bWritten = SetTextValue(hUninstall, "DisplayName", "TallyQuill Uninstall") &&
                   SetTextValue(hUninstall, "DisplayVersion", TQ_VERSION_TEXT) &&
                   SetTextValue(hUninstall, "Publisher", kMakerName) &&
                   SetTextValue(hUninstall, "URLInfoAbout", kMakerWebPage) &&
                   SetTextValue(hUninstall, "InstallLocation", szInstallPath);
        // Quoted: the system runs these command lines, and an unquoted path with blanks would first
        // try to start "C:\Program.exe". The icon is the program's first one.
        char szText[kPathBufferSize + 8];
        bWritten = bWritten && FormatPath(szText, sizeof(szText), "\"%s\\%s\"", szInstallPath, kUninstallerFileName) &&
                   SetTextValue(hUninstall, "UninstallString", szText) &&
                   FormatPath(szText, sizeof(szText), "\"%s\\%s\" /S", szInstallPath, kUninstallerFileName) &&
                   SetTextValue(hUninstall, "QuietUninstallString", szText) &&
                   FormatPath(szText, sizeof(szText), "\"%s\\%s\",0", szInstallPath, kProgramFileName) &&
                   SetTextValue(hUninstall, "DisplayIcon", szText) &&
                   SetNumberValue(hUninstall, "EstimatedSize", KilobytesRoundedUp(InstalledBytes(szInstallPath))) &&
                   // The program has no parts to add or remove and nothing to repair: the list offers neither.
                   SetNumberValue(hUninstall, "NoModify", 1) && SetNumberValue(hUninstall, "NoRepair", 1);
        RegCloseKey(hUninstall);
    }
    RegCloseKey(hCurrentVersion);
    return bWritten;
}

bool DeleteUninstallEntry() {
    HKEY hCurrentVersion = nullptr;
    LONG nResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_ALL_ACCESS, &hCurrentVersion);
    if (nResult == ERROR_SUCCESS) {
        nResult = RegDeleteKeyA(hCurrentVersion, kUninstallSubKey);
        RegCloseKey(hCurrentVersion);
    }
    if (nResult == ERROR_SUCCESS || nResult == ERROR_FILE_NOT_FOUND) return true;
    // Where the key above could not be opened for removing, the entry may not be there at all.
    HKEY hEntry = nullptr;
    char szEntry[sizeof(kCurrentVersionKey) + sizeof(kUninstallSubKey)];
    snprintf(szEntry, sizeof(szEntry), "%s\\%s", kCurrentVersionKey, kUninstallSubKey);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szEntry, 0, KEY_QUERY_VALUE, &hEntry) != ERROR_SUCCESS) return true;
    RegCloseKey(hEntry);
    return false;
}

bool GetStartMenuGroupFolder(char* szFolder, size_t cbFolder) {
    char szPrograms[kPathBufferSize] = "";
    szFolder[0] = '\0';
    // The all-users start menu, as the system knows it. The "Shell Folders" values are kept only
    // for old programs and filled when the shell gets round to it: they are the fall-back, where
    // the all-users one wins wherever it is defined.
    if (!KnownFolder(CSIDL_COMMON_PROGRAMS, szPrograms, sizeof(szPrograms))) {
        ReadShellFolder(HKEY_CURRENT_USER, "Programs", szPrograms, sizeof(szPrograms));
        ReadShellFolder(HKEY_LOCAL_MACHINE, "Common Programs", szPrograms, sizeof(szPrograms));
    }
    if (szPrograms[0] == '\0') return false;
    CreateDirectoryA(szPrograms, nullptr);
    return FormatPath(szFolder, cbFolder, "%s\\TallyQuill", szPrograms);
}

bool GetStartMenuShortcutPath(const char* szName, bool bMakeGroup, char* szShortcut, size_t cbShortcut) {
    char szGroup[kPathBufferSize];
    szShortcut[0] = '\0';
    if (!GetStartMenuGroupFolder(szGroup, sizeof(szGroup))) return false;
    if (bMakeGroup) CreateDirectoryA(szGroup, nullptr);
    return FormatPath(szShortcut, cbShortcut, "%s\\%s.lnk", szGroup, szName);
}

void RemoveStartMenuGroup() {
    char szGroup[kPathBufferSize];
    if (GetStartMenuGroupFolder(szGroup, sizeof(szGroup))) RemoveDirectoryA(szGroup);
}

void GetDesktopShortcutPath(char* szPath, size_t cbPath) {
    char szDesktop[kPathBufferSize] = "c:\\Windows\\Desktop";
    // The all-users desktop as the system knows it; else from the "Shell Folders" values, where the
    // all-users one wins where it exists.
    if (!KnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY, szDesktop, sizeof(szDesktop))) {
        ReadShellFolder(HKEY_CURRENT_USER, "Desktop", szDesktop, sizeof(szDesktop));
        ReadShellFolder(HKEY_LOCAL_MACHINE, "Common Desktop", szDesktop, sizeof(szDesktop));
    }
    FormatPath(szPath, cbPath, "%s\\TallyQuill.lnk", szDesktop);
}

bool CreateShortcut(const char* szShortcutPath, const char* szTarget) {
    if (szShortcutPath[0] == '\0') return false;
    bool bSaved = false;
    CoInitialize(nullptr);
    IShellLinkA* pLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        pLink->SetPath(szTarget);
        IPersistFile* pFile = nullptr;
        if (SUCCEEDED(pLink->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WCHAR wszPath[kPathBufferSize];
            bSaved = MultiByteToWideChar(CP_ACP, 0, szShortcutPath, -1, wszPath, kPathBufferSize) > 0 &&
                     SUCCEEDED(pFile->Save(wszPath, TRUE));
            pFile->Release();
        }
        pLink->Release();
    }
    CoUninitialize();
    return bSaved;
}

bool SetExeFileType(const char* szPath, uint32_t nType) {
    HANDLE hFile = CreateFileA(szPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return false;
    unsigned char bytes[4];
    WriteField32(bytes, nType);
    DWORD cbWritten = 0;
    bool bWritten = SetFilePointer(hFile, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    WriteFile(hFile, bytes, sizeof(bytes), &cbWritten, nullptr) && cbWritten == sizeof(bytes);
    DWORD dwError = GetLastError();
    if (!CloseHandle(hFile)) return false;
    SetLastError(dwError);
    return bWritten;
}
