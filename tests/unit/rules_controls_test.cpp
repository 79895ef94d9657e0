// The controls: moves, the carried flag, triggers and resting shots.
#include "game/controls.h"
#include "rules_test_support.h"

#include <vector>

namespace {

using ControlsTest = RulesTest;

constexpr Point kPlayer1At = {300, 200};
constexpr Point kPlayer2At = {100, 380};
constexpr Point kFlagAt = {400, 250};

constexpr FrameInput kNoInput = {};
constexpr FrameInput kLaser1 = {.player1 = {.laser = true}};
constexpr FrameInput kGrenade1 = {.player1 = {.grenade = true}};
constexpr PlayerInput kAllTriggers = {.laser = true, .grenade = true};

// A laser in flight far from every enemy, so that it takes nobody.
constexpr Projectile kLaserFarAway = {.x = 20, .y = 100, .dx = 3, .dy = 3, .inFlight = 1};

struct MoveCase {
    const char* name;
    FrameInput input;
    bool player1Dead = false;
    bool player2Dead = false;
    Point player1; // where each player stands afterwards
    Point player2;
};

const MoveCase kMoveCases[] = {
    {.name = "up moves Player 1 up",
     .input = {.player1 = {.up = true}},
     .player1 = {300, 199},
     .player2 = kPlayer2At},
    {.name = "down moves Player 1 down",
     .input = {.player1 = {.down = true}},
     .player1 = {300, 201},
     .player2 = kPlayer2At},
    {.name = "left moves Player 1 left",
     .input = {.player1 = {.left = true}},
     .player1 = {299, 200},
     .player2 = kPlayer2At},
    {.name = "right moves Player 1 right",
     .input = {.player1 = {.right = true}},
     .player1 = {301, 200},
     .player2 = kPlayer2At},
    {.name = "up moves Player 2 up",
     .input = {.player2 = {.up = true}},
     .player1 = kPlayer1At,
     .player2 = {100, 379}},
    {.name = "down moves Player 2 down",
     .input = {.player2 = {.down = true}},
     .player1 = kPlayer1At,
     .player2 = {100, 381}},
    {.name = "left moves Player 2 left",
     .input = {.player2 = {.left = true}},
     .player1 = kPlayer1At,
     .player2 = {99, 380}},
    {.name = "right moves Player 2 right",
     .input = {.player2 = {.right = true}},
     .player1 = kPlayer1At,
     .player2 = {101, 380}},
    {.name = "up and down cancel",
     .input = {.player1 = {.up = true, .down = true}},
     .player1 = kPlayer1At,
     .player2 = kPlayer2At},
    {.name = "up and left make one diagonal step",
     .input = {.player1 = {.up = true, .left = true}},
     .player1 = {299, 199},
     .player2 = kPlayer2At},
    {.name = "a dead Player 1 does not move",
     .input = {.player1 = {.up = true, .right = true}, .player2 = {.down = true}},
     .player1Dead = true,
     .player1 = kPlayer1At,
     .player2 = {100, 381}},
    {.name = "a dead Player 2 does not move",
     .input = {.player1 = {.down = true}, .player2 = {.up = true, .left = true}},
     .player2Dead = true,
     .player1 = {300, 201},
     .player2 = kPlayer2At},
};

TEST_F(ControlsTest, HeldDirectionsMoveTheirLivingPlayerOnePixel) {
    for (const MoveCase& c : kMoveCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.player1, kPlayer1At);
        PutAt(game.player2, kPlayer2At);
        game.player1.dead = c.player1Dead;
        game.player2.dead = c.player2Dead;
        MovePlayers(c.input);
        EXPECT_EQ(PositionOf(game.player1), c.player1);
        EXPECT_EQ(PositionOf(game.player2), c.player2);
    }
}

struct FlagCase {
    const char* name;
    FrameInput input;
    bool player1Carries = false;
    bool player2Carries = false;
    bool player1Dead = false;
    Point flag; // afterwards
};

const FlagCase kFlagCases[] = {
    {.name = "Player 1 carries: up",
     .input = {.player1 = {.up = true}},
     .player1Carries = true,
     .flag = {400, 249}},
    {.name = "Player 1 carries: down",
     .input = {.player1 = {.down = true}},
     .player1Carries = true,
     .flag = {400, 251}},
    {.name = "Player 1 carries: left",
     .input = {.player1 = {.left = true}},
     .player1Carries = true,
     .flag = {399, 250}},
    {.name = "Player 1 carries: right",
     .input = {.player1 = {.right = true}},
     .player1Carries = true,
     .flag = {401, 250}},
    {.name = "Player 2 carries: up",
     .input = {.player2 = {.up = true}},
     .player2Carries = true,
     .flag = {400, 249}},
    {.name = "Player 2 carries: down",
     .input = {.player2 = {.down = true}},
     .player2Carries = true,
     .flag = {400, 251}},
    {.name = "Player 2 carries: left",
     .input = {.player2 = {.left = true}},
     .player2Carries = true,
     .flag = {399, 250}},
    {.name = "Player 2 carries: right",
     .input = {.player2 = {.right = true}},
     .player2Carries = true,
     .flag = {401, 250}},
    {.name = "nobody carries: no key moves the flag",
     .input = {.player1 = {.right = true}, .player2 = {.up = true}},
     .flag = kFlagAt},
    {.name = "only the carrier's keys move it",
     .input = {.player2 = {.right = true}},
     .player1Carries = true,
     .flag = kFlagAt},
    {.name = "both carry: right and left cancel",
     .input = {.player1 = {.right = true}, .player2 = {.left = true}},
     .player1Carries = true,
     .player2Carries = true,
     .flag = kFlagAt},
    {.name = "both carry: right and right make two steps",
     .input = {.player1 = {.right = true}, .player2 = {.right = true}},
     .player1Carries = true,
     .player2Carries = true,
     .flag = {402, 250}},
    {.name = "a dead carrier no longer moves it",
     .input = {.player1 = {.right = true}},
     .player1Carries = true,
     .player1Dead = true,
     .flag = kFlagAt},
    {.name = "beside a dead carrier the living one still does",
     .input = {.player1 = {.right = true}, .player2 = {.down = true}},
     .player1Carries = true,
     .player2Carries = true,
     .player1Dead = true,
     .flag = {400, 251}},
};

TEST_F(ControlsTest, CarriedFlagFollowsItsLivingCarriersKeys) {
    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        game.redFlagX = kFlagAt.x;
        game.redFlagY = kFlagAt.y;
        game.player1.carryingFlag = c.player1Carries;
        game.player2.carryingFlag = c.player2Carries;
        game.player1.dead = c.player1Dead;
        MoveCarriedFlag(c.input);
        EXPECT_EQ(RedFlag(), c.flag);
    }
}

// The inFlight flags of the four shots.
struct Flights {
    int laser1 = 0;
    int grenade1 = 0;
    int laser2 = 0;
    int grenade2 = 0;
};

struct TriggerCase {
    const char* name;
    FrameInput input;
    bool player1Dead = false;
    bool player2Dead = false;
    Flights flying; // afterwards
};

const TriggerCase kTriggerCases[] = {
    {.name = "Player 1's laser", .input = kLaser1, .flying = {.laser1 = 1}},
    {.name = "Player 1's grenade", .input = kGrenade1, .flying = {.grenade1 = 1}},
    {.name = "Player 2's laser", .input = {.player2 = {.laser = true}}, .flying = {.laser2 = 1}},
    {.name = "Player 2's grenade",
     .input = {.player2 = {.grenade = true}},
     .flying = {.grenade2 = 1}},
    {.name = "a dead Player 1 launches nothing",
     .input = {.player1 = kAllTriggers, .player2 = kAllTriggers},
     .player1Dead = true,
     .flying = {.laser2 = 1, .grenade2 = 1}},
    {.name = "a dead Player 2 launches nothing",
     .input = {.player1 = kAllTriggers, .player2 = kAllTriggers},
     .player2Dead = true,
     .flying = {.laser1 = 1, .grenade1 = 1}},
};

TEST_F(ControlsTest, TriggersLaunchOnlyForTheirLivingOwner) {
    for (const TriggerCase& c : kTriggerCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        game.player1.dead = c.player1Dead;
        game.player2.dead = c.player2Dead;
        PullTriggers(c.input);
        EXPECT_EQ(game.player1.laser.inFlight, c.flying.laser1);
        EXPECT_EQ(game.player1.grenade.inFlight, c.flying.grenade1);
        EXPECT_EQ(game.player2.laser.inFlight, c.flying.laser2);
        EXPECT_EQ(game.player2.grenade.inFlight, c.flying.grenade2);
    }
}

// Every shot starts away from its owner, and each blast marker shows.
constexpr Point kLaser1Was = {520, 130};
constexpr Point kLaser2Was = {540, 150};
constexpr Point kGrenade1Was = {560, 170};
constexpr Point kGrenade2Was = {580, 190};
constexpr Point kBlast1Was = {410, 60};
constexpr Point kBlast2Was = {430, 80};

struct AttachCase {
    const char* name;
    int lasersInFlight;
    int grenadesInFlight;
    Point laser1; // afterwards
    Point laser2;
    Point grenade1;
    Point grenade2;
    Point blast1;
    Point blast2;
};

const AttachCase kAttachCases[] = {
    {.name = "resting shots join their owners and the blasts are parked",
     .lasersInFlight = 0,
     .grenadesInFlight = 0,
     .laser1 = kPlayer1At,
     .laser2 = kPlayer2At,
     .grenade1 = kPlayer1At,
     .grenade2 = kPlayer2At,
     .blast1 = kParkedPoint,
     .blast2 = kParkedPoint},
    {.name = "shots in flight stay where they are, and so do the blasts",
     .lasersInFlight = 1,
     .grenadesInFlight = 1,
     .laser1 = kLaser1Was,
     .laser2 = kLaser2Was,
     .grenade1 = kGrenade1Was,
     .grenade2 = kGrenade2Was,
     .blast1 = kBlast1Was,
     .blast2 = kBlast2Was},
    {.name = "resting lasers join their owners while the grenades fly",
     .lasersInFlight = 0,
     .grenadesInFlight = 1,
     .laser1 = kPlayer1At,
     .laser2 = kPlayer2At,
     .grenade1 = kGrenade1Was,
     .grenade2 = kGrenade2Was,
     .blast1 = kBlast1Was,
     .blast2 = kBlast2Was},
};

TEST_F(ControlsTest, RestingShotsRideWithTheirOwnerAndParkTheBlast) {
    for (const AttachCase& c : kAttachCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PlayerState& p1 = game.player1;
        PlayerState& p2 = game.player2;
        PutAt(p1, kPlayer1At);
        PutAt(p2, kPlayer2At);
        PutAt(p1.laser, kLaser1Was);
        PutAt(p2.laser, kLaser2Was);
        PutAt(p1.grenade, kGrenade1Was);
        PutAt(p2.grenade, kGrenade2Was);
        p1.blastX = kBlast1Was.x;
        p1.blastY = kBlast1Was.y;
        p2.blastX = kBlast2Was.x;
        p2.blastY = kBlast2Was.y;
        p1.laser.inFlight = c.lasersInFlight;
        p2.laser.inFlight = c.lasersInFlight;
        p1.grenade.inFlight = c.grenadesInFlight;
        p2.grenade.inFlight = c.grenadesInFlight;
        AttachRestingProjectiles();
        EXPECT_EQ(PositionOf(p1.laser), c.laser1);
        EXPECT_EQ(PositionOf(p2.laser), c.laser2);
        EXPECT_EQ(PositionOf(p1.grenade), c.grenade1);
        EXPECT_EQ(PositionOf(p2.grenade), c.grenade2);
        EXPECT_EQ(BlastOf(p1), c.blast1);
        EXPECT_EQ(BlastOf(p2), c.blast2);
    }
}

// Whole frames, where the order of the steps shows: triggers before the
// attachment, the bounds before the flight, the flight before the hits.
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
     .steps = {{kLaser1, {303, 253}, 0}, {kLaser1, {306, 256}, 1}}},
    {.name = "a laser that kills comes back once its trigger is released",
     .shot = &PlayerState::laser,
     .start = {.x = 300, .y = 250, .dx = 3, .dy = 3, .inFlight = 1},
     .steps = {{kLaser1, {303, 253}, 0}, {kNoInput, {20, 410}, 0}}},
    {.name = "a laser past the right edge stays there while its trigger is held",
     .shot = &PlayerState::laser,
     .start = {.x = 640, .y = 200, .dx = 3, .dy = 3, .inFlight = 1},
     .steps = {{kLaser1, {643, 203}, 1},
               {kLaser1, {643, 203}, 0},
               {kLaser1, {643, 203}, 0},
               {kNoInput, {20, 410}, 0}}},
    {.name = "a laser flying left is drawn past the edge, then reflected",
     .shot = &PlayerState::laser,
     .start = {.x = 1, .y = 300, .dx = -3, .dy = 3, .inFlight = 1},
     .steps = {{kNoInput, {-2, 303}, 1}, {kNoInput, {1, 306}, 1}}},
    {.name = "a launch leaves from the last attachment, not from the moved owner",
     .shot = &PlayerState::laser,
     .start = {.dx = 3, .dy = 3},
     .steps = {{kNoInput, {20, 410}, 0},
               {{.player1 = {.right = true, .laser = true}}, {23, 413}, 1}}},
    {.name = "in a run's first frame a launch leaves from the record's (0, 0)",
     .shot = &PlayerState::laser,
     .start = {.dx = 3, .dy = 3},
     .steps = {{kLaser1, {3, 3}, 1}}},
    {.name = "a grenade past 640 moves on while its key is held",
     .shot = &PlayerState::grenade,
     .start = {.x = 639, .y = 300, .dx = 2, .dy = 2, .inFlight = 1},
     .steps = {{kGrenade1, {641, 302}, 0}, {kGrenade1, {643, 304}, 0}, {kNoInput, {20, 410}, 0}}},
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

// Player 1 stands at (600, 280) with his grenade resting on him; enemy 1
// walks into him at (585, 262) and is blown up there. The blast shows over
// the wreck until the grenade is back with its owner; then it is parked and
// the wreck shows whole again.
constexpr Point kBlastPlayerAt = {600, 280};
constexpr Point kBlastAt = {585, 262};

struct BlastCase {
    const char* name;
    int framesHeld;    // after the kill, with the grenade key held
    int framesShowing; // after the kill, with the blast still shown
};

const BlastCase kBlastCases[] = {
    {.name = "key released: the grenade is back in the next frame",
     .framesHeld = 0,
     .framesShowing = 0},
    {.name = "key held: the grenade flies on and is back after leaving at 642",
     .framesHeld = 1,
     .framesShowing = 21},
};

TEST_F(ControlsTest, BlastVanishesWhenItsGrenadeComesBack) {
    for (const BlastCase& c : kBlastCases) {
        SCOPED_TRACE(c.name);
        StartRun();
        PutAt(game.player1, kBlastPlayerAt);
        game.player1.laser = kLaserFarAway;
        EnemyArrivesAt(game.enemy1, kBlastAt);
        RunFrames(1);
        ASSERT_EQ(BlastOf(game.player1), kBlastAt);
        EXPECT_TRUE(ShowsImage(images.player1Blast, kBlastAt));
        for (int frame = 1; frame <= c.framesShowing; ++frame) {
            RunFrames(1, frame <= c.framesHeld ? kGrenade1 : kNoInput);
            ASSERT_EQ(BlastOf(game.player1), kBlastAt) << "frame " << frame << " after the kill";
        }
        RunFrames(1);
        EXPECT_EQ(PositionOf(game.player1.grenade), kBlastPlayerAt);
        EXPECT_EQ(BlastOf(game.player1), kParkedPoint);
        EXPECT_FALSE(ShowsImage(images.player1Blast, kBlastAt));
        EXPECT_TRUE(ShowsImage(images.enemy1Wreck, kBlastAt));
    }
}

} // namespace
