// The files the main window prices as one job: dropped on it, or named by starts of the program
// (its own and the later ones that hand their names over), read in this thread in pieces, the
// window painted between them and Esc stopping. They replace what was shown, or add to the set that
// starts within 2 s of one another make: Explorer starts the program once for each file chosen
// (app/start_sets.h says which starts join). A drop, or the clipboard, ends the set that starts
// were making.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "app/file_list.h"
#include "app/priced_files.h"
#include "app/start_sets.h"

// What a reading asks of the window that shows it.
class FileJobView {
public:
    // The characters per line the files' lines are first counted at.
    virtual int CharsPerLine() = 0;
    // The side of translation files the rates in use count.
    virtual TranslationSide SideInUse() = 0;
    // The reading starts: the status line is the reading's own until it ends.
    virtual void ReadingStarts() = 0;
    // The set read is shown and priced.
    virtual void ShowFiles(const PricedFiles* pFiles) = 0;
    // The reading ended: szSaid is what the status line says of it (empty when every file was
    // priced).
    virtual void ReadingEnded(const wchar_t* szSaid) = 0;

protected:
    ~FileJobView() {}
};

class FileJob {
public:
    // pStartFiles: the files the program's own start named (taken over; may be empty), made at
    // dwStartTick (GetTickCount's time).
    FileJob(FileJobView* pView, FileList* pStartFiles, DWORD dwStartTick);
    FileJob(const FileJob&) = delete;
    FileJob& operator=(const FileJob&) = delete;

    // Names of starts wait to be read (ReadStarted).
    bool StartsWaiting() const { return sets.Waiting(); }
    // Reads the files dropped, and finishes the drop.
    void TakeDrop(HWND hwndDlg, int nStatusId, HDROP hDrop);
    // Takes a copy of the names a later start handed over; false when the data is no hand-over.
    // They are read by ReadStarted, once the start has its reply.
    bool TakeHandOver(const COPYDATASTRUCT* pData);
    // Reads the names of starts waiting, unless a reading is under way.
    void ReadStarted(HWND hwndDlg, int nStatusId);
    // What is shown now is no set that starts can join (the clipboard).
    void EndSet() { sets.EndSet(); }
    // The rates in use count the other side of translation files than those shown were read for:
    // the files shown are read again.
    void ReadAgainForSide(HWND hwndDlg, int nStatusId);

private:
    // Reads the files named (folders opened) and shows them; false when nothing of them was shown.
    bool Read(HWND hwndDlg, int nStatusId, const FileList& names, bool bAddToSet);
    void AddStart(FileList* pNames, DWORD dwStartTick);

    FileJobView* pView;
    // The files last priced, and how many of their set were left out past the limit.
    PricedFiles files;
    size_t nFilesLeftOut;
    // Names of starts waiting to be read, and the sets the starts make.
    FileList waiting;
    StartSets sets;
    bool bReading;
};
