#include "app/file_arrivals.h"

void FileArrivals::AddStart(FileList* pNames, DWORD dwStartTick) {
    if (pNames->Empty()) return;
    if (sets.AddStart(dwStartTick) == StartSets::kReplacesWaiting) names.Clear();
    names.TakeAll(pNames);
}

void FileArrivals::AddStart(const wchar_t* pPacked, size_t nUnits, size_t nLeftOut, DWORD dwStartTick) {
    FileList started;
    started.AddPacked(pPacked, nUnits);
    started.CountLeftOut(nLeftOut);
    AddStart(&started, dwStartTick);
}

void FileArrivals::TakeWaiting(FileList* pNames, bool* pbAddToSet) {
    pNames->TakeAll(&names);
    *pbAddToSet = sets.TakeWaiting();
}
