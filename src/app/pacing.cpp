// Deadline pacing on the monotonic clock; sleeps, never spins.
#include "app/pacing.h"

#include <cerrno>
#include <ctime>

FramePacer StartPacing(std::int64_t nowNs) {
    return FramePacer{.startNs = nowNs, .frame = 0};
}

static std::int64_t DueTime(const FramePacer& pacer) {
    return pacer.startNs + pacer.frame * kNanosecondsPerSecond / kFramesPerSecond;
}

std::int64_t NextDeadline(FramePacer* pacer, std::int64_t nowNs) {
    ++pacer->frame;
    // sixty frames are exactly a second: moving the start on by it keeps
    // the frame count, and so the products below, small in a long run
    if (pacer->frame == kFramesPerSecond) {
        pacer->startNs += kNanosecondsPerSecond;
        pacer->frame = 0;
    }
    const std::int64_t due = DueTime(*pacer);
    const std::int64_t lateBy = nowNs - due;
    if (lateBy * kFramesPerSecond > kMostFramesBehind * kNanosecondsPerSecond) {
        *pacer = StartPacing(nowNs);
        return nowNs;
    }
    return due;
}

static timespec ToTimespec(std::int64_t ns) {
    return timespec{.tv_sec = static_cast<time_t>(ns / kNanosecondsPerSecond),
                    .tv_nsec = static_cast<long>(ns % kNanosecondsPerSecond)};
}

std::int64_t MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

// An absolute deadline: a signal that interrupts the sleep just restarts it.
void WaitForNextFrame(FramePacer* pacer) {
    const timespec due = ToTimespec(NextDeadline(pacer, MonotonicNow()));
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        // the deadline stands
    }
}
