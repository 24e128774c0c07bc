// Files named by starts of the program, waiting to be read: Explorer starts the program once for
// each file chosen, so starts that come close together make one set of files, priced together
// (app/start_sets.h says which). A drop, or the clipboard, ends the set that starts were making.
#pragma once
#include <windows.h>

#include "app/file_list.h"
#include "app/start_sets.h"

class FileArrivals {
public:
    FileArrivals() {}
    FileArrivals(const FileArrivals&) = delete;
    FileArrivals& operator=(const FileArrivals&) = delete;

    // A start's names (a packed block with the count of names it left out, or a list), made at
    // dwStartTick (GetTickCount's time).
    void AddStart(const wchar_t* pPacked, size_t nUnits, size_t nLeftOut, DWORD dwStartTick);
    void AddStart(FileList* pNames, DWORD dwStartTick);
    bool Waiting() const { return sets.Waiting(); }
    // Hands over the names waiting; *pbAddToSet tells whether they join the set shown (or being
    // read) rather than replace it.
    void TakeWaiting(FileList* pNames, bool* pbAddToSet);
    // The set read last was shown (its starts may be joined), or nothing of it was: it was stopped,
    // or every file was refused.
    void SetShown(bool bShown) { sets.ReadEnded(bShown); }
    // What is shown now is no set that starts can join (a drop, the clipboard).
    void EndSet() { sets.EndSet(); }

private:
    FileList names;
    StartSets sets;
};
