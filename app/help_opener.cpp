#include "app/help_opener.h"

#include <shellapi.h>
#include <stdio.h>

#include "setup/setup_layout.h"
#include "support/path_text.h"
#include "support/winhelp_viewer.h"

namespace {
const char kHelpCaption[] = "TallyQuill Help";
}  // namespace

void OpenHelpContents(HWND hwndOwner) {
    // The help file is found through the current directory, the program's folder since the start.
    if (HasWinHelpViewer()) {
        WinHelpA(hwndOwner, kHelpFileName, HELP_CONTENTS, 0);
        return;
    }
    char szProgram[kPathBufferSize], szFolder[kPathBufferSize], szPage[kPathBufferSize];
    DWORD n = GetModuleFileNameA(nullptr, szProgram, kPathBufferSize);
    if (n == 0 || n >= kPathBufferSize) return;
    LFile::_GetFolderFromPath(szFolder, szProgram);
    if (!JoinPath(szPage, sizeof(szPage), szFolder, kHelpPageFileName)) return;
    char szText[kPathBufferSize + 200];
    if (GetFileAttributesA(szPage) == INVALID_FILE_ATTRIBUTES) {
        snprintf(szText, sizeof(szText),
                 "The guide to TallyQuill is missing:\n\n%s\n\nInstall TallyQuill again to bring it back.", szPage);
        MessageBoxA(hwndOwner, szText, kHelpCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    // The contents topic heads the page, so the page opens where the help file would.
    HINSTANCE hResult = ShellExecuteA(hwndOwner, "open", szPage, nullptr, szFolder, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(hResult) <= 32) {
        snprintf(szText, sizeof(szText),
                 "The guide to TallyQuill could not be opened: no program to show web pages was found.\n\n%s",
                 szPage);
        MessageBoxA(hwndOwner, szText, kHelpCaption, MB_OK | MB_ICONWARNING);
    }
}
