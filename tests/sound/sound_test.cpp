// Which events make which sound, once a frame and where they happened; a
// mixer that caps its voices and stays under full scale in the worst frame;
// every generated sound told apart from the others by what can be measured.
#include "sound/cues.h"
#include "sound/sound.h"
#include "sound/wav_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct CueCase {
    const char* name;
    std::function<void(FrameEvents&)> happen;
    std::vector<SoundId> heard;
};

// The start state: Player 1 at the left edge, the rest further right.
TEST(Cues, EachEventSoundsOnceAFrame) {
    using S = SoundId;
    const CueCase cases[] = {
        {"Player 1's laser", [](FrameEvents& e) { e.player1.laserFired = true; }, {S::kLaser1}},
        {"both lasers",
         [](FrameEvents& e) { e.player1.laserFired = e.player2.laserFired = true; },
         {S::kLaser1, S::kLaser2}},
        {"two grenades, one sound",
         [](FrameEvents& e) { e.player1.grenadeThrown = e.player2.grenadeThrown = true; },
         {S::kGrenadeThrow}},
        {"two enemy lasers, one sound",
         [](FrameEvents& e) { e.enemy1.laserReturned = e.enemy2.laserReturned = true; },
         {S::kEnemyLaser}},
        {"a kill by a grenade",
         [](FrameEvents& e) { e.player2.grenadeBurst = e.enemy1.destroyed = true; },
         {S::kGrenadeBurst, S::kEnemyKilled}},
        {"a death", [](FrameEvents& e) { e.player2.died = true; }, {S::kPlayerKilled}},
        {"the flag taken and home",
         [](FrameEvents& e) { e.player1.pickedUpFlag = e.flagHome = true; },
         {S::kFlagPickup, S::kFlagHome}},
        {"a count between ticks",
         [](FrameEvents& e) { e.countdownsShown[e.countdownCount++] = 99; },
         {}},
        {"a tick", [](FrameEvents& e) { e.countdownsShown[e.countdownCount++] = 100; }, {S::kTick}},
        {"the last tick, then a new game",
         [](FrameEvents& e) {
             e.countdownsShown[e.countdownCount++] = 20;
             e.newGame = true;
         },
         {S::kLastTick, S::kNewGame}},
    };
    GameState state;
    SetStartValues(state);
    for (const CueCase& c : cases) {
        FrameEvents events;
        c.happen(events);
        const FrameCues cues = CuesOfFrame(events, state);
        std::vector<SoundId> heard;
        for (int i = 0; i < cues.count; ++i) {
            heard.push_back(cues.cues[i].sound);
        }
        EXPECT_EQ(heard, c.heard) << c.name;
    }
    FrameEvents laser;
    laser.player1.laserFired = true;
    EXPECT_EQ(CuesOfFrame(laser, state).cues[0].pan, -1.0f) << "Player 1 starts at the left edge";
}

// Three of a kind at most: the oldest fades out over 128 samples; sixteen
// voices at most of all kinds.
TEST(Mixer, VoicesAreCappedAndTheOldestGivesWayWithAFade) {
    const std::vector<std::int16_t> tone(44100, 1000);
    const SoundClip clip{tone.data(), static_cast<int>(tone.size())};
    std::vector<std::int16_t> out(2 * 200);
    Mixer mixer;
    for (int i = 0; i < 4; ++i) {
        StartVoice(&mixer, 0, &clip, 0, 1);
    }
    EXPECT_EQ(SoundingVoices(mixer), 4);
    Mix(&mixer, out.data(), 200);
    EXPECT_EQ(SoundingVoices(mixer), 3);
    for (int i = 0; i < 20; ++i) {
        StartVoice(&mixer, 1 + i % 6, &clip, 0, 1);
    }
    Mix(&mixer, out.data(), 200);
    EXPECT_EQ(SoundingVoices(mixer), kMaxVoices);
}

// Every sound of a frame at once, and every laser again in the next: the
// limiter holds the peak at -1 dBFS, though it has work to do.
TEST(Mixer, TheWorstFrameStaysUnderMinusOneDbfs) {
    StartSound(SoundOptions{.device = false});
    for (int sound = 0; sound < kSoundCount; ++sound) {
        EXPECT_TRUE(SoundLoaded(sound)) << kSoundFiles[sound];
    }
    GameState state;
    SetStartValues(state);
    FrameEvents all;
    all.player1 = all.player2 = {true, true, true, 1, true, true};
    all.enemy1 = all.enemy2 = {true, true};
    all.flagHome = all.newGame = true;
    all.countdownsShown[0] = 100;
    all.countdownsShown[1] = 20;
    all.countdownCount = 2;
    FrameEvents lasers;
    lasers.player1.laserFired = lasers.player2.laserFired = lasers.enemy1.laserReturned = true;
    std::vector<std::int16_t> out(2 * kSamplesPerFrame);
    int peak = 0;
    for (int frame = 0; frame < 60; ++frame) {
        PlayFrameSounds(frame == 0 ? all : lasers, state);
        MixFrameOffline(out.data());
        for (std::int16_t sample : out) {
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
    }
    StopSound();
    EXPECT_LE(peak, kCeiling);
    EXPECT_GT(peak, 16384) << "the limiter never bent anything: the test proves nothing";
}

// A sound's length, and its pitch by zero crossings over its first and
// last 30 ms.
struct Measured {
    double seconds = 0;
    double startHz = 0;
    double endHz = 0;
};

double PitchAt(const std::vector<std::int16_t>& s, std::size_t from) {
    const std::size_t window = kSampleRate * 3 / 100;
    int crossings = 0;
    for (std::size_t i = from + 1; i < from + window && i < s.size(); ++i) {
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    }
    return crossings / 2.0 / 0.03;
}

Measured Measure(const char* file) {
    const std::string path = std::string("Sounds/") + file;
    WavData data;
    EXPECT_TRUE(CheckWavHeader(path.c_str(), &data)) << file;
    std::vector<std::int16_t> s(data.dataBytes / 2);
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::fseek(in, data.dataOffset, SEEK_SET);
    EXPECT_EQ(std::fread(s.data(), 2, s.size(), in), s.size());
    std::fclose(in);
    const std::size_t last = s.size() - kSampleRate * 3 / 100;
    return {static_cast<double>(s.size()) / kSampleRate, PitchAt(s, 0), PitchAt(s, last)};
}

bool Apart(double a, double b, double share) {
    return std::abs(a - b) >= share * std::max(a, b);
}

// Length 15% apart, or the starting pitch 20% apart, or one rising where
// the other falls.
TEST(Sounds, EachIsToldApartByLengthPitchOrSlope) {
    Measured m[kSoundCount];
    for (int i = 0; i < kSoundCount; ++i) {
        m[i] = Measure(kSoundFiles[i]);
    }
    for (int a = 0; a < kSoundCount; ++a) {
        for (int b = a + 1; b < kSoundCount; ++b) {
            const bool slopes = (m[a].endHz > m[a].startHz) != (m[b].endHz > m[b].startHz);
            EXPECT_TRUE(Apart(m[a].seconds, m[b].seconds, 0.15) ||
                        Apart(m[a].startHz, m[b].startHz, 0.2) || slopes)
                << kSoundFiles[a] << " and " << kSoundFiles[b];
        }
    }
}

} // namespace
