// Files named by starts of the program, waiting to be read: Explorer starts the program once for
// each file chosen, so starts that come within kOneSetMs of one another make one set of files,
// priced together. A drop, or the clipboard, ends the set that starts were making.
#pragma once
#include <windows.h>

#include "app/file_list.h"

const DWORD kOneSetMs = 2000;

class FileArrivals {
public:
    FileArrivals();
    FileArrivals(const FileArrivals&) = delete;
    FileArrivals& operator=(const FileArrivals&) = delete;

    // A start's names (a packed block, or a list), made at dwStartTick (GetTickCount's time).
    void AddStart(const wchar_t* pPacked, size_t nUnits, DWORD dwStartTick);
    void AddStart(FileList* pNames, DWORD dwStartTick);
    bool Waiting() const { return names.Count() > 0; }
    // Hands over the names waiting; *pbAddToSet tells whether they join the set shown (or being
    // read) rather than replace it.
    void TakeWaiting(FileList* pNames, bool* pbAddToSet);
    // The set read last was shown (its starts may be joined), or nothing of it was.
    void SetShown(bool bShown);
    // What is shown now is no set that starts can join (a drop, the clipboard).
    void EndSet() { bSetOpen = false; }

private:
    // Whether a start made at dwTick joins the set.
    bool JoinsSet(DWORD dwTick) const;

    FileList names;
    DWORD dwWaitingTick;   // the start of the first names waiting
    bool bWaitingJoins;    // the names waiting join the set
    DWORD dwSetTick;       // the first start of the set shown or being read
    bool bSetOpen;         // that set may still be joined
    bool bTakenJoins;      // the names taken last joined the set
};
