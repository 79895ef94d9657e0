// What a frame sounds like: the frame's record, and the state for where
// things happened, turned into sounds to start. Pure: the rules never play,
// and the same record always gives the same cues.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"

enum class SoundId {
    kLaser1,
    kLaser2,
    kEnemyLaser,
    kGrenadeThrow,
    kGrenadeBurst,
    kEnemyKilled,
    kPlayerKilled,
    kFlagPickup,
    kFlagHome,
    kTick,
    kLastTick,
    kNewGame,
    kCount,
};

inline constexpr int kSoundCount = static_cast<int>(SoundId::kCount);

// The files in Sounds/, in SoundId's order.
inline constexpr const char* kSoundFiles[kSoundCount] = {
    "laser1.wav",        "laser2.wav",       "enemy-laser.wav",   "grenade-throw.wav",
    "grenade-burst.wav", "enemy-killed.wav", "player-killed.wav", "flag-pickup.wav",
    "flag-home.wav",     "tick.wav",         "tick-last.wav",     "new-game.wav",
};

struct SoundCue {
    SoundId sound = SoundId::kTick;
    float pan = 0; // -1 at the field's left edge, 1 at its right
};

// At most one cue of each sound a frame: the same sound started twice in
// one frame plays once, where the first of them happened.
struct FrameCues {
    SoundCue cues[kSoundCount];
    int count = 0;
};

// The countdown ticks at these counts; the last of them is higher.
inline constexpr int kTickEvery = 20;
inline constexpr int kLastTickAt = 20;

FrameCues CuesOfFrame(const FrameEvents& events, const GameState& state);
