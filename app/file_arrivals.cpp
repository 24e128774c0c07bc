#include "app/file_arrivals.h"

FileArrivals::FileArrivals()
    : dwWaitingTick(0), bWaitingJoins(false), dwSetTick(0), bSetOpen(false), bTakenJoins(false) {}

bool FileArrivals::JoinsSet(DWORD dwTick) const {
    // Ticks wrap after 49 days: the difference either way is what counts.
    DWORD dwApart = dwTick - dwSetTick < dwSetTick - dwTick ? dwTick - dwSetTick : dwSetTick - dwTick;
    return bSetOpen && dwApart <= kOneSetMs;
}

void FileArrivals::AddStart(FileList* pNames, DWORD dwStartTick) {
    if (pNames->Count() == 0) return;
    if (names.Count() == 0) {
        dwWaitingTick = dwStartTick;
        bWaitingJoins = JoinsSet(dwStartTick);
    }
    names.TakeAll(pNames);
}

void FileArrivals::AddStart(const wchar_t* pPacked, size_t nUnits, DWORD dwStartTick) {
    FileList started;
    started.AddPacked(pPacked, nUnits);
    AddStart(&started, dwStartTick);
}

void FileArrivals::TakeWaiting(FileList* pNames, bool* pbAddToSet) {
    pNames->TakeAll(&names);
    *pbAddToSet = bTakenJoins = bWaitingJoins;
    if (!bWaitingJoins) {
        // A new set: later starts join it while it is read.
        dwSetTick = dwWaitingTick;
        bSetOpen = true;
    }
}

void FileArrivals::SetShown(bool bShown) {
    // A new set of which nothing was shown (every file left out, or the reading stopped) cannot be
    // joined: the files shown are an older set's.
    if (!bShown && !bTakenJoins) bSetOpen = false;
}
