// Which set of files each start of the program adds its names to. Explorer starts the program once
// for each file chosen, a few hundred milliseconds apart: a start that comes within kOneSetMs of the
// set's previous start joins it, however long the set has been growing. A set is being read, shown,
// or waiting to be read behind the one being read; names that arrive meanwhile wait together.
// Times are GetTickCount's milliseconds, which wrap after 49.7 days.
#pragma once
#include <stdint.h>

const uint32_t kOneSetMs = 2000;

class StartSets {
public:
    StartSets();

    enum Arrival {
        kBeginsWaiting,    // nothing was waiting: the start's names wait alone
        kJoinsWaiting,     // they join the names waiting
        kReplacesWaiting,  // they begin a set of their own, which replaces the names waiting
    };
    // A start made at nTick.
    Arrival AddStart(uint32_t nTick);
    bool Waiting() const { return bWaiting; }
    // The names waiting are taken to be read: true when they join the set shown (or being read)
    // rather than replace it.
    bool TakeWaiting();
    // The read of the names taken ended; bShown is false when it was stopped or every file was
    // refused. Nothing of that set is then on show, so no later start joins it: names that joined
    // it meanwhile begin a set of their own.
    void ReadEnded(bool bShown);
    // What is shown now is no set that starts can join (a drop, the clipboard).
    void EndSet();

private:
    // Whether a start made at nTick comes within kOneSetMs of the set's latest start.
    bool NearLast(uint32_t nTick) const;
    void NoteTick(uint32_t nTick);

    uint32_t nLastTick;  // the latest start of the set being made
    bool bSetOpen;       // the set shown or being read may be joined
    bool bWaiting;       // names wait to be read
    bool bWaitingJoins;  // they join the set shown or being read
};
