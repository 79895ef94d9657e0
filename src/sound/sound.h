// The game's sound: the clips from Sounds/, the audio device, and each
// shown frame's cues handed to the mixer. Sound is optional: with no audio
// driver or device the game says so in one line and plays on in silence.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"
#include "sound/mixer.h"

#include <cstdint>

struct SoundOptions {
    bool device = true; // false: never open an audio device (--no-sound)
    int volume = kMaxVolume;
    bool muted = false;
};

// Loads the clips (a missing or broken file silences only its sound), then,
// unless told not to, starts SDL's audio and opens the device as steps of
// their own: 44,100 Hz, 16-bit, stereo, 512-sample buffers. A failure
// prints "flagrun: sound off: <SDL's reason>" on standard error. Call after
// SDL_Init.
void StartSound(const SoundOptions& options);

// Closes the device and frees the clips.
void StopSound();

// Starts the sounds of a frame that was shown.
void PlayFrameSounds(const FrameEvents& events, const GameState& state);

// Mute on and off; gives whether it is now muted.
bool ToggleMute();

// The volume `step` up (or down, when negative), kept from 0 to 10; gives
// the volume now.
int StepVolume(int step);

// The sound of the next kSamplesPerFrame stereo pairs, mixed here instead of
// in the device's callback: for an offline render, with no device open.
void MixFrameOffline(std::int16_t* out);

// How long after the last cues were handed over the device's callback
// first mixed them, in ms; -1 before that has happened.
double LastCueToCallbackMs();

// Whether a clip was loaded for each sound, for the tests.
bool SoundLoaded(int sound);
