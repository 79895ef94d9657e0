// Frame pacing: deadlines 1/60 s apart from one start, no drift, and a new
// start instead of a burst when the game has fallen far behind.
#include "app/pacing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t kStart = 5'000'000'123; // an arbitrary clock reading

// When frame n of a schedule is due, after its start: n / 60 s, rounded down.
constexpr std::int64_t Slot(std::int64_t n) {
    return n * 1'000'000'000 / 60;
}

struct Ending {
    const char* name;
    std::int64_t endedAt; // when a frame ended, after the start
    std::int64_t due;     // when the next one is due, after the start
};

// One frame after another, each row a frame that ended at the given time.
TEST(PacingTest, DeadlinesFollowTheStartAndResyncOnlyWhenFarBehind) {
    const std::vector<Ending> frames = {
        {.name = "an early frame waits for its slot", .endedAt = 1'000'000, .due = Slot(1)},
        {.name = "a late frame leaves the next one its slot",
         .endedAt = Slot(2) + 5'000'000,
         .due = Slot(2)},
        {.name = "exactly three frames behind catches up", .endedAt = Slot(6), .due = Slot(3)},
        {.name = "the catch-up keeps the slots", .endedAt = Slot(6) + 1, .due = Slot(4)},
        {.name = "more than three frames behind starts anew from now",
         .endedAt = Slot(8) + 1,
         .due = Slot(8) + 1},
        {.name = "after a new start the slots count from it",
         .endedAt = Slot(8) + 100,
         .due = Slot(8) + 1 + Slot(1)},
    };
    FramePacer pacer = StartPacing(kStart);
    for (const Ending& frame : frames) {
        SCOPED_TRACE(frame.name);
        EXPECT_EQ(NextDeadline(&pacer, kStart + frame.endedAt) - kStart, frame.due);
    }
}

// Frames on time keep whole seconds exactly: the 1/60 s steps are not
// rounded one by one, and an hour of them does not drift by a nanosecond.
TEST(PacingTest, FramesOnTimeKeepExactSeconds) {
    FramePacer pacer = StartPacing(kStart);
    std::int64_t due = kStart;
    for (int i = 0; i < 60; ++i) {
        due = NextDeadline(&pacer, due);
    }
    EXPECT_EQ(due - kStart, 1'000'000'000);
    EXPECT_EQ(NextDeadline(&pacer, due) - kStart, 1'000'000'000 + Slot(1));
    for (int i = 61; i < 60 * 3600; ++i) {
        due = NextDeadline(&pacer, due);
    }
    EXPECT_EQ(due - kStart, 3600 * std::int64_t{1'000'000'000});
}

// The real clock: a wait ends at its deadline, not before, and not a whole
// frame after it on an idle machine.
TEST(PacingTest, WaitingSleepsUntilTheNextFrameIsDue) {
    FramePacer pacer = StartPacing(MonotonicNow());
    const std::int64_t start = pacer.startNs;
    for (int i = 0; i < 3; ++i) {
        WaitForNextFrame(&pacer);
    }
    const std::int64_t waited = MonotonicNow() - start;
    EXPECT_GE(waited, 3 * kNanosecondsPerSecond / kFramesPerSecond);
    EXPECT_LT(waited, 4 * kNanosecondsPerSecond / kFramesPerSecond + 50'000'000);
}

} // namespace
