// LOwnedHandle: a kernel handle (a file's, a process's) that is closed when its owner goes, so that
// a function with many ways out closes it exactly once.
#pragma once
#include <windows.h>

class LOwnedHandle {
public:
    // Takes the handle as CreateFileA or OpenProcess returned it: INVALID_HANDLE_VALUE and null are
    // no handle.
    explicit LOwnedHandle(HANDLE hOwned) : hHandle(hOwned) {}
    ~LOwnedHandle() { Close(); }
    LOwnedHandle(const LOwnedHandle&) = delete;
    LOwnedHandle& operator=(const LOwnedHandle&) = delete;

    bool IsOpen() const { return hHandle != nullptr && hHandle != INVALID_HANDLE_VALUE; }
    // Closes the handle held, if any, and holds hNew instead.
    void Reset(HANDLE hNew) {
        Close();
        hHandle = hNew;
    }
    HANDLE Get() const { return hHandle; }
    // Closes the handle now; false when the system reports a failure (GetLastError tells why), which
    // for a written file can mean that its last bytes were lost. No handle closes without failure.
    bool Close() {
        if (!IsOpen()) return true;
        HANDLE hClosing = hHandle;
        hHandle = nullptr;
        return CloseHandle(hClosing) != FALSE;
    }

private:
    HANDLE hHandle;
};
