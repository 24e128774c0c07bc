#include "app/file_job.h"

#include "app/file_handover.h"
#include "app/file_reading.h"

FileJob::FileJob(FileJobView* pViewIn, FileList* pStartFiles, DWORD dwStartTick)
    : pView(pViewIn), nFilesLeftOut(0), bReading(false) {
    AddStart(pStartFiles, dwStartTick);
}

void FileJob::AddStart(FileList* pNames, DWORD dwStartTick) {
    if (pNames->Empty()) return;
    if (sets.AddStart(dwStartTick) == StartSets::kReplacesWaiting) waiting.Clear();
    waiting.TakeAll(pNames);
}

void FileJob::TakeDrop(HWND hwndDlg, int nStatusId, HDROP hDrop) {
    UINT nDropped = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    FileList dropped;
    // Each name's length is asked first: a path may have up to 32,767 units.
    wchar_t* szPath = nullptr;
    UINT nRoom = 0;
    for (UINT i = 0; i < nDropped; ++i) {
        UINT nLength = DragQueryFileW(hDrop, i, nullptr, 0);
        if (nLength == 0) continue;
        if (nLength >= nRoom) {
            if (szPath != nullptr) HeapFree(GetProcessHeap(), 0, szPath);
            nRoom = nLength + 1;
            szPath = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, nRoom * sizeof(wchar_t)));
            if (szPath == nullptr) nRoom = 0;
        }
        UINT n = szPath != nullptr ? DragQueryFileW(hDrop, i, szPath, nRoom) : 0;
        if (n > 0 && n < nRoom) {
            dropped.Add(szPath);
        } else {
            // Memory ran out: the file is counted as left out.
            dropped.CountLeftOut(1);
        }
    }
    if (szPath != nullptr) HeapFree(GetProcessHeap(), 0, szPath);
    DragFinish(hDrop);
    // A drop while files are read waits for nothing: it is let go, as any other input then.
    if (bReading) return;
    // A drop makes a set of its own, which no start joins.
    if (Read(hwndDlg, nStatusId, dropped, false)) sets.EndSet();
}

bool FileJob::TakeHandOver(const COPYDATASTRUCT* pData) {
    HandedFiles handed;
    if (!ReadHandOver(pData, &handed)) return false;
    FileList started;
    started.AddPacked(handed.pNames, handed.nUnits);
    started.CountLeftOut(handed.nLeftOut);
    AddStart(&started, handed.dwStartTick);
    return true;
}

void FileJob::ReadAgainForSide(HWND hwndDlg, int nStatusId) {
    if (bReading || !files.ReadForAnotherSide(pView->SideInUse())) return;
    FileList names;
    for (size_t i = 0; i < files.Count(); ++i) names.Add(files.Path(i));
    names.CountLeftOut(nFilesLeftOut);
    Read(hwndDlg, nStatusId, names, false);
}

void FileJob::ReadStarted(HWND hwndDlg, int nStatusId) {
    // One reading at a time: names handed over meanwhile wait for the message posted with them.
    if (bReading || !sets.Waiting()) return;
    FileList names;
    names.TakeAll(&waiting);
    bool bAddToSet = sets.TakeWaiting();
    // The set read was shown (its starts may be joined), or nothing of it was: it was stopped, or
    // every file was refused.
    sets.ReadEnded(Read(hwndDlg, nStatusId, names, bAddToSet));
}

bool FileJob::Read(HWND hwndDlg, int nStatusId, const FileList& names, bool bAddToSet) {
    // Files that join the set shown have the room it leaves; past it they are counted, not read.
    FileList toRead;
    size_t nRoom = kMaxListedFiles;
    if (bAddToSet) nRoom = files.Count() < kMaxListedFiles ? kMaxListedFiles - files.Count() : 0;
    toRead.SetRoom(nRoom);
    for (const wchar_t* sz = names.First(); sz != nullptr; sz = names.Next(sz)) toRead.AddExpanded(sz);
    toRead.TakeLeftOut(names);
    // The files past the limit are told for the whole set: those left out of it before, and these.
    if (bAddToSet) toRead.CountLeftOut(nFilesLeftOut);
    bReading = true;
    pView->ReadingStarts();
    PricedFiles read;
    FileReading reading(hwndDlg, nStatusId);
    bool bDone = reading.ReadAll(toRead, pView->CharsPerLine(), pView->SideInUse(), &read);
    bReading = false;
    if (!bDone) {
        pView->ReadingEnded(FileReading::kStoppedText);
        return false;
    }
    // A set of which every file was left out changes nothing shown; files that join a full set
    // leave it on show, with more files left out.
    bool bShown = read.Count() > 0 || (bAddToSet && toRead.LeftOut() > 0);
    if (bShown) {
        if (!bAddToSet) files.Clear();
        files.TakeAll(&read);
        nFilesLeftOut = toRead.LeftOut();
        pView->ShowFiles(&files);
    }
    pView->ReadingEnded(reading.Outcome());
    return bShown;
}
