// Motion and bounds: enemy paths and bounces, enemy-laser returns, player
// limits and the obstacle zone, the flag pick-up, the players' laser bounds
// and the positions that run without bound.
#include "game/motion.h"
#include "game_fixture.h"

#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

class MotionTest : public GameTest {
  protected:
    static void Fresh() {
        game = GameState{};
        SetStartValues();
    }
};

using Pair = std::pair<std::int32_t, std::int32_t>;

bool InZone(std::int32_t x, std::int32_t y) {
    return x >= 175 && y <= 148;
}

// One held key, or none for SDLK_UNKNOWN.
KeyState Held(SDLKey key) {
    return key == SDLK_UNKNOWN ? Keys() : Keys({key});
}

struct BounceCase {
    const char* name;
    std::int32_t x, y, dx, dy;
    std::int32_t endX, endY, endDx, endDy;
};

TEST_F(MotionTest, EnemyTurnsAtTheExactEdgesAndOffTheZone) {
    const std::vector<BounceCase> cases = {
        {"right edge", 639, 300, 1, 1, 640, 301, -1, 1},
        {"left edge", 1, 300, -1, 1, 0, 301, 1, 1},
        {"bottom edge", 300, 479, 1, 1, 301, 480, 1, -1},
        {"top edge", 100, 1, 1, -1, 101, 0, 1, 1},
        {"bottom-right corner", 639, 479, 1, 1, 640, 480, -1, -1},
        {"into the zone from the left", 174, 100, 1, 1, 175, 101, 1, -1},
        {"into the zone from below", 201, 149, 1, -1, 202, 148, 1, 1},
        {"below the zone", 200, 150, 1, -1, 201, 149, 1, -1},
        {"top edge inside the zone cancels", 300, 1, 1, -1, 301, 0, 1, -1},
        {"right edge inside the zone", 639, 101, 1, 1, 640, 102, -1, -1},
        {"destroyed stands still", 300, 300, 0, 0, 300, 300, 0, 0},
    };
    for (const BounceCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.enemy1.x = c.x, game.enemy1.y = c.y;
        game.enemy1.dx = c.dx, game.enemy1.dy = c.dy;
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.x, game.enemy1.y}), (Pair{c.endX, c.endY}));
        EXPECT_EQ((Pair{game.enemy1.dx, game.enemy1.dy}), (Pair{c.endDx, c.endDy}));
    }
}

// The enemy steps alone: nothing can destroy the enemies or start a new game.
void EnemyFrame() {
    MoveEnemiesAndLasers();
    ReturnEnemyLasersPastEdges();
    BounceEnemies();
}

TEST_F(MotionTest, UndisturbedEnemy1FirstCrossesTheZoneFromFrame4795) {
    Pair previous{game.enemy1.x, game.enemy1.y};
    for (int frame = 1; frame <= 5726; ++frame) {
        EnemyFrame();
        const auto [x, y] = Pair{game.enemy1.x, game.enemy1.y};
        if (frame < 4795 && InZone(x, y)) {
            // Until then it only meets the zone from below and turns at once.
            ASSERT_EQ((Pair{previous.second, y}), (Pair{149, 148})) << "frame " << frame;
            ASSERT_EQ(game.enemy1.dy, 1) << "frame " << frame;
        } else if (frame == 4795) {
            ASSERT_EQ((Pair{x, y}), (Pair{175, 145}));
            ASSERT_EQ(previous.first, 174); // across the left side
        } else if (frame > 4795 && frame <= 5725) {
            ASSERT_TRUE(InZone(x, y)) << "frame " << frame;
            ASSERT_EQ(y, (frame - 4795) % 2 == 0 ? 145 : 146) << "frame " << frame;
        } else if (frame == 5726) {
            ASSERT_EQ((Pair{x, y}), (Pair{174, 146}));
        }
        previous = {x, y};
    }
}

TEST_F(MotionTest, Enemy2RunsEnemy1sPathAHundredFramesAhead) {
    constexpr int kFrames = 6000;
    std::vector<EnemyState> path1;
    std::vector<EnemyState> path2;
    path1.push_back(game.enemy1);
    path2.push_back(game.enemy2);
    for (int frame = 1; frame <= kFrames + 100; ++frame) {
        EnemyFrame();
        path1.push_back(game.enemy1);
        path2.push_back(game.enemy2);
    }
    for (int frame = 0; frame <= kFrames; ++frame) {
        const EnemyState& ahead = path2[frame];
        const EnemyState& behind = path1[frame + 100];
        ASSERT_EQ((Pair{ahead.x, ahead.y}), (Pair{behind.x, behind.y})) << "frame " << frame;
        ASSERT_EQ((Pair{ahead.dx, ahead.dy}), (Pair{behind.dx, behind.dy})) << "frame " << frame;
    }
}

struct LaserReturnCase {
    const char* name;
    std::int32_t enemyX, enemyY;
    bool alive;
    int frames;            // frame in which the laser reaches the point
    std::int32_t atX, atY; // where the frame's motion takes it
    bool returns;          // sent back to its enemy in that frame
};

TEST_F(MotionTest, EnemyLaserReturnsWhenItLeavesOrEntersTheZone) {
    const std::vector<LaserReturnCase> cases = {
        {"into the zone", 500, 300, true, 51, 347, 147, true},
        {"past the left edge", 100, 400, true, 38, -14, 286, true},
        {"past the top edge", 200, 180, true, 65, 5, -15, true},
        {"destroyed enemy, into the zone", 500, 300, false, 51, 347, 147, true},
        {"destroyed enemy, past the left edge", 100, 400, false, 38, -14, 286, false},
        {"destroyed enemy below the zone holds fire", 178, 151, false, 1, 175, 148, true},
    };
    for (const LaserReturnCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 10, game.player1.y = 440;
        game.player2.x = 60, game.player2.y = 440;
        game.enemy1.x = c.enemyX, game.enemy1.y = c.enemyY;
        game.enemy1.dx = game.enemy1.dy = c.alive ? 1 : 0;
        game.enemy1.laser.x = c.enemyX, game.enemy1.laser.y = c.enemyY;
        RunFrames(c.frames - 1);
        ASSERT_EQ((Pair{game.enemy1.laser.x, game.enemy1.laser.y}), (Pair{c.atX + 3, c.atY + 3}));
        RunFrames(1);
        const Pair expected = c.returns ? Pair{game.enemy1.x, game.enemy1.y} : Pair{c.atX, c.atY};
        EXPECT_EQ((Pair{game.enemy1.laser.x, game.enemy1.laser.y}), expected);
        const std::int32_t moved = c.alive ? c.frames : 0;
        EXPECT_EQ((Pair{game.enemy1.x, game.enemy1.y}), (Pair{c.enemyX + moved, c.enemyY + moved}));
    }
}

struct LimitCase {
    const char* name;
    int player;
    std::int32_t x, y;
    SDLKey key;
    bool onX;               // the limit is on the x axis
    std::int32_t odd, even; // the coordinate after odd and even frames
    bool flipsRestingLaser; // the owner's step beyond 0 reverses it
};

TEST_F(MotionTest, PlayerPressingAgainstALimitAlternatesOnAndInsideIt) {
    const std::vector<LimitCase> cases = {
        {"left", 1, 0, 200, SDLK_LEFT, true, 1, 0, true},
        {"right", 1, 618, 200, SDLK_RIGHT, true, 617, 618, false},
        {"top", 1, 100, 0, SDLK_UP, false, 1, 0, true},
        {"bottom", 1, 100, 448, SDLK_DOWN, false, 447, 448, false},
        {"player 2, left", 2, 0, 300, SDLK_a, true, 1, 0, true},
        {"player 2, bottom", 2, 300, 448, SDLK_s, false, 447, 448, false},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        PlayerState& player = c.player == 1 ? game.player1 : game.player2;
        player.x = c.x, player.y = c.y;
        for (int frame = 1; frame <= 8; ++frame) {
            RunFrames(1, Keys({c.key}));
            ASSERT_EQ(c.onX ? player.x : player.y, frame % 2 ? c.odd : c.even) << frame;
            ASSERT_EQ(c.onX ? player.y : player.x, c.onX ? c.y : c.x) << frame;
            // Stepping to -1 happens in every odd frame and reverses the
            // resting laser there, so its sign changes every second frame.
            const bool reversed = c.flipsRestingLaser && ((frame + 1) / 2) % 2 == 1;
            ASSERT_EQ(c.onX ? player.laser.dx : player.laser.dy, reversed ? -3 : 3) << frame;
        }
    }
}

// Checkpoints: frame, position after it. The resting laser steps into the
// zone with its owner in frame 1, before the push, and is reversed there.
TEST_F(MotionTest, PlayerSlidesAlongTheZoneUntilPastIt) {
    const std::vector<std::pair<int, Pair>> right = {
        {1, {173, 102}}, {2, {174, 102}}, {49, {173, 150}}, {50, {174, 150}}, {60, {184, 150}}};
    const std::vector<std::pair<int, Pair>> up = {
        {1, {198, 150}}, {2, {198, 149}}, {25, {174, 150}}, {26, {174, 149}}, {30, {174, 145}}};
    for (const auto& [key, start, checkpoints] :
         {std::tuple{SDLK_RIGHT, Pair{174, 100}, right}, std::tuple{SDLK_UP, Pair{200, 149}, up}}) {
        SCOPED_TRACE(key == SDLK_UP ? "up against the lower side" : "right against the left side");
        Fresh();
        std::tie(game.player1.x, game.player1.y) = start;
        int frame = 0;
        for (const auto& [at, position] : checkpoints) {
            for (; frame < at; ++frame) {
                RunFrames(1, Keys({key}));
                ASSERT_FALSE(InZone(game.player1.x, game.player1.y)) << "frame " << frame + 1;
                ASSERT_TRUE(frame > 0 || game.player1.laser.dy == -3);
            }
            EXPECT_EQ((Pair{game.player1.x, game.player1.y}), position) << "frame " << at;
        }
    }
}

struct PickUpCase {
    const char* name;
    int player;
    bool dead;
    std::int32_t x, y;
    SDLKey key;
    std::int32_t flagX, flagY;
    int carries;
};

TEST_F(MotionTest, PlayerBelowAndRightOfTheFlagPicksItUp) {
    const std::vector<PickUpCase> cases = {
        {"just below and right", 1, false, 591, 431, SDLK_UNKNOWN, 590, 430, 1},
        {"same x", 1, false, 590, 431, SDLK_UNKNOWN, 590, 430, 0},
        {"same y", 1, false, 591, 430, SDLK_UNKNOWN, 590, 430, 0},
        {"pushed back from the bottom first", 1, false, 617, 448, SDLK_DOWN, 590, 447, 0},
        {"pushed back from the right first", 1, false, 618, 300, SDLK_RIGHT, 617, 200, 0},
        {"player 2", 2, false, 591, 431, SDLK_UNKNOWN, 590, 430, 1},
        {"dead player", 1, true, 591, 431, SDLK_UNKNOWN, 590, 430, 1},
    };
    for (const PickUpCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        PlayerState& player = c.player == 1 ? game.player1 : game.player2;
        PlayerState& other = c.player == 1 ? game.player2 : game.player1;
        player.x = c.x, player.y = c.y;
        player.dead = c.dead;
        game.redFlagX = c.flagX, game.redFlagY = c.flagY;
        RunFrames(1, Held(c.key));
        EXPECT_EQ(player.carryingFlag, c.carries);
        EXPECT_EQ(other.carryingFlag, 0);
        EXPECT_EQ((Pair{game.redFlagX, game.redFlagY}), (Pair{c.flagX, c.flagY}));
    }
}

struct FlightCase {
    const char* name;
    Projectile start;
    int frames;
    Projectile end;
};

TEST_F(MotionTest, PlayersLaserReflectsAtLeftTopAndZoneAndEndsPastRightOrBottom) {
    const std::vector<FlightCase> cases = {
        {"beyond the left edge", {1, 300, -3, 3, 1}, 1, {-2, 303, -3, 3, 1}},
        {"reflected at the left edge", {1, 300, -3, 3, 1}, 2, {1, 306, 3, 3, 1}},
        {"reflected at the top edge", {100, 1, 3, -3, 1}, 2, {106, 1, 3, 3, 1}},
        {"at 640 still flies", {640, 200, 3, 3, 1}, 1, {643, 203, 3, 3, 1}},
        {"at 641 ends", {638, 200, 3, 3, 1}, 2, {641, 203, 3, 3, 0}},
        {"at 480 still flies", {300, 480, 3, 3, 1}, 1, {303, 483, 3, 3, 1}},
        {"at 481 ends", {300, 478, 3, 3, 1}, 2, {303, 481, 3, 3, 0}},
        {"reflected at the zone's lower side", {300, 152, 3, -3, 1}, 3, {309, 149, 3, 3, 1}},
        {"across the zone, down", {170, 100, 3, 3, 1}, 4, {182, 106, 3, 3, 1}},
        {"across the zone, up", {170, 100, 3, 3, 1}, 5, {185, 103, 3, -3, 1}},
        {"across the zone, down again", {170, 100, 3, 3, 1}, 6, {188, 106, 3, 3, 1}},
    };
    for (const FlightCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.laser = c.start;
        RunFrames(c.frames);
        const Projectile& laser = game.player1.laser;
        EXPECT_EQ((Pair{laser.x, laser.y}), (Pair{c.end.x, c.end.y}));
        EXPECT_EQ((Pair{laser.dx, laser.dy}), (Pair{c.end.dx, c.end.dy}));
        EXPECT_EQ(laser.inFlight, c.end.inFlight);
    }
}

// Positions without a bound wrap as two's complement; the sanitizer build
// turns any signed overflow on the way into a failure.
TEST_F(MotionTest, UnboundedPositionsWrapAroundTheIntegerRange) {
    // A destroyed enemy's laser; wrapped into the zone it returns to the wreck.
    for (const auto& [start, end] : {std::pair{Pair{kMin + 1, kMin + 2}, Pair{kMax - 1, kMax}},
                                     std::pair{Pair{kMin + 1, -1000}, Pair{500, 300}}}) {
        Fresh();
        game.enemy1.dx = game.enemy1.dy = 0;
        std::tie(game.enemy1.laser.x, game.enemy1.laser.y) = start;
        RunFrames(1);
        EXPECT_EQ((Pair{game.enemy1.laser.x, game.enemy1.laser.y}), end);
    }
    // The carried flag.
    const std::vector<std::tuple<SDLKey, Pair, Pair>> flag = {
        {SDLK_RIGHT, {kMax, 100}, {kMin, 100}},
        {SDLK_LEFT, {kMin, 100}, {kMax, 100}},
        {SDLK_UP, {100, kMin}, {100, kMax}},
        {SDLK_DOWN, {100, kMax}, {100, kMin}},
    };
    for (const auto& [key, start, end] : flag) {
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player1.carryingFlag = 1;
        std::tie(game.redFlagX, game.redFlagY) = start;
        RunFrames(1, Keys({key}));
        EXPECT_EQ((Pair{game.redFlagX, game.redFlagY}), end);
    }
    // A grenade kept flying by its key.
    Fresh();
    game.player1.x = 300, game.player1.y = 300;
    game.player1.grenade = Projectile{kMax - 1, kMax, 2, 2, 1};
    RunFrames(1, Keys({SDLK_RALT}));
    EXPECT_EQ((Pair{game.player1.grenade.x, game.player1.grenade.y}), (Pair{kMin, kMin + 1}));
}

} // namespace
