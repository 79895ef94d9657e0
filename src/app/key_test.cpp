// The key test: no game, no sound, only the keys held.
#include "app/key_test.h"

#include "app/frame.h"
#include "app/pacing.h"
#include "app/present.h"
#include "app/settings.h"
#include "app/startup.h"
#include "input/key_names.h"
#include "view/text_page.h"

#include <SDL.h>

#include <cstdio>

static constexpr std::size_t kMostKeysShown = 24;

// What the key is bound to: its setting's name, or nothing.
static std::string BoundTo(int key) {
    for (int i = 0; i < kKeyMapSize; ++i) {
        if (keyMap.keys[i] == key) {
            return std::string("  (") + SettingName(kFirstKeySetting + i) + ")";
        }
    }
    return "";
}

// The keys held, in SDL's order of the keys.
static std::vector<int> HeldKeys() {
    int count = 0;
    const Uint8* keys = SDL_GetKeyState(&count);
    std::vector<int> held;
    for (int key = 0; key < count && held.size() < kMostKeysShown; ++key) {
        if (keys[key] != 0) {
            held.push_back(key);
        }
    }
    return held;
}

static void PrintHeld(const std::vector<int>& held) {
    std::string line = held.empty() ? "nothing" : "";
    for (const int key : held) {
        line += (line.empty() ? "" : ", ") + std::string(KeyName(static_cast<SDLKey>(key)));
    }
    std::printf("keys held: %s\n", line.c_str());
    std::fflush(stdout);
}

// The window's lines: how many keys are held, then each with its binding.
static std::vector<std::string> Page(const std::vector<int>& held) {
    std::vector<std::string> page = {held.empty() ? "No key held"
                                                  : std::to_string(held.size()) + " held:"};
    for (const int key : held) {
        page.push_back(KeyName(static_cast<SDLKey>(key)) + BoundTo(key));
    }
    return page;
}

int RunKeyTest(const CommandLine& commandLine) {
    SoundOptions silent = commandLine.sound;
    silent.device = false;
    StartUp(commandLine.window, silent);
    const std::string title = std::string("Hold keys to see which are reported together; ") +
                              KeyName(keyMap.keys[kQuitKey]) + " quits";
    FramePacer pacer = StartPacing(MonotonicNow());
    std::vector<int> shown = {-1};
    while (DrainEvents().quit == 0) {
        const std::vector<int> held = HeldKeys();
        if (held != shown) {
            PrintHeld(held);
            shown = held;
        }
        DrawTextPage(title, Page(held));
        PresentFrame();
        WaitForNextFrame(&pacer);
    }
    ShutDown();
    return 0;
}
