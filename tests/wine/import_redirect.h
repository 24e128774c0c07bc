// Points one import of this test program at a recorder of the test's own, so that a test sees what
// the program's code hands the system (a record's size, a timer's period) and the system still does
// the work: the recorder calls the function it was given back.
#pragma once
#include <windows.h>

// Points this module's import of dll!szFunction at pReplacement; gives the system's function, or
// nullptr when the module does not import it.
inline void* RedirectImport(const char* szDll, const char* szFunction, void* pReplacement) {
    HMODULE hModule = GetModuleHandleA(nullptr);
    FARPROC pSystem = GetProcAddress(GetModuleHandleA(szDll), szFunction);
    if (pSystem == nullptr) return nullptr;
    BYTE* pBase = reinterpret_cast<BYTE*>(hModule);
    IMAGE_NT_HEADERS* pNt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* pDll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
         pDll->Name != 0; ++pDll) {
        if (lstrcmpiA(reinterpret_cast<const char*>(pBase + pDll->Name), szDll) != 0) continue;
        for (IMAGE_THUNK_DATA* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDll->FirstThunk);
             pSlot->u1.Function != 0; ++pSlot) {
            if (pSlot->u1.Function != reinterpret_cast<ULONG_PTR>(pSystem)) continue;
            DWORD dwOldProtection;
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), PAGE_READWRITE, &dwOldProtection);
            pSlot->u1.Function = reinterpret_cast<ULONG_PTR>(pReplacement);
            VirtualProtect(&pSlot->u1.Function, sizeof(pSlot->u1.Function), dwOldProtection, &dwOldProtection);
            return reinterpret_cast<void*>(pSystem);
        }
    }
    return nullptr;
}
