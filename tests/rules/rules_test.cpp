// The rules alone, with no SDL: frames of RunRules and the rules' numbers.
#include "rules/rules.h"
#include "state_fields.h"

#include <algorithm>

namespace {

// The replay script's key names: each player's up, down, left, right,
// laser and grenade.
constexpr std::string_view kKeyNames[12] = {"up", "down", "left", "right", "space", "ralt",
                                            "w",  "s",    "a",    "d",     "lctrl", "lshift"};
constexpr bool PlayerInput::*kActions[6] = {&PlayerInput::up,    &PlayerInput::down,
                                            &PlayerInput::left,  &PlayerInput::right,
                                            &PlayerInput::laser, &PlayerInput::grenade};

FrameInput Keys(const std::string& names) {
    FrameInput input;
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        const auto key = std::find(kKeyNames, kKeyNames + 12, name) - kKeyNames;
        EXPECT_LT(key, 12) << "no key " << name;
        PlayerInput& player = key < 6 ? input.player1 : input.player2;
        if (key < 12) {
            player.*kActions[key % 6] = true;
        }
    }
    return input;
}

// The whole of a frame's record in its own order, a count with its number
// unless it is 1: "p1.kills:2 e1.destroyed e2.destroyed shown:100".
std::string Describe(const FrameEvents& e) {
    std::string out;
    const auto say = [&out](const std::string& name, std::int32_t value) {
        if (value != 0) {
            out += " " + name + (value == 1 ? "" : ":" + std::to_string(value));
        }
    };
    for (const auto& [who, p] :
         {std::pair<std::string, PlayerEvents>{"p1.", e.player1}, {"p2.", e.player2}}) {
        say(who + "laserFired", p.laserFired);
        say(who + "grenadeThrown", p.grenadeThrown);
        say(who + "grenadeBurst", p.grenadeBurst);
        say(who + "kills", p.kills);
        say(who + "died", p.died);
        say(who + "pickedUpFlag", p.pickedUpFlag);
    }
    say("e1.laserReturned", e.enemy1.laserReturned);
    say("e1.destroyed", e.enemy1.destroyed);
    say("e2.laserReturned", e.enemy2.laserReturned);
    say("e2.destroyed", e.enemy2.destroyed);
    say("flagHome", e.flagHome);
    for (int i = 0; i < e.countdownCount; ++i) {
        say("shown:" + std::to_string(e.countdownsShown[i]), 1);
    }
    say("newGame", e.newGame);
    return out.empty() ? out : out.substr(1);
}

// One frame from the start of a run: Player 1 at 0,0 and Player 2 at 50,50,
// the shots of both resting at 0,0; enemy 1 at 500,300 and enemy 2 at
// 600,400 heading down and right, their lasers on them; the flag at 590,430.
// `given` changes fields and names the keys held; `expect` names fields and,
// in words without '=', the whole of the frame's record.
struct Frame {
    const char* name;
    const char* given;
    const char* expect;
};

const Frame kFrames[] = {
    // Moves, the carried flag, triggers and resting shots.
    {"arrows move Player 1 and his laser", "p1=300,200 up right", "p1=301,199 p1.laser=301,199"},
    {"s a move Player 2 and his grenade", "s a", "p2=49,51 p2.grenade=49,51"},
    {"opposite keys cancel", "w s a d", "p2=50,50"},
    {"the dead neither move nor fire", "p2.dead=1 d lctrl lshift", "p2=50,50"},
    {"his keys steer the carried flag", "p1.carryingFlag=1 down left", "p1=1,1 redFlag=589,431"},
    {"a dead carrier's keys do not", "p1.carryingFlag=1 p1.dead=1 up", "redFlag=590,430"},
    {"two carriers steer it", "p1.carryingFlag=1 p2.carryingFlag=1 right s", "redFlag=591,431"},
    {"a non-carrier's keys do not", "p1.carryingFlag=1 d", "redFlag=590,430"},
    {"triggers launch shots", "space ralt", "p1.grenade=2,2 p1.laserFired p1.grenadeThrown"},
    {"Player 2's too", "lctrl lshift",
     "p2.laser=3,3 p2.grenade=2,2 p2.laserFired p2.grenadeThrown"},
    {"a flying laser is not fired again", "p1.laser.inFlight=1 space", "p1.laser=3,3"},
    {"nor one held stopped past x 640", "p1.laser=650,300 space", "p1.laser=650,300"},
    {"nor a grenade held past y 640", "p2.grenade=100,700 lshift", "p2.grenade=102,702"},
    {"a flying grenade keeps its blast", "p1.grenade.inFlight=1 p1.blast=9,8", "p1.blast=9,8"},
    {"a resting one parks it", "p2.blast=9,8", "p2.blast=700,700"},
    // Enemies, their lasers and the players' lasers.
    {"enemies and their lasers move", "e1.dy=-1 e2.laser.dx=1", "e1=501,299 e2.laser=599,397"},
    {"enemies turn at x 0 and x 640", "e1=1,300 e1.dx=-1 e2.x=639", "e1.dx=1 e2.dx=-1"},
    {"and at y 0 and y 480", "e1=100,1 e1.dy=-1 e2.y=479", "e1.dy=1 e2.dy=-1"},
    {"off the zone, twice at y 0", "e1=174,149 e1.dy=-1 e2=300,1 e2.dy=-1", "e1.dy=1 e2.dy=-1"},
    {"an enemy laser goes back past x -12", "e1.laser.x=-10", "e1.laser=501,301 e1.laserReturned"},
    {"or past y -12", "e2.laser=100,-10", "e2.laser=601,401 e2.laserReturned"},
    {"at -12 it flies on", "e1.laser=-9,-9", "e1.laser=-12,-12"},
    {"a wreck's flies on past it", "e1.dx=0 e1.laser=-10,-10", "e1.laser=-13,-13"},
    {"off the zone's corner it goes back", "e2.laser=178,151", "e2.laser=601,401 e2.laserReturned"},
    {"a wreck's too", "e1.dx=0 e1.laser=303,103", "e1.laser=500,301 e1.laserReturned"},
    {"lasers reflect off x -1, not x 0", "p1.x=-1 p2.x=0", "p1.laser.dx=-3 p2.laser.dx=3 p1.x=1"},
    {"off y -1, not y 0", "p1.y=-1 p2.y=0", "p1.laser.dy=-3 p2.laser.dy=3 p1.y=1"},
    {"a laser stops past x 640", "p1.laser.inFlight=1 p1.laser.x=641", "p1.laser.inFlight=0"},
    {"at x 640 it flies on", "p1.laser.inFlight=1 p1.laser.x=640", "p1.laser.x=643"},
    {"past y 480 it stops", "p2.laser.inFlight=1 p2.laser.y=481", "p2.laser.inFlight=0"},
    {"at y 480 it flies on", "p2.laser.inFlight=1 p2.laser.y=480", "p2.laser.y=483"},
    {"it reflects off the zone", "p1.laser.inFlight=1 p1.laser=175,148", "p1.laser=178,145"},
    {"twice at y -1 in the zone", "p1.laser.inFlight=1 p1.laser=300,-1", "p1.laser=303,2"},
    // Limits, the flag pick-up and grenades.
    {"players go back by 2 past x 618", "p1=619,200 p2=618,200", "p1.x=617 p2.x=618"},
    {"past y 448, dead or alive", "p1.y=449 p2.y=448 p1.dead=1", "p1.y=447 p2.y=448"},
    {"out of the zone: 2 down, 2 left", "p1=175,148 p2=174,148", "p1=173,150 p2=174,148"},
    {"175,149 is outside it", "p1=175,149", "p1=175,149"},
    {"below and right of the flag he takes it", "p1=591,431", "p1.carryingFlag=1 p1.pickedUpFlag"},
    {"level with its x or y he does not", "p1=590,431 p2=591,430", "p1.carryingFlag=0"},
    {"a dead player takes it too", "p2.dead=1 p2=591,431", "p2.carryingFlag=1 p2.pickedUpFlag"},
    {"a carrier takes it once", "p1.carryingFlag=1 p1=591,431", "p1.carryingFlag=1"},
    {"grenade past x 640", "p1.grenade.inFlight=1 p1.grenade=639,638", "p1.grenade.inFlight=0"},
    {"grenade past y 640", "p2.grenade.inFlight=1 p2.grenade=638,639", "p2.grenade.inFlight=0"},
    {"grenade at 640,640", "p1.grenade.inFlight=1 p1.grenade=638,638", "p1.grenade.inFlight=1"},
    {"a wreck's laser, a grenade and the flag wrap around",
     "e1.dx=0 e1.laser.x=-2147483647 p1.grenade.inFlight=1 p1.grenade.y=2147483647 "
     "p1.carryingFlag=1 redFlag=2147483647,-2147483648 right up",
     "e1.laser.x=2147483646 p1.grenade.y=-2147483647 redFlag=-2147483648,2147483647"},
    // Kills, each of the eight shot tests once, and deaths.
    {"laser kill: 20 + bounty 3", "e1=-2,-2",
     "e1.dx=0 e1.wreck=-1,-1 p1.exp=23 p1.kills e1.destroyed"},
    {"a dead man's laser kills: 20 + 363", "p1.dead=1 p1.bounty=120 e2=-2,-3",
     "e2.wreck=-1,-2 p1.exp=383 p1.kills e2.destroyed"},
    {"a flying laser kills and stops", "p2.laser.inFlight=1 p2.laser=7,8 e1=8,6",
     "p2.exp=23 p2.laser.inFlight=0 p2.laser=10,11 p2.kills e1.destroyed"},
    {"Player 2's laser: 20 + 39", "p2.bounty=12 e2=48,47", "p2.exp=59 p2.kills e2.destroyed"},
    {"grenade kill: 40 + 3, a blast", "p1.grenade.inFlight=1 e1=0,-1",
     "p1.exp=43 p1.blast=1,0 p1.grenade.inFlight=0 p1.grenadeBurst p1.kills e1.destroyed"},
    {"Player 1's grenade, enemy 2", "p1.grenade.inFlight=1 e2=0,-1",
     "p1.grenadeBurst p1.kills e2.destroyed"},
    {"Player 2's grenade: 40 + 12", "p2.bounty=3 p2.grenade.inFlight=1 e1=0,-1",
     "p2.exp=52 p2.blast=1,0 p2.grenadeBurst p2.kills e1.destroyed"},
    {"Player 2's grenade: 40 + 120", "p2.bounty=39 p2.grenade.inFlight=1 e2=0,-1",
     "p2.exp=160 p2.grenadeBurst p2.kills e2.destroyed"},
    {"the bounty stops at the largest value", "p1.bounty=1743392199 e1=-2,-3",
     "p1.bounty=2147483647 p1.exp=2147483647 p1.kills e1.destroyed"},
    {"a wreck is not shot again", "e1.dx=0 e1.dy=0 e1=-1,-2", "p1.exp=0"},
    {"a shot on an enemy's left or top side misses", "e1=-1,-3 e2=-2,-1", ""},
    {"on its right or bottom side", "e1=-33,-3 e2=-3,-33", ""},
    {"one pixel inside its far corner it hits", "e1=-32,-32", "p1.kills e1.destroyed"},
    {"an enemy laser kills, keeps exp, wipes bounty",
     "p1=300,200 p1.exp=75 p1.bounty=12 e1.laser=313,218",
     "p1.dead=1 p1.corpse=300,200 p1.exp=75 p1.bounty=0 e1.laser=501,301 p1.died e1.laserReturned"},
    {"it hits the dead again, no second death", "p2.dead=1 p2=100,80 e2.laser=113,98",
     "p2.corpse=100,80 e2.laser=601,401 e2.laserReturned"},
    {"a wreck's laser kills too", "e1.dx=0 e1.dy=0 p2=100,80 e1.laser=113,98",
     "p2.dead=1 e1.laser=500,300 p2.died e1.laserReturned"},
    {"back on its enemy in Player 2, it kills him too", "p1=300,200 e2.laser=313,218 p2=590,390",
     "p1.dead=1 p2.corpse=590,390 p1.died p2.died e2.laserReturned shown:100"},
    // The countdowns and the new game.
    {"flag home at 79,60: a point each, a count", "redFlag=79,60 p1.exp=2147483647 p2.dead=1",
     "restartCountdown=99 p1.exp=2147483647 p2.exp=1 shown:100"},
    {"at 80,60 it is not home", "redFlag=80,60", "restartCountdown=100"},
    {"at 60,80 neither", "redFlag=60,80", "restartCountdown=100"},
    {"both dead: a count, no points", "p1.dead=1 p2.dead=1", "p1.exp=0 shown:100"},
    {"and the flag home: two counts", "p1.dead=1 p2.dead=1 redFlag=79,60",
     "p1.exp=1 shown:100 shown:99"},
    {"out of home: count held", "restartCountdown=70 p1.carryingFlag=1 redFlag=79,10 right",
     "restartCountdown=70"},
    {"back home", "p1.carryingFlag=1 redFlag=80,10 left", "restartCountdown=99 flagHome shown:100"},
    {"a new game: no corpse, blast or carrier",
     "restartCountdown=1 redFlag=79,60 p1.corpse=9,8 p1.carryingFlag=1 p2.grenade.inFlight=1 "
     "p2.blast=9,8",
     "p1.corpse=700,700 p1.carryingFlag=0 p2.blast=700,700 redFlag=590,430 shown:1 newGame"},
    {"the enemies back, alive",
     "restartCountdown=1 redFlag=79,60 e1.x=9 e1.dx=0 e1.dy=0 e1.wreck=9,8 e2.dx=-1",
     "e1=500,300 e1.dx=1 e1.dy=1 e1.wreck=700,700 e2.dx=1 shown:1 newGame"},
    {"scores and shots stay", "restartCountdown=1 redFlag=79,60 p1.bounty=39 p1.laser.inFlight=1",
     "p1.exp=1 p1.bounty=39 p1.laser=3,3 e1.laser=497,297 shown:1 newGame"},
    {"0 starts it too", "restartCountdown=0 redFlag=79,60", "restartCountdown=100 shown:0 newGame"},
};

TEST(Rules, OneFrameFromTheStartOfARun) {
    for (const Frame& frame : kFrames) {
        SCOPED_TRACE(frame.name);
        GameState state;
        SetStartValues(state);
        std::string keys;
        for (const FieldWord& f : ReadWords(state, frame.given, &keys)) {
            if (f.field != nullptr) {
                *f.field = f.value;
            }
        }
        const FrameEvents events = RunRules(state, Keys(keys));
        std::string record;
        EXPECT_EQ(Mismatches(state, frame.expect, &record), "");
        EXPECT_EQ(Describe(events), record);
    }
}

} // namespace
