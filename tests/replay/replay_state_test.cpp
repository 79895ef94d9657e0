// What the replay prints: the game state after each frame, with the keys of
// the script held. Expected values follow from the start values and the
// rules: enemies move one pixel per axis per frame, their lasers three
// pixels back, a held movement key moves a player one pixel per frame.
#include "replay_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Expectation {
    std::size_t frame; // 1-based
    const char* path;
    std::int64_t value;
};

void Check(const std::vector<StateLine>& states, const std::vector<Expectation>& expected,
           const std::string& script) {
    for (const Expectation& e : expected) {
        ASSERT_LE(e.frame, states.size()) << script;
        EXPECT_EQ(Field(states[e.frame - 1], e.path), e.value)
            << script << ", frame " << e.frame << ", " << e.path;
    }
}

// After the first frame with no key held, only the enemies, their lasers
// and the attached projectiles differ from the start values: enemy 1 at
// 500+1, 300+1 and its laser at 500-3, 300-3, each resting projectile on
// its owner, the grenades' blast markers parked at 700.
TEST_F(ReplayTest, FirstFrameWithoutKeysIsTheStartStateMovedOnce) {
    const ReplayResult result = RunScript("1\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "{\"frame\":1,"
              "\"player1\":{\"x\":0,\"y\":0,\"dead\":0,\"corpseX\":700,\"corpseY\":700,"
              "\"carryingFlag\":0,\"laser\":{\"x\":0,\"y\":0,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"grenade\":{\"x\":0,\"y\":0,\"dx\":2,\"dy\":2,\"inFlight\":0},"
              "\"blastX\":700,\"blastY\":700,\"exp\":0,\"bounty\":0},"
              "\"player2\":{\"x\":50,\"y\":50,\"dead\":0,\"corpseX\":700,\"corpseY\":700,"
              "\"carryingFlag\":0,"
              "\"laser\":{\"x\":50,\"y\":50,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"grenade\":{\"x\":50,\"y\":50,\"dx\":2,\"dy\":2,\"inFlight\":0},"
              "\"blastX\":700,\"blastY\":700,\"exp\":0,\"bounty\":0},"
              "\"enemy1\":{\"x\":501,\"y\":301,\"dx\":1,\"dy\":1,"
              "\"laser\":{\"x\":497,\"y\":297,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"wreckX\":700,\"wreckY\":700},"
              "\"enemy2\":{\"x\":601,\"y\":401,\"dx\":1,\"dy\":1,"
              "\"laser\":{\"x\":597,\"y\":397,\"dx\":3,\"dy\":3,\"inFlight\":0},"
              "\"wreckX\":700,\"wreckY\":700},"
              "\"redFlagX\":590,\"redFlagY\":430,\"blueFlagX\":0,\"blueFlagY\":50,"
              "\"homePatchX\":0,\"homePatchY\":0,\"restartCountdown\":100}\n");
}

TEST_F(ReplayTest, FramesAreNumberedFromOneAcrossInstructions) {
    const std::vector<StateLine> states = States("3\n2 right\n1 d\n");
    ASSERT_EQ(states.size(), 6u);
    for (std::size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(Field(states[i], "frame"), static_cast<std::int64_t>(i + 1));
        // the enemy moved once per frame: the line is that frame's state
        EXPECT_EQ(Field(states[i], "enemy1.x"), 500 + static_cast<std::int64_t>(i + 1));
    }
}

// Undisturbed enemies: enemy 1 runs down-right from 500, 300; its laser
// runs up-left from there until it enters the obstacle zone (x >= 175,
// y <= 148) at 347, 147 in frame 51 and returns to enemy 1. Enemy 2 turns
// at x = 640 in frame 40 and at y = 480 in frame 80; its laser reaches the
// zone at 348, 148 in frame 84 and returns to enemy 2, then at 596, 476.
TEST_F(ReplayTest, EnemiesAndTheirLasersFollowTheirPaths) {
    const std::vector<StateLine> states = States("84\n");
    ASSERT_EQ(states.size(), 84u);
    Check(states,
          {
              {50, "enemy1.x", 550},       {50, "enemy1.y", 350},       {50, "enemy1.laser.x", 350},
              {50, "enemy1.laser.y", 150}, {51, "enemy1.x", 551},       {51, "enemy1.y", 351},
              {51, "enemy1.laser.x", 551}, {51, "enemy1.laser.y", 351}, {52, "enemy1.laser.x", 548},
              {52, "enemy1.laser.y", 348}, {39, "enemy2.x", 639},       {39, "enemy2.dx", 1},
              {40, "enemy2.x", 640},       {40, "enemy2.dx", -1},       {41, "enemy2.x", 639},
              {41, "enemy2.y", 441},       {80, "enemy2.y", 480},       {80, "enemy2.dy", -1},
              {81, "enemy2.x", 599},       {81, "enemy2.y", 479},       {83, "enemy2.laser.x", 351},
              {83, "enemy2.laser.y", 151}, {84, "enemy2.x", 596},       {84, "enemy2.y", 476},
              {84, "enemy2.laser.x", 596}, {84, "enemy2.laser.y", 476}, {84, "enemy2.laser.dx", 3},
              {84, "enemy2.laser.dy", 3},
          },
          "84");
}

// Each key name holds the key the game reads for it. A trigger held in the
// first frame launches from the start position 0, 0, because no attachment
// has happened yet; the flight step then moves the laser by 3, 3 and the
// grenade by 2, 2 in that same frame.
TEST_F(ReplayTest, EachKeyActsOnItsPlayer) {
    struct Case {
        const char* script;
        std::vector<Expectation> expected; // on the last frame
    };
    const Case cases[] = {
        {"1 down", {{1, "player1.x", 0}, {1, "player1.y", 1}, {1, "player1.laser.y", 1}}},
        {"1 right", {{1, "player1.x", 1}, {1, "player1.y", 0}, {1, "player1.laser.x", 1}}},
        {"2 down\n1 up", {{3, "player1.y", 1}, {3, "player1.x", 0}}},
        {"2 right\n1 left", {{3, "player1.x", 1}, {3, "player1.y", 0}}},
        {"1 w", {{1, "player2.x", 50}, {1, "player2.y", 49}, {1, "player1.y", 0}}},
        {"1 s", {{1, "player2.x", 50}, {1, "player2.y", 51}, {1, "player1.y", 0}}},
        {"1 a", {{1, "player2.x", 49}, {1, "player2.y", 50}, {1, "player1.x", 0}}},
        {"1 d", {{1, "player2.x", 51}, {1, "player2.y", 50}, {1, "player1.x", 0}}},
        {"1 space",
         {{1, "player1.laser.x", 3},
          {1, "player1.laser.y", 3},
          {1, "player1.laser.inFlight", 1},
          {1, "player1.grenade.inFlight", 0},
          {1, "player2.laser.inFlight", 0}}},
        {"1 ralt",
         {{1, "player1.grenade.x", 2},
          {1, "player1.grenade.y", 2},
          {1, "player1.grenade.inFlight", 1},
          {1, "player1.laser.inFlight", 0},
          {1, "player2.grenade.inFlight", 0}}},
        {"1 lctrl",
         {{1, "player2.laser.x", 3},
          {1, "player2.laser.y", 3},
          {1, "player2.laser.inFlight", 1},
          {1, "player2.grenade.inFlight", 0},
          {1, "player1.laser.inFlight", 0}}},
        {"1 lshift",
         {{1, "player2.grenade.x", 2},
          {1, "player2.grenade.y", 2},
          {1, "player2.grenade.inFlight", 1},
          {1, "player2.laser.inFlight", 0},
          {1, "player1.grenade.inFlight", 0}}},
        {"3 right down d", {{3, "player1.x", 3}, {3, "player1.y", 3}, {3, "player2.x", 53}}},
    };
    for (const Case& c : cases) {
        const std::vector<StateLine> states = States(c.script);
        Check(states, c.expected, c.script);
    }
}

// An instruction holds exactly its keys: those of the one before are let go.
TEST_F(ReplayTest, EachInstructionHoldsExactlyItsKeys) {
    const std::vector<StateLine> states = States("2\n4 right\n3 down\n2\n");
    ASSERT_EQ(states.size(), 11u);
    const std::int64_t x[] = {0, 0, 1, 2, 3, 4, 4, 4, 4, 4, 4};
    const std::int64_t y[] = {0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 3};
    for (std::size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(Field(states[i], "player1.x"), x[i]) << "frame " << i + 1;
        EXPECT_EQ(Field(states[i], "player1.y"), y[i]) << "frame " << i + 1;
        // the resting laser rides with its owner
        EXPECT_EQ(Field(states[i], "player1.laser.x"), x[i]) << "frame " << i + 1;
        EXPECT_EQ(Field(states[i], "player1.laser.y"), y[i]) << "frame " << i + 1;
    }
}

// A laser launched in frame 2 from its owner at 0, 0 flies 3, 3 per frame,
// and stays in flight when Space is let go.
TEST_F(ReplayTest, ALaunchedLaserFliesOnAfterItsKeyIsLetGo) {
    const std::vector<StateLine> states = States("1\n3 space\n2\n");
    ASSERT_EQ(states.size(), 6u);
    const std::int64_t position[] = {0, 3, 6, 9, 12, 15};
    const std::int64_t inFlight[] = {0, 1, 1, 1, 1, 1};
    for (std::size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(Field(states[i], "player1.laser.x"), position[i]) << "frame " << i + 1;
        EXPECT_EQ(Field(states[i], "player1.laser.y"), position[i]) << "frame " << i + 1;
        EXPECT_EQ(Field(states[i], "player1.laser.inFlight"), inFlight[i]) << "frame " << i + 1;
    }
}

// The keys of every line in the order the interface lists them.
TEST_F(ReplayTest, EveryLineHasTheFieldsInTheirOrder) {
    const std::vector<std::string> projectile = {"x", "y", "dx", "dy", "inFlight"};
    std::vector<std::string> expected = {"frame"};
    for (const char* player : {"player1", "player2"}) {
        const std::string p = std::string(player) + ".";
        for (const char* name : {"x", "y", "dead", "corpseX", "corpseY", "carryingFlag"}) {
            expected.push_back(p + name);
        }
        for (const char* shot : {"laser", "grenade"}) {
            for (const std::string& name : projectile) {
                expected.push_back(p + shot + "." + name);
            }
        }
        for (const char* name : {"blastX", "blastY", "exp", "bounty"}) {
            expected.push_back(p + name);
        }
    }
    for (const char* enemy : {"enemy1", "enemy2"}) {
        const std::string e = std::string(enemy) + ".";
        for (const char* name : {"x", "y", "dx", "dy"}) {
            expected.push_back(e + name);
        }
        for (const std::string& name : projectile) {
            expected.push_back(e + "laser." + name);
        }
        expected.push_back(e + "wreckX");
        expected.push_back(e + "wreckY");
    }
    for (const char* name : {"redFlagX", "redFlagY", "blueFlagX", "blueFlagY", "homePatchX",
                             "homePatchY", "restartCountdown"}) {
        expected.push_back(name);
    }

    const std::vector<StateLine> states = States("2 right space\n");
    ASSERT_EQ(states.size(), 2u);
    for (const StateLine& state : states) {
        std::vector<std::string> names;
        for (const auto& field : state.fields) {
            names.push_back(field.first);
        }
        EXPECT_EQ(names, expected);
    }
}

} // namespace
