#include "support/program_window.h"

namespace {
// The main dialog's title, as its resource gives it; no other window of the program takes it.
const char kMainDialogTitle[] = "TallyQuill";
// The class of every dialog box (the system's "#32770").
const ATOM kDialogClassAtom = 0x8002;
}  // namespace

HWND FindRunningCopy() {
    return FindWindowA(reinterpret_cast<LPCSTR>(MAKEINTATOM(kDialogClassAtom)), kMainDialogTitle);
}
