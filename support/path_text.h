// Path strings: joining a folder and a name and splitting a path, within 260-byte buffers.
// Both '/' and '\' separate when a path is read; only '\' is ever written.
#pragma once
#include <stddef.h>

// A path: at most 259 characters and its terminator.
enum { kPathBufferSize = 260 };

class LFile {
public:
    // Appends szName to szFolderPath (a 260-byte buffer) with one separator between them.
    static void FilePathCat(char* szFolderPath, const char* szName);
    // Everything before the last separator within the first 260 characters of szPath.
    static char* _GetFolderFromPath(char* szFolder, const char* szPath);
    // Everything after the last separator, at most 259 characters.
    static char* _GetFileFromPath(char* szFile, const char* szPath);
    // The file name without its last extension; a leading dot is not an extension.
    static void _GetFileTitleFromPath(char* szTitle, const char* szPath);

    // Whether FilePathCat of the two keeps the whole name within 259 characters.
    static bool _PathCatFits(const char* szFolderPath, const char* szName);
};

// szFolder and szName joined as FilePathCat joins them, into szPath of cbPath bytes; false, with
// szPath empty, when the whole path does not fit: a path cut short could name another file.
bool JoinPath(char* szPath, size_t cbPath, const char* szFolder, const char* szName);
// The name of a path without its folder: what follows its last '\', '/' or ':' (a drive's).
const wchar_t* FileNameOf(const wchar_t* szPath);
