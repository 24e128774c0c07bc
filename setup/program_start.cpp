#include "setup/program_start.h"

#include <stdio.h>
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "support/path_text.h"

namespace {

// The identifiers, spelled out here: the import library that defines them brings a few thousand
// other identifiers along into the program.
const CLSID kClsidShellWindows = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
const IID kIidShellWindows = {0x85CB6900, 0x4D95, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
const IID kIidServiceProvider = {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
const GUID kSidTopLevelBrowser = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};
const IID kIidShellBrowser = {0x000214E2, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellFolderViewDual = {0xE7A1AF80, 0x4D96, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xF4, 0xEE, 0x85}};
const IID kIidShellDispatch2 = {0xA4C6892C, 0x3BA9, 0x11D2, {0x9D, 0xEA, 0x00, 0xC0, 0x4F, 0xB1, 0x61, 0x62}};

// Holds one interface and releases it.
template <class Interface>
class Held {
public:
    Held() : p(nullptr) {}
    ~Held() {
        if (p != nullptr) p->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Interface* operator->() const { return p; }
    Interface* Get() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
    Interface** OutTyped() { return &p; }

private:
    Interface* p;
};

// The desktop's Shell.Application object, or false.
bool DesktopShell(Held<IShellDispatch2>* pShell) {
    Held<IShellWindows> windows;
    if (FAILED(CoCreateInstance(kClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER, kIidShellWindows, windows.Out())))
        return false;
    VARIANT location, root;
    VariantInit(&location);
    VariantInit(&root);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    long hwnd = 0;
    Held<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.OutTyped()) != S_OK ||
        desktop.Get() == nullptr)
        return false;
    Held<IServiceProvider> provider;
    Held<IShellBrowser> browser;
    Held<IShellView> view;
    Held<IDispatch> background, application;
    Held<IShellFolderViewDual> folderView;
    return SUCCEEDED(desktop->QueryInterface(kIidServiceProvider, provider.Out())) &&
           SUCCEEDED(provider->QueryService(kSidTopLevelBrowser, kIidShellBrowser, browser.Out())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.OutTyped())) && view.Get() != nullptr &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, kIidDispatch, background.Out())) &&
           background.Get() != nullptr &&
           SUCCEEDED(background->QueryInterface(kIidShellFolderViewDual, folderView.Out())) &&
           SUCCEEDED(folderView->get_Application(application.OutTyped())) && application.Get() != nullptr &&
           SUCCEEDED(application->QueryInterface(kIidShellDispatch2, pShell->Out())) && pShell->Get() != nullptr;
}

// The command line "\"<path>\" <arguments>"; false when it does not fit.
bool FormatCommand(char* szCommand, size_t cbCommand, const char* szPath, const char* szArguments) {
    int n = snprintf(szCommand, cbCommand, szArguments[0] ? "\"%s\" %s" : "\"%s\"", szPath, szArguments);
    return n > 0 && static_cast<size_t>(n) < cbCommand;
}

}  // namespace

void StartProgram(const char* szPath, const char* szArguments) {
    char szCommand[2 * kPathBufferSize];
    if (FormatCommand(szCommand, sizeof(szCommand), szPath, szArguments)) WinExec(szCommand, SW_SHOWNORMAL);
}

bool StartProgramAndGoOn(const char* szPath, const char* szArguments) {
    char szCommand[2 * kPathBufferSize];
    if (!FormatCommand(szCommand, sizeof(szCommand), szPath, szArguments)) return false;
    STARTUPINFOA start;
    ZeroMemory(&start, sizeof(start));
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESHOWWINDOW;
    start.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(szPath, szCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool StartProgramAsDesktopUser(const char* szPath) {
    WCHAR wszPath[kPathBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, szPath, -1, wszPath, kPathBufferSize) == 0) return false;
    HRESULT hrInit = CoInitialize(nullptr);
    bool bStarted = false;
    {
        Held<IShellDispatch2> shell;
        BSTR bstrPath = SysAllocString(wszPath);
        if (bstrPath != nullptr && DesktopShell(&shell)) {
            VARIANT none, show;
            VariantInit(&none);
            VariantInit(&show);
            show.vt = VT_I4;
            show.lVal = SW_SHOWNORMAL;
            bStarted = SUCCEEDED(shell->ShellExecute(bstrPath, none, none, none, show));
        }
        SysFreeString(bstrPath);
    }
    if (SUCCEEDED(hrInit)) CoUninitialize();
    return bStarted;
}
