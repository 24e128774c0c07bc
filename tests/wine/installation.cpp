#include "tests/wine/installation.h"

#include <stdio.h>
#include <string.h>

#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>

#include "setup/pe_signature.h"
#include "tests/wine/wine_test_support.h"

const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill";
const char* const kUninstallTexts[] = {"DisplayName", "UninstallString", "QuietUninstallString", "DisplayVersion",
                                       "Publisher", "DisplayIcon", "InstallLocation", "URLInfoAbout", nullptr};
const char* const kUninstallNumbers[] = {"EstimatedSize", "NoModify", "NoRepair", nullptr};

namespace {
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}

bool ReadBytes(const std::string& path, Bytes* pBytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    pBytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

bool FileExists(const std::string& path) {
    DWORD dwAttributes = GetFileAttributesA(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD dwAttributes = GetFileAttributesA(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return names;
}

std::string SystemText(HKEY hRoot, const char* szKey, const char* szName) {
    char szValue[1024] = "";
    DWORD cbValue = sizeof(szValue) - 1;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return "";
    if (RegQueryValueExA(hKey, szName, nullptr, nullptr, reinterpret_cast<BYTE*>(szValue), &cbValue) != ERROR_SUCCESS)
        szValue[0] = '\0';
    RegCloseKey(hKey);
    return szValue;
}

long long SystemNumber(HKEY hRoot, const char* szKey, const char* szName) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return -1;
    DWORD dwValue = 0, dwType = 0, cbValue = sizeof(dwValue);
    LONG nResult = RegQueryValueExA(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbValue);
    RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS && dwType == REG_DWORD && cbValue == sizeof(dwValue) ? dwValue : -1;
}

bool SetSystemText(HKEY hRoot, const char* szKey, const char* szName, const std::string& text) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(hRoot, szKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    bool bSet = RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bSet;
}

std::string ExpectedInstallFolder() {
    return SystemText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir") + "\\Kestrilon\\TallyQuill";
}

std::string StartMenuGroup() {
    return SystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Programs") + "\\TallyQuill";
}

std::string DesktopShortcut() {
    return SystemText(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Desktop") + "\\TallyQuill.lnk";
}

std::string ShortcutTarget(const std::string& shortcutPath) {
    std::string target;
    CoInitialize(nullptr);
    IShellLinkA* pLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        IPersistFile* pFile = nullptr;
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WCHAR wszPath[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, shortcutPath.c_str(), -1, wszPath, MAX_PATH);
            char szTarget[MAX_PATH] = "";
            if (SUCCEEDED(pFile->Load(wszPath, STGM_READ)) &&
                SUCCEEDED(pLink->GetPath(szTarget, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = szTarget;
            pFile->Release();
        }
        pLink->Release();
    }
    CoUninitialize();
    return target;
}

std::string SetupFilePath() { return TestProgramFolder() + "..\\TallyQuillSetup.exe"; }

std::string PayloadPath(const std::string& name) { return TestProgramFolder() + "..\\payload\\" + name; }

bool ReadPackedProgram(Bytes* pProgram) {
    PeSignatureFields fields;
    if (!ReadBytes(BuiltProgramPath(), pProgram) || !ReadPeSignatureFields(pProgram->data(), pProgram->size(), &fields))
        return false;
    memset(&(*pProgram)[fields.nChecksumOffset], 0, kPeChecksumLength);
    memset(&(*pProgram)[fields.nSecurityOffset], 0, kPeSecurityEntryLength);
    return true;
}

size_t ResourceMiddle(const Bytes& program) {
    if (program.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    const IMAGE_DOS_HEADER* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(program.data());
    size_t nHeaders = static_cast<size_t>(pDos->e_lfanew);
    if (nHeaders + sizeof(IMAGE_NT_HEADERS) > program.size()) return 0;
    const IMAGE_NT_HEADERS* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(program.data() + nHeaders);
    const IMAGE_SECTION_HEADER* pSection = IMAGE_FIRST_SECTION(pNt);
    for (WORD i = 0; i < pNt->FileHeader.NumberOfSections; ++i, ++pSection) {
        if (memcmp(pSection->Name, ".rsrc", 6) == 0 && pSection->PointerToRawData + pSection->SizeOfRawData <= program.size())
            return pSection->PointerToRawData + pSection->SizeOfRawData / 2;
    }
    return 0;
}

void RemoveInstallation() {
    EndRunningCopies();
    for (const std::string& folder : {ExpectedInstallFolder(), std::string("C:\\TallyQuill")}) {
        for (const std::string& name : FilesIn(folder)) {
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }
    RemoveDirectoryA((SystemText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir") + "\\Kestrilon").c_str());
    for (const std::string& name : FilesIn(StartMenuGroup())) DeleteFileA((StartMenuGroup() + "\\" + name).c_str());
    RemoveDirectoryA(StartMenuGroup().c_str());
    DeleteFileA(DesktopShortcut().c_str());
    ResetProgramRegistry();
}

HWND SetupRun::WaitForTerms(unsigned nTimeoutMs) {
    hwndTerms = nullptr;
    WaitFor(
        "the terms page",
        [this] {
            hwndTerms = FindDialogTitled("TallyQuill Software Licence Terms");
            return hwndTerms != nullptr && IsWindowVisible(hwndTerms);
        },
        [this] { return ProcessState(); }, nTimeoutMs);
    return hwndTerms != nullptr && IsWindowVisible(hwndTerms) ? hwndTerms : nullptr;
}

bool SetupRun::AgreeAndNext() {
    if (hwndTerms == nullptr) return false;
    SendWithin(GetDlgItem(hwndTerms, 101), BM_CLICK, 0, 0, "BM_CLICK on \"I agree\"");
    if (!IsWindowEnabled(GetDlgItem(hwndTerms, IDOK))) return false;
    PostMessageA(GetDlgItem(hwndTerms, IDOK), BM_CLICK, 0, 0);
    return true;
}

bool InstallWith(const std::string& setupPath) {
    SetupRun setup;
    const char* szFailed = nullptr;
    int nExitCode = 0;
    if (!setup.Start("", setupPath))
        szFailed = "the setup file did not start";
    else if (setup.WaitForTerms() == nullptr)
        szFailed = "no terms page";
    else if (!setup.AgreeAndNext())
        szFailed = "Next stayed disabled after I agree";
    else if ((nExitCode = setup.WaitForExit()) != 0)
        szFailed = "the setup did not end with 0";
    else if (!WaitFor("the installed program's dialog", [] { return FindMainDialog() != nullptr; }, ShownWindows))
        szFailed = "the installed program did not start";
    if (szFailed != nullptr) {
        fflush(stdout);
        fprintf(stderr, "Installing with %s: %s (exit code %d; %s)\n", setupPath.c_str(), szFailed, nExitCode,
                setup.ProcessState().c_str());
        fflush(stderr);
    }
    return szFailed == nullptr;
}

InstallationState CurrentInstallation() {
    InstallationState state;
    std::string folder = ExpectedInstallFolder();
    for (const std::string& name : FilesIn(folder)) ReadBytes(folder + "\\" + name, &state.files[name]);
    for (const std::string& name : FilesIn(StartMenuGroup()))
        state.texts["group " + name] = ShortcutTarget(StartMenuGroup() + "\\" + name);
    state.texts["desktop"] = ShortcutTarget(DesktopShortcut());
    for (const char* const* pName = kUninstallTexts; *pName != nullptr; ++pName)
        state.texts[*pName] = SystemText(HKEY_LOCAL_MACHINE, kUninstallKey, *pName);
    for (const char* const* pName = kUninstallNumbers; *pName != nullptr; ++pName)
        state.texts[*pName] = std::to_string(SystemNumber(HKEY_LOCAL_MACHINE, kUninstallKey, *pName));
    return state;
}

namespace {
// One line of Differences() for a key found on one side only, or on both with other contents.
template <typename Value, typename Describe>
void AddDifferences(const char* szKind, const std::map<std::string, Value>& before,
                    const std::map<std::string, Value>& after, Describe describe, std::string* pLines) {
    for (const auto& entry : before) {
        auto found = after.find(entry.first);
        if (found == after.end())
            *pLines += std::string(szKind) + " \"" + entry.first + "\" is gone\n";
        else if (found->second != entry.second)
            *pLines += std::string(szKind) + " \"" + entry.first + "\" changed: " + describe(entry.second, found->second) + "\n";
    }
    for (const auto& entry : after) {
        if (before.count(entry.first) == 0) *pLines += std::string(szKind) + " \"" + entry.first + "\" is new\n";
    }
}
}  // namespace

std::string Differences(const InstallationState& before, const InstallationState& after) {
    std::string lines;
    AddDifferences("file", before.files, after.files,
                   [](const Bytes& was, const Bytes& now) {
                       size_t nAt = 0;
                       while (nAt < was.size() && nAt < now.size() && was[nAt] == now[nAt]) ++nAt;
                       return std::to_string(was.size()) + " bytes, now " + std::to_string(now.size()) +
                              ", first difference at offset " + std::to_string(nAt);
                   },
                   &lines);
    AddDifferences("text", before.texts, after.texts,
                   [](const std::string& was, const std::string& now) { return "\"" + was + "\", now \"" + now + "\""; },
                   &lines);
    return lines;
}
