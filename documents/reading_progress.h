// How a long reading lets its caller in: the work of inflating and parsing is counted, and every
// kProgressStepBytes the caller is asked whether to go on (the program paints its window and looks
// for Esc then). Platform-free: the program and the tests each give their own ReadingProgress.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Asked between the pieces of a file's reading: false stops it.
class ReadingProgress {
public:
    virtual ~ReadingProgress() {}
    virtual bool GoOn() = 0;
};

// The most bytes inflated, checked or parsed between two questions.
const uint64_t kProgressStepBytes = 1 << 20;

// Counts the work of one file's reading and asks the progress (when there is one) each time
// kProgressStepBytes more bytes are done. Once told to stop it stays stopped.
class ProgressMeter {
public:
    explicit ProgressMeter(ReadingProgress* pProgress = nullptr)
        : pProgress(pProgress), cbDone(0), cbNextQuestion(kProgressStepBytes), bStopped(false) {}

    void Watch(ReadingProgress* pNewProgress) { pProgress = pNewProgress; }
    // cb more bytes done: whether to go on.
    bool Done(uint64_t cb);
    // A worker cb bytes into its work, of which it told the meter *pcbTold: tells it the rest once
    // that is a step's worth. A worker that begins again from nearer the start tells from there.
    bool DoneUpTo(uint64_t cb, uint64_t* pcbTold);
    bool Stopped() const { return bStopped; }

private:
    ReadingProgress* pProgress;
    uint64_t cbDone;
    uint64_t cbNextQuestion;
    bool bStopped;
};
