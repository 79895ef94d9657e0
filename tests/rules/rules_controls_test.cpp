// The controls: moves, the carried flag, triggers and resting shots.
#include "rules/controls.h"
#include "rules_test_support.h"

#include <vector>

namespace {

using ControlsTest = RulesTest;

constexpr Point kPlayer1At = {300, 200};
constexpr Point kPlayer2At = {100, 380};
constexpr Point kFlagAt = {400, 250};

constexpr PlayerInput kUp = {.up = true};
constexpr PlayerInput kDown = {.down = true};
constexpr PlayerInput kLeft = {.left = true};
constexpr PlayerInput kRight = {.right = true};

constexpr FrameInput kNoInput = {};
constexpr FrameInput kLaser1 = {.player1 = {.laser = true}};
constexpr FrameInput kGrenade1 = {.player1 = {.grenade = true}};

Point Moved(Point from, Point step) {
    return {from.x + step.x, from.y + step.y};
}

// What one player's held actions do to him and to the flag he carries.
struct ActionCase {
    const char* name;
    PlayerInput held;
    Point step = {0, 0};
    int laser = 0; // inFlight afterwards
    int grenade = 0;
};

const ActionCase kActionCases[] = {
    {.name = "up", .held = kUp, .step = {0, -1}},
    {.name = "down", .held = kDown, .step = {0, 1}},
    {.name = "left", .held = kLeft, .step = {-1, 0}},
    {.name = "right", .held = kRight, .step = {1, 0}},
    {.name = "up and down cancel", .held = {.up = true, .down = true}, .step = {0, 0}},
    {.name = "up and left: a diagonal step", .held = {.up = true, .left = true}, .step = {-1, -1}},
    {.name = "laser trigger", .held = {.laser = true}, .laser = 1},
    {.name = "grenade trigger", .held = {.grenade = true}, .grenade = 1},
};

// Each player in turn acts alone and carries the flag; a dead one does
// nothing at all. The input steps run in the frame's order.
TEST_F(ControlsTest, HeldActionsMoveAndLaunchForTheirLivingPlayerOnly) {
    for (const ActionCase& c : kActionCases) {
        for (int actor : {1, 2}) {
            for (int dead : {0, 1}) {
                SCOPED_TRACE(testing::Message()
                             << c.name << ", Player " << actor << ", dead " << dead);
                StartRun();
                PutAt(game.player1, kPlayer1At);
                PutAt(game.player2, kPlayer2At);
                PutFlagAt(kFlagAt);
                PlayerState& player = Player(actor);
                const PlayerState& other = Player(3 - actor);
                const Point start = PositionOf(player);
                const Point otherStart = PositionOf(other);
                player.carryingFlag = 1;
                player.dead = dead;
                FrameInput input;
                (actor == 1 ? input.player1 : input.player2) = c.held;
                MovePlayers(game, input);
                MoveCarriedFlag(game, input, &ignoredEvents);
                PullTriggers(game, input, &ignoredEvents);
                const Point step = dead ? Point{0, 0} : c.step;
                EXPECT_EQ(PositionOf(player), Moved(start, step));
                EXPECT_EQ(RedFlag(), Moved(kFlagAt, step));
                EXPECT_EQ(player.laser.inFlight, dead ? 0 : c.laser);
                EXPECT_EQ(player.grenade.inFlight, dead ? 0 : c.grenade);
                EXPECT_EQ(PositionOf(other), otherStart);
                EXPECT_EQ(other.laser.inFlight, 0);
                EXPECT_EQ(other.grenade.inFlight, 0);
            }
        }
    }
}

// Player 1 carries the flag in every row; a dead carrier is in the table above.
struct CarryCase {
    const char* name;
    PlayerInput held1 = {};
    PlayerInput held2;
    bool carries2 = true;
    Point flag; // afterwards
};

const CarryCase kCarryCases[] = {
    {.name = "only a carrier's keys move it", .held2 = kRight, .carries2 = false, .flag = kFlagAt},
    {.name = "both carry: right and left cancel", .held1 = kRight, .held2 = kLeft, .flag = kFlagAt},
    {.name = "both carry: two steps right", .held1 = kRight, .held2 = kRight, .flag = {402, 250}},
};

TEST_F(ControlsTest, EachCarriersKeysMoveTheFlag) {
    for (const CarryCase& c : kCarryCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutFlagAt(kFlagAt);
        game.player1.carryingFlag = 1;
        game.player2.carryingFlag = c.carries2;
        MoveCarriedFlag(game, {.player1 = c.held1, .player2 = c.held2}, &ignoredEvents);
        EXPECT_EQ(RedFlag(), c.flag);
    }
}

// All four shots start away from their owners and both blast markers show.
TEST_F(ControlsTest, RestingShotsJoinTheirOwnersAndGrenadesParkTheBlast) {
    constexpr Point laser1Was = {520, 130};
    constexpr Point laser2Was = {540, 150};
    constexpr Point grenade1Was = {560, 170};
    constexpr Point grenade2Was = {580, 190};
    constexpr Point blastWas = {410, 60};
    for (int lasersFly : {0, 1}) {
        for (int grenadesFly : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << "lasers fly " << lasersFly << ", grenades fly " << grenadesFly);
            PlayerState& p1 = game.player1;
            PlayerState& p2 = game.player2;
            PutAt(p1, kPlayer1At);
            PutAt(p2, kPlayer2At);
            p1.laser = {.x = laser1Was.x, .y = laser1Was.y, .inFlight = lasersFly};
            p2.laser = {.x = laser2Was.x, .y = laser2Was.y, .inFlight = lasersFly};
            p1.grenade = {.x = grenade1Was.x, .y = grenade1Was.y, .inFlight = grenadesFly};
            p2.grenade = {.x = grenade2Was.x, .y = grenade2Was.y, .inFlight = grenadesFly};
            for (PlayerState* player : {&p1, &p2}) {
                player->blastX = blastWas.x;
                player->blastY = blastWas.y;
            }
            AttachRestingProjectiles(game);
            EXPECT_EQ(PositionOf(p1.laser), lasersFly ? laser1Was : kPlayer1At);
            EXPECT_EQ(PositionOf(p2.laser), lasersFly ? laser2Was : kPlayer2At);
            EXPECT_EQ(PositionOf(p1.grenade), grenadesFly ? grenade1Was : kPlayer1At);
            EXPECT_EQ(PositionOf(p2.grenade), grenadesFly ? grenade2Was : kPlayer2At);
            EXPECT_EQ(BlastOf(p1), grenadesFly ? blastWas : kParkedPoint);
            EXPECT_EQ(BlastOf(p2), grenadesFly ? blastWas : kParkedPoint);
        }
    }
}

// Whole frames, where the order of the steps shows: triggers before the
// attachment, the bounds before the flight, the flight before the hits. A
// shot comes back in the first frame in which its key is not held.
// Player 1 stands at (20, 410); enemy 1 walks into (290, 240).
struct ShotStep {
    FrameInput input;
    Point shot; // where Player 1's shot is after the frame
    int inFlight;
};

struct ShotCase {
    const char* name;
    Projectile PlayerState::*shot;
    Projectile start;
    std::vector<ShotStep> steps;
};

const ShotCase kShotCases[] = {
    {.name = "a laser that kills flies on from the hit while its trigger is held",
     .shot = &PlayerState::laser,
     .start = {.x = 300, .y = 250, .dx = 3, .dy = 3, .inFlight = 1},
     .steps = {{.input = kLaser1, .shot = {303, 253}, .inFlight = 0},
               {.input = kLaser1, .shot = {306, 256}, .inFlight = 1}}},
    {.name = "a laser past the right edge stays there while its trigger is held",
     .shot = &PlayerState::laser,
     .start = {.x = 640, .y = 200, .dx = 3, .dy = 3, .inFlight = 1},
     .steps = {{.input = kLaser1, .shot = {643, 203}, .inFlight = 1},
               {.input = kLaser1, .shot = {643, 203}, .inFlight = 0},
               {.input = kLaser1, .shot = {643, 203}, .inFlight = 0},
               {.input = kNoInput, .shot = {20, 410}, .inFlight = 0}}},
    {.name = "a grenade past 640 moves on while its key is held",
     .shot = &PlayerState::grenade,
     .start = {.x = 639, .y = 300, .dx = 2, .dy = 2, .inFlight = 1},
     .steps = {{.input = kGrenade1, .shot = {641, 302}, .inFlight = 0},
               {.input = kGrenade1, .shot = {643, 304}, .inFlight = 0},
               {.input = kNoInput, .shot = {20, 410}, .inFlight = 0}}},
};

TEST_F(ControlsTest, ShotsFollowTheirTriggerFrameByFrame) {
    for (const ShotCase& c : kShotCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.player1, {20, 410});
        EnemyArrivesAt(game.enemy1, {290, 240});
        Projectile& shot = game.player1.*c.shot;
        shot = c.start;
        for (const ShotStep& step : c.steps) {
            RunFrames(1, step.input);
            EXPECT_EQ(PositionOf(shot), step.shot);
            EXPECT_EQ(shot.inFlight, step.inFlight);
        }
    }
}

// Player 1 stands at (600, 280) with his grenade resting on him and his
// laser away; enemy 1 walks into him at (585, 262) and is blown up there.
// The blast shows over the wreck until the grenade is back with its owner;
// then it is parked and the wreck shows whole again.
struct BlastCase {
    const char* name;
    int framesHeld;    // after the kill, with the grenade key held
    int framesShowing; // after the kill, with the blast still shown
};

const BlastCase kBlastCases[] = {
    {.name = "key released: the grenade is back at once", .framesHeld = 0, .framesShowing = 0},
    {.name = "key held: the grenade flies until x 642", .framesHeld = 1, .framesShowing = 21},
};

TEST_F(ControlsTest, BlastVanishesWhenItsGrenadeComesBack) {
    constexpr Point playerAt = {600, 280};
    constexpr Point blastAt = {585, 262};
    for (const BlastCase& c : kBlastCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.player1, playerAt);
        game.player1.laser = {.x = 20, .y = 100, .dx = 3, .dy = 3, .inFlight = 1};
        EnemyArrivesAt(game.enemy1, blastAt);
        RunFrames(1);
        ASSERT_EQ(BlastOf(game.player1), blastAt);
        EXPECT_TRUE(ShowsImage(images.player1Blast, blastAt));
        for (int frame = 1; frame <= c.framesShowing; ++frame) {
            RunFrames(1, frame <= c.framesHeld ? kGrenade1 : kNoInput);
            ASSERT_EQ(BlastOf(game.player1), blastAt) << "frame " << frame << " after the kill";
        }
        RunFrames(1);
        EXPECT_EQ(PositionOf(game.player1.grenade), playerAt);
        EXPECT_EQ(BlastOf(game.player1), kParkedPoint);
        EXPECT_FALSE(ShowsImage(images.player1Blast, blastAt));
        EXPECT_TRUE(ShowsImage(images.enemy1Wreck, blastAt));
    }
}

} // namespace
