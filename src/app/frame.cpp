// The frame: the drain, the rules, and the drawing that reads what they left.
#include "app/frame.h"

#include "app/present.h"
#include "app/settings_file.h"
#include "app/window.h"
#include "input/bindings.h"
#include "rules/rules.h"
#include "sound/sound.h"
#include "view/notice.h"
#include "view/render.h"

#include <SDL.h>

#include <cstdio>

GameState game;
KeyMap keyMap = DefaultKeyMap();

EventRequests DrainEvents() {
    EventRequests requests;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            requests.quit = 1;
        }
        if (event.type != SDL_KEYDOWN) {
            continue;
        }
        const SDLKey key = event.key.keysym.sym;
        const SDLKey* keys = keyMap.keys;
        if (key == keys[kQuitKey]) {
            requests.quit = 1;
        }
        requests.togglePause ^= key == keys[kPauseKey];
        requests.toggleFullScreen ^= key == keys[kFullScreenKey];
        requests.toggleMute ^= key == keys[kMuteKey];
        requests.toggleStatus ^= key == keys[kStatusKey];
        requests.volumeStep += (key == keys[kVolumeUpKey]) - (key == keys[kVolumeDownKey]);
    }
    return requests;
}

// The notice's text lives on after the call, as ShowNotice needs.
static const char* VolumeNotice(int volume, bool muted) {
    static char text[32];
    std::snprintf(text, sizeof text, muted ? "Volume %d, sound off" : "Volume %d", volume);
    return text;
}

void ApplyLocalRequests(const EventRequests& requests) {
    if (requests.toggleFullScreen) {
        ChangeSetting(kFullScreenSetting, ToggleFullScreen() ? 1 : 0);
    }
    if (requests.toggleMute) {
        const bool muted = ToggleMute();
        ShowNotice(muted ? "Sound off" : "Sound on");
        ChangeSetting(kMuteSetting, muted ? 1 : 0);
    }
    if (requests.volumeStep != 0) {
        const int volume = StepVolume(requests.volumeStep);
        const bool muted = SettingsInForce().value[kMuteSetting] != 0;
        ShowNotice(VolumeNotice(volume, muted));
        if (volume != SettingsInForce().value[kVolumeSetting]) {
            ChangeSetting(kVolumeSetting, volume);
        }
    }
}

FrameEvents RunFrame(const FrameInput& input, FrameDrawing drawing) {
    const FrameEvents events = RunRules(game, input);
    if (drawing == FrameDrawing::kDrawn) {
        RenderFrame(game, events);
        DrawNotice();
        PresentFrame();
    }
    return events;
}
