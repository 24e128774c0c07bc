// The files a drop or a start names: absolute UTF-16 paths, a folder given as every file in it and
// in its subfolders, at most kMaxListedFiles in all. Packed one after another, each ended by a
// zero unit, as WM_COPYDATA hands them to a running copy.
#pragma once
#include <stddef.h>
#include <windows.h>

const size_t kMaxListedFiles = 1000;

class FileList {
public:
    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Adds a path as it is. False once the list is full (the path left out) or memory ran out.
    bool Add(const wchar_t* szPath);
    // Adds a file, or a folder's files; a path that is neither is kept, to be refused with the
    // system's reason when it is read. False once the list is full (some files left out).
    bool AddExpanded(const wchar_t* szPath);
    // Adds every name of a packed block of nUnits units (WM_COPYDATA's) as it is; a name the block
    // does not end with a zero unit is left out.
    bool AddPacked(const wchar_t* pUnits, size_t nUnits);
    void TakeAll(FileList* pOther);
    void Clear();

    size_t Count() const { return nFiles; }
    bool Full() const { return bFull; }
    // The first name, and the one after each (null after the last).
    const wchar_t* First() const { return nFiles > 0 ? pUnits : nullptr; }
    const wchar_t* Next(const wchar_t* szName) const;
    // The packed block, for WM_COPYDATA.
    const wchar_t* Packed() const { return pUnits; }
    size_t PackedUnits() const { return nUnits; }

private:
    bool AddName(const wchar_t* szPath, size_t nLength);
    bool AddFolder(wchar_t* szFolder, size_t nLength, int nDepth);

    wchar_t* pUnits;
    size_t nUnits;
    size_t nCapacity;
    size_t nFiles;
    bool bFull;
};
