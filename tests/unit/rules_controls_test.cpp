// The controls: movement keys, the carried flag, triggers and the way resting
// projectiles ride with their owners, driven through whole frames.
#include "game_fixture.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

class ControlsTest : public GameTest {
  protected:
    static void Fresh() {
        game = GameState{};
        SetStartValues();
    }
};

using Point = std::pair<std::int32_t, std::int32_t>;

Point Pos(const PlayerState& p) {
    return {p.x, p.y};
}
Point Pos(const Projectile& p) {
    return {p.x, p.y};
}

struct KeyCase {
    const char* name;
    std::vector<SDLKey> keys;
    int deadPlayer; // 0: both alive, 1 or 2: that player is dead
    Point move1, move2;
    int laser1, grenade1, laser2, grenade2; // inFlight after the frame
};

// Each row starts one idle frame after the start, so every projectile rests
// on its owner; a launch then starts from there and flies one step at once.
TEST_F(ControlsTest, KeysMoveAndLaunchOnlyForTheirLivingPlayer) {
    const std::vector<KeyCase> cases = {
        {"up", {SDLK_UP}, 0, {0, -1}, {0, 0}, 0, 0, 0, 0},
        {"down", {SDLK_DOWN}, 0, {0, 1}, {0, 0}, 0, 0, 0, 0},
        {"left", {SDLK_LEFT}, 0, {-1, 0}, {0, 0}, 0, 0, 0, 0},
        {"right", {SDLK_RIGHT}, 0, {1, 0}, {0, 0}, 0, 0, 0, 0},
        {"up and down cancel", {SDLK_UP, SDLK_DOWN}, 0, {0, 0}, {0, 0}, 0, 0, 0, 0},
        {"up and left", {SDLK_UP, SDLK_LEFT}, 0, {-1, -1}, {0, 0}, 0, 0, 0, 0},
        {"w", {SDLK_w}, 0, {0, 0}, {0, -1}, 0, 0, 0, 0},
        {"s", {SDLK_s}, 0, {0, 0}, {0, 1}, 0, 0, 0, 0},
        {"a", {SDLK_a}, 0, {0, 0}, {-1, 0}, 0, 0, 0, 0},
        {"d", {SDLK_d}, 0, {0, 0}, {1, 0}, 0, 0, 0, 0},
        {"space", {SDLK_SPACE}, 0, {0, 0}, {0, 0}, 1, 0, 0, 0},
        {"right alt", {SDLK_RALT}, 0, {0, 0}, {0, 0}, 0, 1, 0, 0},
        {"left ctrl", {SDLK_LCTRL}, 0, {0, 0}, {0, 0}, 0, 0, 1, 0},
        {"left shift", {SDLK_LSHIFT}, 0, {0, 0}, {0, 0}, 0, 0, 0, 1},
        {"dead player 1",
         {SDLK_UP, SDLK_LEFT, SDLK_SPACE, SDLK_RALT},
         1,
         {0, 0},
         {0, 0},
         0,
         0,
         0,
         0},
        {"dead player 2", {SDLK_s, SDLK_d, SDLK_LCTRL, SDLK_LSHIFT}, 2, {0, 0}, {0, 0}, 0, 0, 0, 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player2.x = 300, game.player2.y = 360;
        game.player1.dead = c.deadPlayer == 1;
        game.player2.dead = c.deadPlayer == 2;
        RunFrames(1);
        KeyState keys;
        for (SDLKey key : c.keys) {
            keys.down[key] = 1;
        }
        RunFrames(1, keys);
        EXPECT_EQ(Pos(game.player1), (Point{300 + c.move1.first, 300 + c.move1.second}));
        EXPECT_EQ(Pos(game.player2), (Point{300 + c.move2.first, 360 + c.move2.second}));
        EXPECT_EQ(game.player1.laser.inFlight, c.laser1);
        EXPECT_EQ(game.player1.grenade.inFlight, c.grenade1);
        EXPECT_EQ(game.player2.laser.inFlight, c.laser2);
        EXPECT_EQ(game.player2.grenade.inFlight, c.grenade2);
        // A launch starts from the owner's place of the previous frame.
        EXPECT_EQ(Pos(game.player1.laser), (c.laser1 ? Point{303, 303} : Pos(game.player1)));
        EXPECT_EQ(Pos(game.player1.grenade), (c.grenade1 ? Point{302, 302} : Pos(game.player1)));
        EXPECT_EQ(Pos(game.player2.laser), (c.laser2 ? Point{303, 363} : Pos(game.player2)));
        EXPECT_EQ(Pos(game.player2.grenade), (c.grenade2 ? Point{302, 362} : Pos(game.player2)));
    }
}

TEST_F(ControlsTest, LaunchStartsFromWhereTheShotLastRested) {
    // In the very first frame nothing has rested on Player 2 yet: his shots
    // leave from the record's 0, 0, not from him at 50, 50.
    RunFrames(1, Keys({SDLK_LCTRL, SDLK_LSHIFT}));
    EXPECT_EQ(Pos(game.player2.laser), (Point{3, 3}));
    EXPECT_EQ(Pos(game.player2.grenade), (Point{2, 2}));

    // The owner's own step in the launch frame does not count.
    Fresh();
    RunFrames(1);
    RunFrames(1, Keys({SDLK_d, SDLK_s, SDLK_LCTRL}));
    EXPECT_EQ(Pos(game.player2), (Point{51, 51}));
    EXPECT_EQ(Pos(game.player2.laser), (Point{53, 53}));
}

struct FlagCase {
    const char* name;
    int carrier1, carrier2, dead1;
    std::vector<SDLKey> keys;
    Point move;
};

TEST_F(ControlsTest, FlagFollowsTheLivingCarriersKeys) {
    const std::vector<FlagCase> cases = {
        {"both carry, right and a cancel", 1, 1, 0, {SDLK_RIGHT, SDLK_a}, {0, 0}},
        {"both carry, right and d add up", 1, 1, 0, {SDLK_RIGHT, SDLK_d}, {2, 0}},
        {"both carry, up and s cancel", 1, 1, 0, {SDLK_UP, SDLK_s}, {0, 0}},
        {"player 1 carries, player 2's keys do nothing", 1, 0, 0, {SDLK_d, SDLK_w}, {0, 0}},
        {"player 2 carries", 0, 1, 0, {SDLK_w, SDLK_a}, {-1, -1}},
        {"player 1 carries, up and left", 1, 0, 0, {SDLK_UP, SDLK_LEFT}, {-1, -1}},
        {"dead carrier", 1, 0, 1, {SDLK_RIGHT, SDLK_DOWN}, {0, 0}},
        {"dead carrier, living second carrier", 1, 1, 1, {SDLK_RIGHT, SDLK_d}, {1, 0}},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        game.player1.x = 300, game.player1.y = 300;
        game.player2.x = 300, game.player2.y = 360;
        game.player1.carryingFlag = c.carrier1;
        game.player2.carryingFlag = c.carrier2;
        game.player1.dead = c.dead1;
        game.redFlagX = 400, game.redFlagY = 400;
        KeyState keys;
        for (SDLKey key : c.keys) {
            keys.down[key] = 1;
        }
        RunFrames(1, keys);
        EXPECT_EQ(game.redFlagX, 400 + c.move.first);
        EXPECT_EQ(game.redFlagY, 400 + c.move.second);
    }
}

TEST_F(ControlsTest, CarrierHeldAtTheRightLimitLeavesTheFlagMovingOn) {
    game.player1.x = 618, game.player1.y = 200;
    game.player1.carryingFlag = 1;
    game.redFlagX = 600, game.redFlagY = 200;
    for (int frame = 1; frame <= 60; ++frame) {
        RunFrames(1, Keys({SDLK_RIGHT}));
        ASSERT_EQ(game.player1.x, frame % 2 == 1 ? 617 : 618) << "frame " << frame;
        ASSERT_EQ(game.redFlagX, 600 + frame) << "frame " << frame;
        ASSERT_EQ(game.redFlagY, 200);
    }
}

TEST_F(ControlsTest, LaserHeldThroughAKillFliesOnFromTheHitPoint) {
    for (bool held : {true, false}) {
        SCOPED_TRACE(held ? "space held" : "space released");
        Fresh();
        game.player1.x = 10, game.player1.y = 400;
        game.player1.laser = Projectile{300, 300, 3, 3, 1};
        game.enemy1.x = 290, game.enemy1.y = 290;
        game.enemy1.laser.x = 290, game.enemy1.laser.y = 290;
        const KeyState keys = held ? Keys({SDLK_SPACE}) : Keys();
        RunFrames(1, keys);
        ASSERT_EQ(game.enemy1.dx, 0);
        EXPECT_EQ(Pos(game.player1.laser), (Point{303, 303}));
        RunFrames(1, keys);
        EXPECT_EQ(Pos(game.player1.laser), (held ? Point{306, 306} : Point{10, 400}));
        EXPECT_EQ(game.player1.laser.inFlight, held ? 1 : 0);
        EXPECT_EQ(game.player1.exp, 23);
    }
}

TEST_F(ControlsTest, LaserHeldPastTheRightEdgeWaitsThereUntilReleased) {
    game.player1.x = 10, game.player1.y = 400;
    game.player1.laser = Projectile{640, 200, 3, 3, 1};
    for (int frame = 1; frame <= 5; ++frame) {
        RunFrames(1, Keys({SDLK_SPACE}));
        ASSERT_EQ(Pos(game.player1.laser), (Point{643, 203})) << "frame " << frame;
        ASSERT_EQ(game.player1.laser.inFlight, frame == 1 ? 1 : 0) << "frame " << frame;
    }
    RunFrames(1);
    EXPECT_EQ(Pos(game.player1.laser), (Point{10, 400}));
}

TEST_F(ControlsTest, GrenadeKeyHeldAfterTheExitKeepsItFlyingAndTheBlastShown) {
    game.player1.x = 10, game.player1.y = 400;
    game.player1.grenade = Projectile{639, 100, 2, 2, 1};
    game.player1.blastX = 250, game.player1.blastY = 260;
    for (int frame = 1; frame <= 4; ++frame) {
        RunFrames(1, Keys({SDLK_RALT}));
        ASSERT_EQ(Pos(game.player1.grenade), (Point{639 + 2 * frame, 100 + 2 * frame}));
        ASSERT_EQ(game.player1.grenade.inFlight, 0);
        ASSERT_EQ(game.player1.blastX, 250);
        ASSERT_EQ(game.player1.blastY, 260);
    }
    RunFrames(1);
    EXPECT_EQ(Pos(game.player1.grenade), (Point{10, 400}));
    EXPECT_EQ(game.player1.blastX, kParked);
    EXPECT_EQ(game.player1.blastY, kParked);
}

} // namespace
