// Which sound each event of a frame makes, and where.
#include "sound/cues.h"

#include "rules/geometry.h"

#include <algorithm>

namespace {

float PanAt(std::int32_t x) {
    const float middle = kScreenWidth / 2.0f;
    return std::clamp((static_cast<float>(x) - middle) / middle, -1.0f, 1.0f);
}

void Add(FrameCues* cues, SoundId sound, std::int32_t x) {
    for (int i = 0; i < cues->count; ++i) {
        if (cues->cues[i].sound == sound) {
            return;
        }
    }
    cues->cues[cues->count] = SoundCue{sound, PanAt(x)};
    cues->count += 1;
}

void AddPlayer(FrameCues* cues, const PlayerEvents& happened, const PlayerState& player,
               SoundId laser) {
    if (happened.laserFired) {
        Add(cues, laser, player.x);
    }
    if (happened.grenadeThrown) {
        Add(cues, SoundId::kGrenadeThrow, player.x);
    }
    if (happened.grenadeBurst) {
        Add(cues, SoundId::kGrenadeBurst, player.blastX);
    }
    if (happened.died) {
        Add(cues, SoundId::kPlayerKilled, player.corpseX);
    }
    if (happened.pickedUpFlag) {
        Add(cues, SoundId::kFlagPickup, player.x);
    }
}

void AddEnemy(FrameCues* cues, const EnemyEvents& happened, const EnemyState& enemy) {
    if (happened.laserReturned) {
        Add(cues, SoundId::kEnemyLaser, enemy.x);
    }
    if (happened.destroyed) {
        Add(cues, SoundId::kEnemyKilled, enemy.wreckX);
    }
}

void AddCountdown(FrameCues* cues, const FrameEvents& events) {
    constexpr std::int32_t kMiddle = kScreenWidth / 2;
    for (int i = 0; i < events.countdownCount; ++i) {
        const std::int32_t count = events.countdownsShown[i];
        if (count == kLastTickAt) {
            Add(cues, SoundId::kLastTick, kMiddle);
        } else if (count > kLastTickAt && count % kTickEvery == 0) {
            Add(cues, SoundId::kTick, kMiddle);
        }
    }
    if (events.newGame) {
        Add(cues, SoundId::kNewGame, kMiddle);
    }
}

} // namespace

FrameCues CuesOfFrame(const FrameEvents& events, const GameState& state) {
    FrameCues cues;
    AddPlayer(&cues, events.player1, state.player1, SoundId::kLaser1);
    AddPlayer(&cues, events.player2, state.player2, SoundId::kLaser2);
    AddEnemy(&cues, events.enemy1, state.enemy1);
    AddEnemy(&cues, events.enemy2, state.enemy2);
    if (events.flagHome) {
        Add(&cues, SoundId::kFlagHome, state.redFlagX);
    }
    AddCountdown(&cues, events);
    return cues;
}
