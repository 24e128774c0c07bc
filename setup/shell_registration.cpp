// Making the installed program usable and removable: start-menu group, shortcuts and the Uninstall
// entry, made once every file of the installation (the uninstaller and the exe file types included)
// is complete. Every step is silent on failure and the next one runs all the same.
#include <objidl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "setup/exe_type.h"
#include "setup/install_dialog.h"
#include "setup/setup_layout.h"

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
bool ReadShellFolder(HKEY hRoot, const char* szName, char* szFolder) {
    return ReadSystemText(hRoot, kShellFoldersKey, szName, szFolder, kPathBufferSize);
}

// snprintf into a path buffer; a path that does not fit comes out empty, never cut short.
template <typename... Args>
bool FormatPath(char* szPath, const char* szFormat, Args... args) {
    int n = snprintf(szPath, kPathBufferSize, szFormat, args...);
    if (n > 0 && n < kPathBufferSize) return true;
    szPath[0] = '\0';
    return false;
}

void SetTextValue(HKEY hKey, const char* szName, const char* szText) {
    RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(szText),
                   static_cast<DWORD>(strlen(szText) + 1));
}

}  // namespace

void InstallDialog::Finalize() {
    char szExePath[kPathBufferSize];
    FormatPath(szExePath, "%s\\tallyq.exe", szInstallPath);
    AddStartMenuItem(szExePath, "TallyQuill");

    char szDesktopShortcut[kPathBufferSize];
    GetDesktopShortcutPath(szDesktopShortcut);
    CreateShortcut(szDesktopShortcut, szExePath);

    char szUninstallerPath[kPathBufferSize];
    FormatPath(szUninstallerPath, "%s\\uninst.exe", szInstallPath);
    HKEY hCurrentVersion = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                      &hCurrentVersion) == ERROR_SUCCESS) {
        HKEY hUninstall = nullptr;
        DWORD dwDisposition = 0;
        char szClass[] = "";
        if (RegCreateKeyExA(hCurrentVersion, kUninstallSubKey, 0, szClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &hUninstall, &dwDisposition) == ERROR_SUCCESS) {
            // Written at every install: the entry names the uninstaller of the installation just
            // made, also when an earlier one went into another folder.
            SetTextValue(hUninstall, "DisplayName", "TallyQuill Uninstall");
            // Quoted: the system runs this command line, and an unquoted path with blanks would
            // first try to start "C:\Program.exe".
            char szCommand[kPathBufferSize];
            if (FormatPath(szCommand, "\"%s\"", szUninstallerPath))
                SetTextValue(hUninstall, "UninstallString", szCommand);
            RegCloseKey(hUninstall);
        }
        RegCloseKey(hCurrentVersion);
    }

    char szHelpPath[kPathBufferSize];
    FormatPath(szHelpPath, "%s\\tallyq.hlp", szInstallPath);
    AddStartMenuItem(szHelpPath, "TallyQuill Help");

    StartProgram(szExePath, "");
}

bool InstallDialog::GetStartMenuGroupFolder(char* szFolder) {
    szFolder[0] = '\0';
    // The all-users start menu wins wherever it is defined.
    ReadShellFolder(HKEY_CURRENT_USER, "Programs", szFolder);
    ReadShellFolder(HKEY_LOCAL_MACHINE, "Common Programs", szFolder);
    if (szFolder[0] == '\0') return false;
    CreateDirectoryA(szFolder, nullptr);
    char szPrograms[kPathBufferSize];
    memcpy(szPrograms, szFolder, kPathBufferSize);
    return FormatPath(szFolder, "%s\\TallyQuill", szPrograms);
}

void InstallDialog::AddStartMenuItem(const char* szTarget, const char* szName) {
    char szGroup[kPathBufferSize], szShortcut[kPathBufferSize];
    if (!GetStartMenuGroupFolder(szGroup)) return;
    CreateDirectoryA(szGroup, nullptr);
    if (FormatPath(szShortcut, "%s\\%s.lnk", szGroup, szName)) CreateShortcut(szShortcut, szTarget);
}

void InstallDialog::RemoveStartMenuItem(const char* szName) {
    char szGroup[kPathBufferSize], szShortcut[kPathBufferSize];
    if (GetStartMenuGroupFolder(szGroup) && FormatPath(szShortcut, "%s\\%s.lnk", szGroup, szName))
        DeleteFileA(szShortcut);
}

void InstallDialog::RemoveStartMenuGroup() {
    char szGroup[kPathBufferSize];
    if (GetStartMenuGroupFolder(szGroup)) RemoveDirectoryA(szGroup);
}

void InstallDialog::GetDesktopShortcutPath(char* szPath) {
    char szDesktop[kPathBufferSize] = "c:\\Windows\\Desktop";
    // The all-users desktop wins where it exists.
    ReadShellFolder(HKEY_CURRENT_USER, "Desktop", szDesktop);
    ReadShellFolder(HKEY_LOCAL_MACHINE, "Common Desktop", szDesktop);
    FormatPath(szPath, "%s\\TallyQuill.lnk", szDesktop);
}

void InstallDialog::CreateShortcut(const char* szShortcutPath, const char* szTarget) {
    if (szShortcutPath[0] == '\0') return;
    CoInitialize(nullptr);
    IShellLinkA* pLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        pLink->SetPath(szTarget);
        IPersistFile* pFile = nullptr;
        if (SUCCEEDED(pLink->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WCHAR wszPath[kPathBufferSize];
            if (MultiByteToWideChar(CP_ACP, 0, szShortcutPath, -1, wszPath, kPathBufferSize) > 0)
                pFile->Save(wszPath, TRUE);
            pFile->Release();
        }
        pLink->Release();
    }
    CoUninitialize();
}

bool InstallDialog::SetExeFileType(const char* szPath, uint32_t nType) {
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
