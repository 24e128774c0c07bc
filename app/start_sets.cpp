#include "app/start_sets.h"

StartSets::StartSets() : nLastTick(0), bSetOpen(false), bWaiting(false), bWaitingJoins(false) {}

bool StartSets::NearLast(uint32_t nTick) const {
    // Two starts may hand over out of order: the distance either way counts, across the wrap.
    uint32_t nAfter = nTick - nLastTick;
    uint32_t nBefore = nLastTick - nTick;
    return (nAfter < nBefore ? nAfter : nBefore) <= kOneSetMs;
}

void StartSets::NoteTick(uint32_t nTick) {
    // The later of the two, across the wrap.
    if (static_cast<int32_t>(nTick - nLastTick) > 0) nLastTick = nTick;
}

StartSets::Arrival StartSets::AddStart(uint32_t nTick) {
    if (bWaiting) {
        if (NearLast(nTick)) {
            NoteTick(nTick);
            return kJoinsWaiting;
        }
        // The names waiting would be shown only to be replaced at once.
        nLastTick = nTick;
        bWaitingJoins = false;
        return kReplacesWaiting;
    }
    bWaiting = true;
    bWaitingJoins = bSetOpen && NearLast(nTick);
    if (bWaitingJoins) {
        NoteTick(nTick);
    } else {
        nLastTick = nTick;
    }
    return kBeginsWaiting;
}

bool StartSets::TakeWaiting() {
    bool bJoins = bWaitingJoins;
    bWaiting = false;
    bWaitingJoins = false;
    // Later starts may join the set while it is read.
    bSetOpen = true;
    return bJoins;
}

void StartSets::ReadEnded(bool bShown) {
    if (bShown) return;
    bSetOpen = false;
    bWaitingJoins = false;
}

void StartSets::EndSet() {
    bSetOpen = false;
    bWaitingJoins = false;
}
