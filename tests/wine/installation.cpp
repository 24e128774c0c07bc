#include "tests/wine/installation.h"

#include <stdio.h>
#include <string.h>

#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "setup/pe_signature.h"
#include "tests/wine/wine_test_support.h"

const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill";
const char* const kUninstallTexts[] = {"DisplayName", "UninstallString", "QuietUninstallString", "DisplayVersion",
                                       "Publisher", "DisplayIcon", "InstallLocation", "URLInfoAbout", nullptr};
const char* const kUninstallNumbers[] = {"EstimatedSize", "NoModify", "NoRepair", nullptr};

namespace {
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char* RootName(HKEY hRoot) {
    if (hRoot == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (hRoot == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (hRoot == HKEY_USERS) return "HKEY_USERS";
    return "a registry root";
}
}

namespace {
// A failed step's message: what was done, and the error the system set for it.
testing::AssertionResult FailedWith(const std::string& what, DWORD dwError) {
    return testing::AssertionFailure() << what << " failed (error " << dwError << ")";
}
}  // namespace

testing::AssertionResult ReadBytes(const std::string& path, Bytes* pBytes) {
    pBytes->clear();
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return FailedWith("opening " + path + " to read", GetLastError());
    unsigned char buffer[65536];
    DWORD dwRead = 0;
    BOOL bRead;
    while ((bRead = ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr)) && dwRead > 0)
        pBytes->insert(pBytes->end(), buffer, buffer + dwRead);
    DWORD dwError = GetLastError();
    CloseHandle(hFile);
    if (!bRead) return FailedWith("reading " + path, dwError);
    return testing::AssertionSuccess();
}

testing::AssertionResult WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return FailedWith("opening " + path + " to write", GetLastError());
    DWORD dwWritten = 0;
    BOOL bWritten = WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr);
    DWORD dwError = GetLastError();
    CloseHandle(hFile);
    if (!bWritten) return FailedWith("writing " + std::to_string(bytes.size()) + " bytes to " + path, dwError);
    if (dwWritten != bytes.size())
        return testing::AssertionFailure() << "writing " << bytes.size() << " bytes to " << path << " wrote "
                                           << dwWritten;
    return testing::AssertionSuccess();
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

testing::AssertionResult SetSystemText(HKEY hRoot, const char* szKey, const char* szName, const std::string& text) {
    std::string what = std::string("setting ") + RootName(hRoot) + "\\" + szKey + " value \"" + szName + "\"";
    HKEY hKey = nullptr;
    LONG nResult = RegCreateKeyExA(hRoot, szKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr);
    if (nResult != ERROR_SUCCESS) return FailedWith(what + " (opening the key)", nResult);
    nResult = RegSetValueExA(hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS) return FailedWith(what, nResult);
    return testing::AssertionSuccess();
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

testing::AssertionResult ReadPackedProgram(Bytes* pProgram) {
    testing::AssertionResult read = ReadBytes(BuiltProgramPath(), pProgram);
    if (!read) return read;
    PeSignatureFields fields;
    if (!ReadPeSignatureFields(pProgram->data(), pProgram->size(), &fields))
        return testing::AssertionFailure() << BuiltProgramPath() << " (" << pProgram->size()
                                           << " bytes) has no PE checksum and security entry to zero";
    memset(&(*pProgram)[fields.nChecksumOffset], 0, kPeChecksumLength);
    memset(&(*pProgram)[fields.nSecurityOffset], 0, kPeSecurityEntryLength);
    return testing::AssertionSuccess();
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

testing::AssertionResult SetupRun::AgreeAndNext() {
    if (hwndTerms == nullptr) return testing::AssertionFailure() << "no terms page to agree on; " << ProcessState();
    SendWithin(GetDlgItem(hwndTerms, 101), BM_CLICK, 0, 0, "BM_CLICK on \"I agree\"");
    if (!IsWindowEnabled(GetDlgItem(hwndTerms, IDOK)))
        return testing::AssertionFailure() << "Next stayed disabled after \"I agree\"; " << ProcessState();
    PostMessageA(GetDlgItem(hwndTerms, IDOK), BM_CLICK, 0, 0);
    return testing::AssertionSuccess();
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
    // The desktop's shell starts the program after the setup has ended: its dialog is waited for
    // until it shows, not only until it is made.
    else if (!WaitFor("the installed program's dialog",
                      [] {
                          HWND hwndMain = FindMainDialog();
                          return hwndMain != nullptr && IsWindowVisible(hwndMain);
                      },
                      ShownWindows))
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
// The first offset where two byte strings differ; the shorter one's size when one begins the other.
size_t FirstDifference(const Bytes& a, const Bytes& b) {
    size_t nAt = 0;
    while (nAt < a.size() && nAt < b.size() && a[nAt] == b[nAt]) ++nAt;
    return nAt;
}

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
                       return std::to_string(was.size()) + " bytes, now " + std::to_string(now.size()) +
                              ", first difference at offset " + std::to_string(FirstDifference(was, now));
                   },
                   &lines);
    AddDifferences("text", before.texts, after.texts,
                   [](const std::string& was, const std::string& now) { return "\"" + was + "\", now \"" + now + "\""; },
                   &lines);
    return lines;
}

namespace {
std::string Listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list.empty() ? "no file" : list;
}

// What is at a path: "missing", "a file of N bytes", "a folder holding ...".
std::string WhatIsAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        DWORD dwError = GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND) return "missing";
        return "not to be looked at (error " + std::to_string(dwError) + ")";
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder holding " + Listed(FilesIn(path));
    unsigned long long nSize = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return "a file of " + std::to_string(nSize) + " bytes";
}

testing::AssertionResult PathResult(bool bPassed, const std::string& path, const char* szExpected) {
    return (bPassed ? testing::AssertionSuccess() : testing::AssertionFailure())
           << path << " is " << WhatIsAt(path) << ", expected " << szExpected;
}

// What a registry value is, for a message: "missing", its text in quotes, or its type.
std::string WhatValueIs(HKEY hRoot, const char* szKey, const char* szName) {
    HKEY hKey = nullptr;
    LONG nResult = RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey);
    if (nResult == ERROR_FILE_NOT_FOUND) return "missing, and so is its key";
    if (nResult != ERROR_SUCCESS) return "not to be read: the key opens with error " + std::to_string(nResult);
    DWORD dwType = 0;
    nResult = RegQueryValueExA(hKey, szName, nullptr, &dwType, nullptr, nullptr);
    RegCloseKey(hKey);
    if (nResult == ERROR_FILE_NOT_FOUND) return "missing";
    if (nResult != ERROR_SUCCESS) return "not to be read (error " + std::to_string(nResult) + ")";
    if (dwType == REG_DWORD) return "the number " + std::to_string(SystemNumber(hRoot, szKey, szName));
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ) return "of type " + std::to_string(dwType);
    return "\"" + SystemText(hRoot, szKey, szName) + "\"";
}

testing::AssertionResult ValueResult(bool bPassed, HKEY hRoot, const char* szKey, const char* szName,
                                     const std::string& expected) {
    return (bPassed ? testing::AssertionSuccess() : testing::AssertionFailure())
           << RootName(hRoot) << "\\" << szKey << " value \"" << szName << "\" is "
           << WhatValueIs(hRoot, szKey, szName) << ", expected " << expected;
}

bool ValueExists(HKEY hRoot, const char* szKey, const char* szName) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return false;
    bool bExists = RegQueryValueExA(hKey, szName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bExists;
}
}  // namespace

testing::AssertionResult FileIsThere(const std::string& path) { return PathResult(FileExists(path), path, "a file"); }

testing::AssertionResult FolderIsThere(const std::string& path) {
    return PathResult(FolderExists(path), path, "a folder");
}

testing::AssertionResult FileIsGone(const std::string& path) { return PathResult(!FileExists(path), path, "no file"); }

testing::AssertionResult FolderIsGone(const std::string& path) {
    return PathResult(!FolderExists(path), path, "no folder");
}

testing::AssertionResult FolderHolds(const std::string& folder, std::vector<std::string> expected) {
    std::vector<std::string> found = FilesIn(folder);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    return (found == expected ? testing::AssertionSuccess() : testing::AssertionFailure())
           << folder << " holds " << Listed(found) << (FolderExists(folder) ? "" : " (it is missing)") << ", expected "
           << Listed(expected);
}

std::vector<std::string> InstalledFileNames() {
    return {"tallyq.exe", "tallyq.hlp", "banner.htm", "banner.gif", "tallyq.htm", "uninst.exe"};
}

testing::AssertionResult SystemTextIs(HKEY hRoot, const char* szKey, const char* szName, const std::string& expected) {
    return ValueResult(SystemText(hRoot, szKey, szName) == expected, hRoot, szKey, szName,
                       expected.empty() ? std::string("none or \"\"") : "\"" + expected + "\"");
}

testing::AssertionResult SystemTextIsSet(HKEY hRoot, const char* szKey, const char* szName) {
    return ValueResult(!SystemText(hRoot, szKey, szName).empty(), hRoot, szKey, szName, "a text");
}

testing::AssertionResult ValueIsGone(HKEY hRoot, const char* szKey, const char* szName) {
    return ValueResult(!ValueExists(hRoot, szKey, szName), hRoot, szKey, szName, "none");
}

std::string WindowDescription(HWND hwnd) {
    if (!IsWindow(hwnd)) return "a handle to no window";
    char szClass[64] = "", szTitle[128] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    GetWindowTextA(hwnd, szTitle, sizeof(szTitle));
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hwnd, &dwProcessId);
    return std::string(szClass) + " \"" + szTitle + "\" (process " + std::to_string(dwProcessId) + ", " +
           (IsWindowVisible(hwnd) ? "shown" : "hidden") + ")";
}

testing::AssertionResult WindowIsThere(HWND hwnd, const std::string& what) {
    if (IsWindow(hwnd)) return testing::AssertionSuccess() << what << " is " << WindowDescription(hwnd);
    return testing::AssertionFailure() << what << " is not there; " << ShownWindows();
}

testing::AssertionResult WindowIsShown(HWND hwnd, const std::string& what) {
    if (!IsWindow(hwnd)) return WindowIsThere(hwnd, what);
    return (IsWindowVisible(hwnd) ? testing::AssertionSuccess() : testing::AssertionFailure())
           << what << " is " << WindowDescription(hwnd);
}

testing::AssertionResult WindowIsGone(HWND hwnd, const std::string& what) {
    if (hwnd == nullptr) return testing::AssertionSuccess() << what << " is not there";
    return testing::AssertionFailure() << what << " is still there: " << WindowDescription(hwnd);
}

testing::AssertionResult ProcessRuns(const ProgramUnderTest& program) {
    return (program.Running() ? testing::AssertionSuccess() : testing::AssertionFailure()) << program.ProcessState();
}

testing::AssertionResult NoProcessRuns(const char* szExeName) {
    std::vector<unsigned long> ids = ProcessIdsOf(szExeName);
    if (ids.empty()) return testing::AssertionSuccess() << "no " << szExeName << " runs";
    testing::AssertionResult result = testing::AssertionFailure();
    result << szExeName << " runs as process";
    for (unsigned long nId : ids) result << " " << nId;
    return result << "; " << ShownWindows();
}

testing::AssertionResult Started(ProgramUnderTest& program, const std::string& arguments, const std::string& path) {
    if (program.Start(arguments, path)) return testing::AssertionSuccess();
    return FailedWith("starting " + path + (arguments.empty() ? "" : " " + arguments), GetLastError());
}

testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& found) {
    if (found == expected) return testing::AssertionSuccess();
    size_t nAt = FirstDifference(expected, found);
    testing::AssertionResult result = testing::AssertionFailure();
    result << found.size() << " bytes, expected " << expected.size() << "; first difference at offset " << nAt;
    if (nAt < found.size() && nAt < expected.size())
        result << ": " << static_cast<unsigned>(found[nAt]) << ", expected " << static_cast<unsigned>(expected[nAt]);
    return result;
}

testing::AssertionResult FolderMade(const std::string& path) {
    return Succeeded("making the folder " + path, [&] { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; });
}

testing::AssertionResult FileCopied(const std::string& from, const std::string& to) {
    return Succeeded("copying " + from + " to " + to,
                     [&] { return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE; });
}

testing::AssertionResult HeldOpen(const std::string& path, HANDLE* phFile) {
    return Succeeded("opening " + path + " with no sharing", [&] {
        *phFile = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return *phFile != INVALID_HANDLE_VALUE;
    });
}
