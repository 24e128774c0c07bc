#include "tests/wine/wine_test_support.h"

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>
#include <string.h>

void ResetProgramRegistry() {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Kestrilon");
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TallyQuill");
    for (HKEY hRoot : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY hRun = nullptr;
        if (RegOpenKeyExA(hRoot, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE, &hRun) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(hRun, "TallyQuillRun");
            RegCloseKey(hRun);
        }
    }
}

void SetWindowsVersionOf(const char* szExeName, const char* szVersion) {
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + szExeName;
    if (szVersion[0] == '\0') {
        SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(szVersion),
                   static_cast<DWORD>(strlen(szVersion) + 1));
    RegCloseKey(hKey);
}

ChildResult RunChild(const std::string& commandLine, unsigned nTimeoutMs) {
    ChildResult result = {-1, std::string()};
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inherit, 0)) return result;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = hWrite;
    startup.hStdError = hWrite;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = commandLine;
    BOOL bStarted = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                   &process);
    CloseHandle(hWrite);
    if (bStarted) {
        // Drain the pipe while waiting, so that neither a chatty nor a hung child blocks the test.
        DWORD dwStart = GetTickCount();
        bool bExited = false;
        for (;;) {
            bExited = WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
            DWORD dwAvailable = 0;
            while (PeekNamedPipe(hRead, nullptr, 0, nullptr, &dwAvailable, nullptr) && dwAvailable > 0) {
                char buffer[4096];
                DWORD dwRead = 0;
                if (!ReadFile(hRead, buffer, sizeof(buffer), &dwRead, nullptr) || dwRead == 0) break;
                result.output.append(buffer, dwRead);
            }
            if (bExited || GetTickCount() - dwStart > nTimeoutMs) break;
        }
        if (!bExited) {
            TerminateProcess(process.hProcess, 99);
        } else {
            DWORD dwExit = 0;
            GetExitCodeProcess(process.hProcess, &dwExit);
            result.nExitCode = static_cast<int>(dwExit);
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(hRead);
    return result;
}

std::string TestProgramFolder() {
    char szPath[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, n);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::vector<unsigned long> ProcessIdsOf(const char* szExeName) {
    std::vector<unsigned long> ids;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32First(hSnapshot, &entry); bMore; bMore = Process32Next(hSnapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, szExeName) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(hSnapshot);
    return ids;
}

DeniedKey::DeniedKey(void* hRoot, const char* szPath) {
    HKEY hOpened = nullptr;
    if (RegCreateKeyExA(static_cast<HKEY>(hRoot), szPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &hOpened,
                        nullptr) != ERROR_SUCCESS)
        return;
    hKey = hOpened;
    DWORD cbOld = 0;
    RegGetKeySecurity(hOpened, DACL_SECURITY_INFORMATION, nullptr, &cbOld);
    oldDescriptor.assign(cbOld, '\0');
    if (RegGetKeySecurity(hOpened, DACL_SECURITY_INFORMATION, &oldDescriptor[0], &cbOld) != ERROR_SUCCESS) {
        oldDescriptor.clear();
        return;
    }
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone)) return;
    DWORD aclBuffer[64];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR denying;
    bool bMade = InitializeAcl(pAcl, sizeof(aclBuffer), ACL_REVISION) &&
                 AddAccessDeniedAce(pAcl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, pEveryone) &&
                 AddAccessAllowedAce(pAcl, ACL_REVISION, KEY_READ | WRITE_DAC, pEveryone) &&
                 InitializeSecurityDescriptor(&denying, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&denying, TRUE, pAcl, FALSE);
    if (bMade) RegSetKeySecurity(hOpened, DACL_SECURITY_INFORMATION, &denying);
    FreeSid(pEveryone);
    HKEY hProbe = nullptr;
    bDenied = RegOpenKeyExA(static_cast<HKEY>(hRoot), szPath, 0, KEY_SET_VALUE, &hProbe) == ERROR_ACCESS_DENIED;
    if (hProbe != nullptr) RegCloseKey(hProbe);
}

DeniedKey::~DeniedKey() {
    if (hKey == nullptr) return;
    if (!oldDescriptor.empty()) RegSetKeySecurity(static_cast<HKEY>(hKey), DACL_SECURITY_INFORMATION, &oldDescriptor[0]);
    RegCloseKey(static_cast<HKEY>(hKey));
}

std::string UnixPathOf(const std::wstring& path) {
    typedef char*(CDECL * UnixFileNameFn)(LPCWSTR);
    FARPROC pfnFound = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (pfnFound == nullptr) return std::string();
    UnixFileNameFn pfnUnixName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(pfnFound));
    char* szUnix = pfnUnixName(path.c_str());
    if (szUnix == nullptr) return std::string();
    std::string unix = szUnix;
    HeapFree(GetProcessHeap(), 0, szUnix);
    return unix;
}

std::string RunOnHost(const std::wstring& folder, const std::string& script, unsigned nTimeoutMs) {
    std::string unixFolder = UnixPathOf(folder);
    if (unixFolder.empty()) return "no Unix path for the folder";
    if (unixFolder.back() != '/') unixFolder += '/';
    // Wine does not tell when a Unix process ends: the script makes a file last, which is waited
    // for. The process gets the Windows environment, whose PATH names no Unix folder.
    std::wstring done = folder + L"host-done";
    DeleteFileW(done.c_str());
    std::string cd = "cd '" + unixFolder + "'\n";
    std::string text = "set -e\nPATH=/usr/bin:/bin\n" + cd + script + "\n" + cd + "touch host-done\n";
    HANDLE hFile = CreateFileW((folder + L"host.sh").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD dwWritten = 0;
    bool bWritten = hFile != INVALID_HANDLE_VALUE &&
                    WriteFile(hFile, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr) &&
                    dwWritten == text.size();
    if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    if (!bWritten) return "could not write the script";
    std::wstring commandLine = L"/bin/sh ";
    for (char c : unixFolder + "host.sh") commandLine += static_cast<wchar_t>(static_cast<unsigned char>(c));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return "could not start /bin/sh (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD dwStart = GetTickCount(); GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; Sleep(20)) {
        if (GetTickCount() - dwStart > nTimeoutMs) return "the script did not end within the time: " + text;
    }
    return std::string();
}
