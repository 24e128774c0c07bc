// The files a drop or a start names: absolute UTF-16 paths, a folder given as every file in it and
// in its subfolders, at most kMaxListedFiles in all. Packed one after another, each ended by a
// zero unit, as WM_COPYDATA hands them to a running copy. Files past the list's room are counted,
// not kept; a folder or file that cannot be opened is counted with the first one's name and
// reason, so that what was left out is told.
#pragma once
#include <stddef.h>
#include <windows.h>

const size_t kMaxListedFiles = 1000;
// Past its room a list counts files up to this many in all, then a folder walk stops: a drop of a
// whole drive would otherwise keep the window from answering while every folder is listed.
const size_t kMaxCountedFiles = 20000;

class FileList {
public:
    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // The most files the list keeps (kMaxListedFiles at first, never more): the room left in the
    // set its files join.
    void SetRoom(size_t nFiles);
    // Adds a path as it is (counted as left out once the list is full).
    void Add(const wchar_t* szPath);
    // Adds a file, or a folder's files; a path that is neither is kept, to be refused with the
    // system's reason when it is read.
    void AddExpanded(const wchar_t* szPath);
    // Adds every name of a packed block of nUnits units (WM_COPYDATA's) as it is; a name the block
    // does not end with a zero unit is left out.
    void AddPacked(const wchar_t* pUnits, size_t nUnits);
    // Files left out of another list (or of a hand-over) join this one's count.
    void CountLeftOut(size_t nFiles) { nLeftOut += nFiles; }
    void TakeLeftOut(const FileList& other);
    // Moves the other list's names (and what it left out) to this one.
    void TakeAll(FileList* pOther);
    void Clear();

    size_t Count() const { return nFiles; }
    // Files that did not fit the list's room.
    size_t LeftOut() const { return nLeftOut; }
    // The walk stopped at kMaxCountedFiles: more files than LeftOut() were left out.
    bool CountCut() const { return bCountCut; }
    // Folders and files that could not be opened: how many, the first one's name and the reason.
    size_t Unopened() const { return nUnopened; }
    const wchar_t* FirstUnopened() const { return szFirstUnopened; }
    const wchar_t* FirstUnopenedReason() const { return szFirstReason; }
    bool Empty() const { return nFiles == 0 && nLeftOut == 0 && nUnopened == 0; }
    // The first name, and the one after each (null after the last).
    const wchar_t* First() const { return nFiles > 0 ? pUnits : nullptr; }
    const wchar_t* Next(const wchar_t* szName) const;
    // The packed block, for WM_COPYDATA.
    const wchar_t* Packed() const { return pUnits; }
    size_t PackedUnits() const { return nUnits; }

private:
    void AddName(const wchar_t* szPath, size_t nLength);
    void AddFolder(wchar_t* szFolder, size_t nLength, int nDepth);
    // A folder or file that could not be opened, for szReason, or the system's for dwError where it
    // is null.
    void NoteUnopened(const wchar_t* szName, DWORD dwError, const wchar_t* szReason);

    wchar_t* pUnits;
    size_t nUnits;
    size_t nCapacity;
    size_t nFiles;
    size_t nRoom;
    size_t nLeftOut;
    size_t nUnopened;
    bool bCountCut;
    wchar_t szFirstUnopened[MAX_PATH];
    wchar_t szFirstReason[300];
};
