// Frame pacing: 60 frames a second of wall-clock time, on deadlines read
// from the monotonic clock, whatever the display's refresh rate.
#pragma once

#include <cstdint>

inline constexpr std::int64_t kFramesPerSecond = 60;
inline constexpr std::int64_t kNanosecondsPerSecond = 1000000000;

// More frames behind than this (a stall, a suspended laptop) and the
// schedule starts again from now instead of running a burst of frames.
inline constexpr std::int64_t kMostFramesBehind = 3;

// Frame n is due at start + n / 60 s. Counting from one start keeps the
// rounding of 1/60 s from adding up; the start moves on a second at a time.
struct FramePacer {
    std::int64_t startNs = 0;
    std::int64_t frame = 0;
};

// A pacer whose first frame is due at nowNs.
FramePacer StartPacing(std::int64_t nowNs);

// Called when a frame has ended at nowNs: moves on to the next frame and
// returns the time it is due. That time is in the past when the game is
// a little behind, and equals nowNs after a resynchronisation.
std::int64_t NextDeadline(FramePacer* pacer, std::int64_t nowNs);

// The monotonic clock, in nanoseconds.
std::int64_t MonotonicNow();

// Sleeps until the next frame is due.
void WaitForNextFrame(FramePacer* pacer);
