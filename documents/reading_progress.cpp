#include "documents/reading_progress.h"

bool ProgressMeter::Done(uint64_t cb) {
    cbDone += cb;
    if (cbDone < cbNextQuestion || bStopped) return !bStopped;
    cbNextQuestion = cbDone + kProgressStepBytes;
    if (pProgress != nullptr && !pProgress->GoOn()) bStopped = true;
    return !bStopped;
}

bool ProgressMeter::DoneUpTo(uint64_t cb, uint64_t* pcbTold) {
    if (cb < *pcbTold) *pcbTold = cb;
    if (cb - *pcbTold < kProgressStepBytes) return !bStopped;
    uint64_t cbNew = cb - *pcbTold;
    *pcbTold = cb;
    return Done(cbNew);
}
