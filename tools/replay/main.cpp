// flagrun-replay: the game without a keyboard. It starts up like the game,
// runs the game's own loop and frame code with the held keys taken from a
// script, and prints the game state after each frame as JSON Lines.
#include "options.h"

#include "draw/images.h"
#include "game/bindings.h"
#include "game/demo_play.h"
#include "game/frame.h"
#include "game/game_state.h"
#include "game/script.h"
#include "game/startup.h"
#include "game/state_json.h"

#include <SDL.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Output goes out in large blocks: a replay can print a million lines, and
// a write or a flush per line would add a system call to every frame.
static constexpr std::size_t kOutputCapacity = std::size_t{1} << 20;

struct OutputBuffer {
    char bytes[kOutputCapacity];
    std::size_t used = 0;
};

static OutputBuffer output;

static void FlushOutput() {
    std::fwrite(output.bytes, 1, output.used, stdout);
    output.used = 0;
}

static void PrintFrame(std::int64_t frame) {
    if (kOutputCapacity - output.used < kMaxStateJsonLength) {
        FlushOutput();
    }
    const char* end = FormatStateJson(output.bytes + output.used, frame, game);
    output.used = static_cast<std::size_t>(end - output.bytes);
}

static void Complain(const std::string& message) {
    std::fprintf(stderr, "flagrun-replay: %s\n", message.c_str());
}

// The whole script, from a file or, for "-", from standard input.
static bool ReadScriptText(const std::string& path, std::string* text, std::string* error) {
    const bool fromStdin = path == "-";
    std::FILE* file = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot read script '" + path + "': " + std::strerror(errno);
        return false;
    }
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text->append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    if (failed) {
        *error = "cannot read script '" + path + "': " + std::strerror(errno);
    }
    if (!fromStdin) {
        std::fclose(file);
    }
    return !failed;
}

// The replay's place in the script and the input record it hands the frame
// code. `escapePushed` says the coming frame's drain has an event to see.
struct Playback {
    const std::vector<Instruction>* script = nullptr;
    std::size_t next = 0;
    std::int32_t framesLeft = 0;
    FrameInput input;
    bool escapePushed = false;
};

// Queued before the frame, so that frame's event drain sees it like a real
// key press: the frame completes and the loop ends.
static void PushEscape() {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = kQuitKey;
    SDL_PushEvent(&event);
}

// Sets up the keys of the coming frame; false once the script is used up.
static bool NextFrame(Playback* playback) {
    if (playback->framesLeft == 0) {
        if (playback->next == playback->script->size()) {
            return false;
        }
        const Instruction& instruction = (*playback->script)[playback->next++];
        playback->input = InputFromMask(instruction.keyMask);
        if (instruction.escape) {
            PushEscape();
            playback->escapePushed = true;
        }
        playback->framesLeft = instruction.count;
    }
    --playback->framesLeft;
    return true;
}

static bool SaveScreenshot(const Screenshot& shot) {
    if (SDL_SaveBMP(screen, shot.path.c_str()) != 0) {
        Complain("cannot save screenshot '" + shot.path + "': " + SDL_GetError());
        return false;
    }
    return true;
}

// Drawing only reads the game state, so the printed states do not depend on
// it; only a screenshot looks at the screen, and since the screen is never
// cleared it needs every frame before it drawn too. Frames after the last
// screenshot therefore run the rules alone: the blits cost some 30 us a
// frame (the sprites stay in their 24-bit file format, so every blit
// converts), the rules well under one.
static std::int64_t LastScreenshotFrame(const std::vector<Screenshot>& shots) {
    std::int64_t last = 0;
    for (const Screenshot& shot : shots) {
        last = shot.frame > last ? shot.frame : last;
    }
    return last;
}

// The game's loop: drain the events, then a frame on the held keys, until a
// quit request has been seen, or here also until the script runs out.
// Returns the exit status: 1 if a screenshot could not be saved.
static int Replay(const std::vector<Instruction>& script, const Options& options) {
    Playback playback;
    playback.script = &script;
    const std::vector<Screenshot>& shots = options.screenshots;
    std::size_t nextShot = 0;
    std::int64_t frame = 0;
    std::int64_t printed = 0;
    int status = 0;
    int quit = 0;
    const std::int64_t lastDrawn = LastScreenshotFrame(shots);
    while (!quit && NextFrame(&playback)) {
        // The queue holds nothing the game reacts to unless this tool put an
        // Escape there; polling an empty queue would cost most of a frame.
        if (playback.escapePushed) {
            DrainEvents(&quit);
            playback.escapePushed = false;
        }
        ++frame;
        if (frame <= lastDrawn) {
            RunFrame(playback.input);
        } else {
            RunRules(playback.input);
        }
        if (frame % options.every == 0) {
            PrintFrame(frame);
            printed = frame;
        }
        for (; nextShot < shots.size() && shots[nextShot].frame == frame; ++nextShot) {
            if (!SaveScreenshot(shots[nextShot])) {
                status = 1;
            }
        }
    }
    // the state has not changed since the last frame ran
    if (frame > printed) {
        PrintFrame(frame);
    }
    FlushOutput();
    std::fflush(stdout);
    for (; nextShot < shots.size(); ++nextShot) {
        Complain("frame " + std::to_string(shots[nextShot].frame) + " was not reached; '" +
                 shots[nextShot].path + "' not saved");
    }
    return status;
}

// On SDL's dummy driver one SDL_Flip of the 640x530 display costs about
// 320 us, because it pushes the whole surface through SDL2's renderer; a
// million frames would take over five minutes. Every drawing operation
// targets `screen`, so the replay points it at an off-screen copy of the
// display in the display's own pixel format: each blit lands there pixel
// for pixel as it would on the display, and SDL_Flip of a surface that is
// not the display does nothing. Without memory for the copy the frames are
// drawn on the display itself, slower but alike. Returns the display.
static SDL_Surface* DrawOffscreen() {
    SDL_Surface* display = screen;
    SDL_Surface* copy = SDL_DisplayFormat(display);
    if (copy != nullptr) {
        screen = copy;
    }
    return display;
}

static void RestoreDisplay(SDL_Surface* display) {
    if (screen != display) {
        SDL_FreeSurface(screen);
        screen = display;
    }
}

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        Complain(error);
        return 2;
    }
    if (options.help) {
        std::printf("%s\n", kUsage);
        return 0;
    }
    std::string text;
    if (!ReadScriptText(options.scriptPath, &text, &error)) {
        Complain(error);
        return 2;
    }
    std::vector<Instruction> script;
    ScriptError bad;
    FinalState finalState;
    if (!ParseScript(text, &script, &bad) || !FindFinalState(text, &finalState, &bad)) {
        std::fprintf(stderr, "flagrun-replay: line %" PRId64 ": %s\n", bad.line,
                     bad.problem.c_str());
        return 2;
    }
    // Headless unless the caller picks drivers; the game plays no sound, so
    // a machine without an audio device must not stop the start-up either.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    StartUp();
    SDL_Surface* display = DrawOffscreen();
    int status = Replay(script, options);
    // A demo ends with the state its recording ended in.
    std::string outOfSync;
    if (finalState.present &&
        !MatchesFinalState(finalState, ScriptFrames(script), game, &outOfSync)) {
        Complain(outOfSync);
        status = 3;
    }
    RestoreDisplay(display);
    ShutDown();
    return status;
}
