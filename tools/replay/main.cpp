// flagrun-replay: the game without a keyboard. It starts up like the game,
// plays the script as the game plays a demo, through the same frame code,
// and prints the game state after each frame as JSON Lines.
#include "options.h"

#include "app/demo_session.h"
#include "app/frame.h"
#include "app/startup.h"
#include "demo/demo_play.h"
#include "demo/state_json.h"
#include "sound/sound.h"
#include "view/images.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <csignal>
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

static void Complain(const std::string& message) {
    std::fprintf(stderr, "flagrun-replay: %s\n", message.c_str());
}

// A trace that cannot be written ends the run at once: a cut-off trace must
// never look like a finished one, and nothing after the failure would reach
// the reader anyway.
[[noreturn]] static void FailTrace() {
    const int error = errno;
    Complain(std::string("cannot write the trace: ") + std::strerror(error));
    std::exit(1);
}

static void FlushOutput() {
    if (std::fwrite(output.bytes, 1, output.used, stdout) != output.used) {
        FailTrace();
    }
    output.used = 0;
}

// The last of the trace, written and closed with every result checked: a
// full disk may only show when the stream's own buffer is flushed.
static void CloseTrace() {
    FlushOutput();
    if (std::fflush(stdout) != 0 || std::fclose(stdout) != 0) {
        FailTrace();
    }
}

static void PrintFrame(std::int64_t frame) {
    if (kOutputCapacity - output.used < kMaxStateJsonLength) {
        FlushOutput();
    }
    const char* end = FormatStateJson(output.bytes + output.used, frame, game);
    output.used = static_cast<std::size_t>(end - output.bytes);
}

// Ctrl+C and SIGTERM end the replay after the frame they arrive in, the
// trace so far flushed: SDL would only queue a quit event, which a replay
// never drains.
static volatile std::sig_atomic_t stopSignal = 0;

static void StopOnSignal(int signal) {
    stopSignal = signal;
}

static void CatchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = StopOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Room for the screen as a BMP file in any format SDL may save it in: at
// most four bytes a pixel, plus the headers and a palette.
static std::size_t BmpCapacity(const SDL_Surface* surface) {
    return 4 * static_cast<std::size_t>(surface->w) * static_cast<std::size_t>(surface->h) + 2048;
}

// The screen as BMP file bytes in memory, where no write can fail halfway
// unnoticed; false with SDL's reason when it does not fit.
static bool EncodeScreen(std::vector<char>* bytes) {
    bytes->resize(BmpCapacity(screen));
    SDL_RWops* stream = SDL_RWFromMem(bytes->data(), static_cast<int>(bytes->size()));
    if (stream == nullptr) {
        return false;
    }
    const bool saved = SDL_SaveBMP_RW(screen, stream, 0) == 0;
    const int size = SDL_RWtell(stream);
    SDL_RWclose(stream);
    if (!saved || size <= 0) {
        return false;
    }
    bytes->resize(static_cast<std::size_t>(size));
    return true;
}

// Writes the bytes to `path` and closes it, every result checked; false
// with errno set on the first failure.
static bool WriteWholeFile(const std::string& path, const std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0) {
        const int error = errno;
        std::fclose(file);
        errno = error;
        return false;
    }
    return std::fclose(file) == 0;
}

// The file appears whole or not at all: it is written under a temporary
// name in the same directory and renamed into place once complete, so a
// full disk leaves neither a cut-off BMP nor the temporary file behind.
static bool SaveScreenshot(const Screenshot& shot) {
    std::vector<char> bytes;
    if (!EncodeScreen(&bytes)) {
        Complain("cannot save screenshot '" + shot.path + "': " + SDL_GetError());
        return false;
    }
    const std::string temporary = shot.path + ".partial-" + std::to_string(getpid());
    if (!WriteWholeFile(temporary, bytes) ||
        std::rename(temporary.c_str(), shot.path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        Complain("cannot save screenshot '" + shot.path + "': " + std::strerror(error));
        return false;
    }
    return true;
}

// The run's sound as a WAV file: 16-bit stereo at 44,100 Hz, every frame
// exactly 735 sample pairs, each frame's sounds started at its first.
struct SoundRender {
    std::vector<std::int16_t> samples;
    bool tooLong = false;
};

// A RIFF size field holds 32 bits.
constexpr std::size_t kMostWavSamples = (0xffffffffu - 36) / 2;

static void RenderFrameSound(SoundRender* render, const FrameEvents& events) {
    PlayFrameSounds(events, game);
    if (render->samples.size() + 2 * kSamplesPerFrame > kMostWavSamples) {
        render->tooLong = true;
        return;
    }
    const std::size_t at = render->samples.size();
    render->samples.resize(at + 2 * kSamplesPerFrame);
    MixFrameOffline(&render->samples[at]);
}

static void PutLittleEndian(std::vector<char>* bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

static std::vector<char> EncodeWav(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<char> bytes = {'R', 'I', 'F', 'F'};
    PutLittleEndian(&bytes, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt ")) {
        bytes.push_back(c);
    }
    PutLittleEndian(&bytes, 16, 4);
    PutLittleEndian(&bytes, 1, 2); // PCM
    PutLittleEndian(&bytes, 2, 2); // stereo
    PutLittleEndian(&bytes, kSampleRate, 4);
    PutLittleEndian(&bytes, kSampleRate * 4, 4);
    PutLittleEndian(&bytes, 4, 2);
    PutLittleEndian(&bytes, 16, 2);
    for (char c : std::string("data")) {
        bytes.push_back(c);
    }
    PutLittleEndian(&bytes, dataBytes, 4);
    for (std::int16_t sample : samples) {
        PutLittleEndian(&bytes, static_cast<std::uint16_t>(sample), 2);
    }
    return bytes;
}

static bool SaveWav(const std::string& path, const SoundRender& render) {
    if (render.tooLong) {
        Complain("cannot save '" + path + "': the run is longer than a WAV file can hold");
        return false;
    }
    const std::string temporary = path + ".partial-" + std::to_string(getpid());
    if (!WriteWholeFile(temporary, EncodeWav(render.samples)) ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        Complain("cannot save '" + path + "': " + std::strerror(error));
        return false;
    }
    return true;
}

// Drawing only reads the game state, so the printed states do not depend on
// it; only a screenshot looks at the screen, and since each frame erases
// only what the frame before it drew, it needs every frame before it drawn
// too. Frames after the last screenshot therefore run the rules alone: the
// drawing costs tens of microseconds a frame, the rules well under one.
static std::int64_t LastScreenshotFrame(const std::vector<Screenshot>& shots) {
    std::int64_t last = 0;
    for (const Screenshot& shot : shots) {
        last = shot.frame > last ? shot.frame : last;
    }
    return last;
}

// The demo's frames, each printed when it is a multiple of --every, with
// the screenshots of its number. Returns the exit status: 1 if a screenshot
// could not be saved or its frame was never reached, 128 plus the signal's
// number after a stop signal.
static int Replay(DemoSession* session, const Options& options) {
    const std::vector<Screenshot>& shots = options.screenshots;
    std::size_t nextShot = 0;
    std::int64_t frame = 0;
    std::int64_t printed = 0;
    int status = 0;
    const std::int64_t lastDrawn = options.flip ? INT64_MAX : LastScreenshotFrame(shots);
    SoundRender sound;
    while (stopSignal == 0) {
        const bool drawn = frame + 1 <= lastDrawn;
        FrameEvents events;
        if (!PlayFrame(session, drawn ? FrameDrawing::kDrawn : FrameDrawing::kUndrawn, &events)) {
            break;
        }
        if (!options.wavPath.empty()) {
            RenderFrameSound(&sound, events);
        }
        ++frame;
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
    CloseTrace();
    if (stopSignal != 0) {
        const char* name = stopSignal == SIGINT ? "SIGINT" : "SIGTERM";
        Complain(std::string("stopped by ") + name + " after frame " + std::to_string(frame));
        return 128 + stopSignal;
    }
    if (!options.wavPath.empty() && !SaveWav(options.wavPath, sound)) {
        status = 1;
    }
    for (; nextShot < shots.size(); ++nextShot) {
        Complain("frame " + std::to_string(shots[nextShot].frame) + " was not reached; '" +
                 shots[nextShot].path + "' not saved");
        status = 1;
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
// With --flip the replay stays on the display and draws and flips every
// frame as the game does: the honest cost of a frame.
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
    DemoSession session;
    session.mode = DemoMode::kPlay;
    session.program = "flagrun-replay";
    ScriptError bad;
    if (!ReadDemo(options.scriptPath, &session.demo, &bad)) {
        if (bad.line == 0) {
            Complain("cannot read script '" + options.scriptPath + "': " + bad.problem);
        } else {
            std::fprintf(stderr, "flagrun-replay: line %" PRId64 ": %s\n", bad.line,
                         bad.problem.c_str());
        }
        return 2;
    }
    // Headless unless the caller picks drivers; no audio device is opened.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    // Unpaced: a flip never waits for a display's refresh here.
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "0", 0);
    // before SDL, which leaves a handler already set alone
    CatchStopSignals();
    SoundOptions silent;
    silent.device = false; // a render mixes offline; nothing is played
    StartUp(WindowOptions{}, silent);
    SDL_Surface* display = options.flip ? screen : DrawOffscreen();
    int status = Replay(&session, options);
    // A demo ends with the state its recording ended in.
    if (status < 128) {
        const int sync = EndDemo(&session);
        status = sync != 0 ? sync : status;
    }
    RestoreDisplay(display);
    ShutDown();
    return status;
}
