// Files and folders opened by name, whatever the length of their paths (up to the system's 32,767
// UTF-16 units).
#pragma once
#include <stddef.h>
#include <windows.h>

// The most units a path may have, its ending zero included.
const size_t kLongPathUnits = 32768;

// The form of a path that the system opens at any length: the path itself where it is shorter
// than MAX_PATH (or names a device or is in that form already), else the full path as
// "\\?\C:\..." or "\\?\UNC\server\share\...", which the system takes as it stands, so it is made
// absolute and its "." and ".." steps and forward slashes are resolved first. Where memory runs
// out the path itself is kept, and the system refuses it with its reason.
class OpenablePath {
public:
    explicit OpenablePath(const wchar_t* szPath);
    ~OpenablePath();
    OpenablePath(const OpenablePath&) = delete;
    OpenablePath& operator=(const OpenablePath&) = delete;
    const wchar_t* Get() const { return szOpenable; }

private:
    const wchar_t* szOpenable;
    wchar_t* szMade;  // the long form, when one was made
};
