// Input, demos and the app: the bindings table, the pads' mapping merged
// with the keys, the command line, the window's scale, pacing, the demo
// file, and a game recorded with pauses, then played back.
#include "app/command_line.h"
#include "app/pacing.h"
#include "app/pause.h"
#include "app/present.h"
#include "app/window.h"
#include "demo/demo_record.h"
#include "demo/script.h"
#include "demo/state_json.h"
#include "game_fixture.h"
#include "input/pad_input.h"
#include "view/pause_screen.h"
#include "view/text.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Binding {
    const char* name; // in scripts and demos
    SDLKey key;
    FrameInput input; // with this key alone held
};

// In the order of the demos' key mask: bit i is row i.
const Binding kBindings[] = {
    {.name = "up", .key = SDLK_UP, .input = {.player1 = {.up = true}}},
    {.name = "down", .key = SDLK_DOWN, .input = {.player1 = {.down = true}}},
    {.name = "left", .key = SDLK_LEFT, .input = {.player1 = {.left = true}}},
    {.name = "right", .key = SDLK_RIGHT, .input = {.player1 = {.right = true}}},
    {.name = "w", .key = SDLK_w, .input = {.player2 = {.up = true}}},
    {.name = "a", .key = SDLK_a, .input = {.player2 = {.left = true}}},
    {.name = "s", .key = SDLK_s, .input = {.player2 = {.down = true}}},
    {.name = "d", .key = SDLK_d, .input = {.player2 = {.right = true}}},
    {.name = "space", .key = SDLK_SPACE, .input = {.player1 = {.laser = true}}},
    {.name = "lctrl", .key = SDLK_LCTRL, .input = {.player2 = {.laser = true}}},
    {.name = "lshift", .key = SDLK_LSHIFT, .input = {.player2 = {.grenade = true}}},
    {.name = "ralt", .key = SDLK_RALT, .input = {.player1 = {.grenade = true}}},
};

TEST(Bindings, EachKeyIsOneActionOfOnePlayerAndOneBitOfTheMask) {
    ASSERT_EQ(kKeyBindingCount, std::size(kBindings));
    for (std::uint32_t bit = 0; bit < kKeyBindingCount; ++bit) {
        const Binding& b = kBindings[bit];
        EXPECT_EQ(Keys({b.key}), b.input) << b.name;
        EXPECT_EQ(MaskFromInput(b.input), 1u << bit) << b.name;
    }
}

struct PadCase {
    const char* name;
    PadReading pad;
    PlayerInput acts = {};
};

// The stick's dead zone ends at 10922 on each side.
const PadCase kPadCases[] = {
    {.name = "in the dead zone", .pad = {.stickX = 10922, .stickY = -10922}},
    {.name = "in, other side", .pad = {.stickX = -10922, .stickY = 10922}},
    {.name = "past it",
     .pad = {.stickX = 10923, .stickY = -10923},
     .acts = {.up = true, .right = true}},
    {.name = "past, other side",
     .pad = {.stickX = -10923, .stickY = 10923},
     .acts = {.down = true, .left = true}},
    {.name = "d-pad and stick",
     .pad = {.stickY = 32767, .hat = SDL_HAT_LEFTUP},
     .acts = {.up = true, .down = true, .left = true}},
    {.name = "d-pad", .pad = {.hat = SDL_HAT_RIGHTDOWN}, .acts = {.down = true, .right = true}},
    {.name = "button 0", .pad = {.button0 = true}, .acts = {.laser = true}},
    {.name = "button 1", .pad = {.button1 = true}, .acts = {.grenade = true}},
};

// An action is held when the keys or the player's pad hold it.
TEST(PadInput, TheDpadTheStickPastItsDeadZoneAndTwoButtonsAddToTheKeys) {
    for (const PadCase& c : kPadCases) {
        EXPECT_EQ(CombineInput({}, {.pad1 = c.pad}).player1, c.acts) << c.name;
    }
    const FrameInput keys = {.player1 = {.up = true}, .player2 = {.laser = true}};
    const PadReadings pads = {.pad1 = {.stickX = 20000}, .pad2 = {.button0 = true}};
    const FrameInput both = {.player1 = {.up = true, .right = true}, .player2 = {.laser = true}};
    EXPECT_EQ(CombineInput(keys, pads), both);
}

struct CommandLineCase {
    const char* name;
    std::vector<const char*> args; // after the program's name
    std::string asks;              // what the parse asks for, in words
};

// The parse of `args`, in words.
std::string Asks(std::vector<const char*> args) {
    args.insert(args.begin(), "flagrun");
    const CommandLine c = ParseCommandLine(static_cast<int>(args.size()), args.data());
    const char* actions[] = {"run", "help", "version", "refuse"};
    const char* demos[] = {"", " record ", " play "};
    return actions[static_cast<int>(c.action)] + std::string(c.window.fullscreen ? " full" : "") +
           (c.window.scale != 0 ? " scale " + std::to_string(c.window.scale) : "") +
           demos[static_cast<int>(c.demo)] + c.demoPath +
           (c.sound.volume != kMaxVolume ? " volume " + std::to_string(c.sound.volume) : "") +
           (c.sound.muted ? " muted" : "") + (c.sound.device ? "" : " no-sound") +
           (c.error[0] != '\0' ? ": " : "") + c.error;
}

TEST(CommandLineTest, OptionsAndRefusals) {
    const CommandLineCase cases[] = {
        {.name = "two digits", .args = {"--scale", "08"}, .asks = "run scale 8"},
        {.name = "the last counts", .args = {"--scale=3", "--scale", "2"}, .asks = "run scale 2"},
        {.name = "-h first", .args = {"-h", "--version"}, .asks = "help"},
        {.name = "record", .args = {"--record", "a", "--fullscreen"}, .asks = "run full record a"},
        {.name = "odd file", .args = {"--play", "--scale"}, .asks = "run play --scale"},
        {.name = "no value", .args = {"--scale"}, .asks = "refuse: missing value after '--scale'"},
        {.name = "no file", .args = {"--play"}, .asks = "refuse: missing file after '--play'"},
        {.name = "sound",
         .args = {"--volume=0", "--mute", "--no-sound"},
         .asks = "run volume 0 muted no-sound"},
        {.name = "loud", .args = {"--volume", "7", "--volume", "10"}, .asks = "run"},
        {.name = "too loud",
         .args = {"--volume", "11"},
         .asks = "refuse: --volume takes a whole number from 0 to 10, not '11'"},
        {.name = "two demos",
         .args = {"--play", "a", "--record", "b"},
         .asks = "refuse play a: only one of --record and --play, not another '--record'"},
    };
    for (const CommandLineCase& c : cases) {
        EXPECT_EQ(Asks(c.args), c.asks) << c.name;
    }
    for (const std::string bad : {"0", "9", "10", "+2", "2x", "", "002"}) {
        const std::string option = "--scale=" + bad;
        EXPECT_EQ(Asks({option.c_str()}),
                  "refuse: --scale takes a whole number from 1 to 8, not '" + bad + "'");
    }
}

struct Desktop {
    const char* name;
    int width;
    int height;
    int scale;
};

// The largest scale with 640 s and 530 s within nine tenths of the desktop.
TEST(WindowTest, ScaleIsTheLargestWithinNineTenthsOfTheDesktop) {
    const Desktop desktops[] = {
        {.name = "4K", .width = 3840, .height = 2160, .scale = 3},
        {.name = "2 just beyond the width", .width = 1422, .height = 1200, .scale = 1},
        {.name = "2 just within the width", .width = 1423, .height = 1200, .scale = 2},
        {.name = "2 just within the height", .width = 1500, .height = 1178, .scale = 2},
        {.name = "2 just beyond the height", .width = 1500, .height = 1177, .scale = 1},
        {.name = "never beyond 8", .width = 20000, .height = 20000, .scale = 8},
    };
    for (const Desktop& d : desktops) {
        EXPECT_EQ(ChooseScale(d.width, d.height), d.scale) << d.name;
    }
    EXPECT_TRUE(ShowsNothing("dummy"));
}

struct GlRenderer {
    const char* name; // GL_RENDERER as drivers give it
    bool direct;
    GlDrawer drawer;
};

// The CPU's rasterisers by name, whatever else the name holds; "LLVM" alone
// is a GPU's shader compiler.
TEST(WindowTest, OpenGlDrawnByTheCpuIsToldFromAGpu) {
    constexpr GlDrawer kCpu = GlDrawer::kSoftware;
    constexpr GlDrawer kGpu = GlDrawer::kGpu;
    const GlRenderer renderers[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true, kCpu},
        {"softpipe", true, kCpu},
        {"zink (llvmpipe (LLVM 15.0.6, 256 bits))", true, kCpu},
        {"D3D12 (Microsoft Basic Render Driver)", true, kCpu},
        {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)", true, kGpu},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", true, kGpu},
        {"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2 (indirect)", false, kCpu},
    };
    for (const GlRenderer& r : renderers) {
        EXPECT_EQ(ClassifyGlRenderer(r.name, r.direct), r.drawer) << r.name;
    }
}

struct RendererEnvironment {
    const char* name;
    const char* driver;       // SDL_RENDER_DRIVER before and after; null: unset
    const char* acceleration; // SDL_FRAMEBUFFER_ACCELERATION
    const char* driverAfter;
    const char* accelerationAfter;
};

static std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "(unset)" : value;
}

static void SetOrUnset(const char* name, const char* value) {
    if (value == nullptr) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}

// The environment's choice wins; software alone gets its cheap half. No
// display is asked: the tests run on the dummy driver.
TEST(WindowTest, TheEnvironmentsRendererWins) {
    const RendererEnvironment cases[] = {
        {"software completed", "software", nullptr, "software", "0"},
        {"opengl kept", "opengl", nullptr, "opengl", nullptr},
        {"acceleration kept", "software", "1", "software", "1"},
        {"nothing asked, no display", nullptr, nullptr, nullptr, nullptr},
    };
    for (const RendererEnvironment& c : cases) {
        SetOrUnset("SDL_RENDER_DRIVER", c.driver);
        SetOrUnset("SDL_FRAMEBUFFER_ACCELERATION", c.acceleration);
        GlProbe probe = StartRendererChoice();
        ChooseRenderer(&probe);
        EXPECT_EQ(Variable("SDL_RENDER_DRIVER"), c.driverAfter ? c.driverAfter : "(unset)")
            << c.name;
        EXPECT_EQ(Variable("SDL_FRAMEBUFFER_ACCELERATION"),
                  c.accelerationAfter ? c.accelerationAfter : "(unset)")
            << c.name;
    }
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
}

// Every pixel of the scaled picture is the source pixel it lies over, for
// the unrolled scales and the general one alike, rows padded as X pads them.
TEST(WindowTest, ScalingMakesEachPixelAnExactBlock) {
    const Uint32 pixels[] = {1, 2, 3, 4, 5, 6};
    SDL_Surface* from = SDL_CreateRGBSurfaceFrom(const_cast<Uint32*>(pixels), 3, 2, 32, 12,
                                                 0xff0000, 0xff00, 0xff, 0);
    for (int scale = 1; scale <= 4; ++scale) {
        const int pitch = 3 * scale + 1;
        std::vector<Uint32> to(static_cast<std::size_t>(pitch) * 2 * scale, 0);
        ScaleNearest(from, to.data(), pitch * 4, scale);
        for (int y = 0; y < 2 * scale; ++y) {
            for (int x = 0; x < 3 * scale; ++x) {
                EXPECT_EQ(to[y * pitch + x], pixels[y / scale * 3 + x / scale]) << scale;
            }
            EXPECT_EQ(to[y * pitch + 3 * scale], 0u) << "past the row at scale " << scale;
        }
    }
    SDL_FreeSurface(from);
}

// When frame n of a schedule is due, after its start: n / 60 s, rounded down.
constexpr std::int64_t Slot(std::int64_t n) {
    return n * 1'000'000'000 / 60;
}

struct Ending {
    const char* name;
    std::int64_t endedAt; // when a frame ended, after the start
    std::int64_t due;     // when the next one is due, after the start
};

// One frame after another, each row a frame that ended at the given time.
TEST(PacingTest, DeadlinesFollowTheStartAndResyncOnlyWhenFarBehind) {
    const Ending frames[] = {
        {.name = "early: waits for its slot", .endedAt = 1'000'000, .due = Slot(1)},
        {.name = "late: the next keeps its slot", .endedAt = Slot(2) + 5'000'000, .due = Slot(2)},
        {.name = "three frames behind catches up", .endedAt = Slot(6), .due = Slot(3)},
        {.name = "more than three starts anew", .endedAt = Slot(7) + 1, .due = Slot(7) + 1},
        {.name = "slots count from there", .endedAt = Slot(7) + 100, .due = Slot(7) + 1 + Slot(1)},
    };
    constexpr std::int64_t kStart = 5'000'000'123;
    FramePacer pacer = StartPacing(kStart);
    for (const Ending& frame : frames) {
        EXPECT_EQ(NextDeadline(&pacer, kStart + frame.endedAt) - kStart, frame.due) << frame.name;
    }
}

// 2001-02-03 04:05:06 UTC.
constexpr std::time_t kWhen = 981173106;

// Equal frames share a line, its keys in the bindings' order; a run longer
// than a count holds goes on in the next line. Until the end an earlier
// demo stays, and the recording is a temporary file beside it.
TEST(DemoRecord, TheFileIsTheHeaderTheRunsAndTheFinalStateAndAppearsAtTheEnd) {
    EXPECT_EQ(DemoHeader("4.5.6", kWhen),
              "# flagrun demo, recorded by flagrun 4.5.6 on 2001-02-03 04:05:06 UTC\n"
              "# Each line holds keys for a number of frames: COUNT KEY...\n"
              "# Play it with: flagrun --play FILE (flagrun-replay FILE prints its states)\n");
    const FrameInput rightAndD = {.player1 = {.right = true}, .player2 = {.right = true}};
    const FrameInput grenadeAndLaser = {.player1 = {.grenade = true}, .player2 = {.laser = true}};
    ScratchDir dir;
    WriteFile(dir / "game.demo", "an earlier demo\n");
    DemoRecording demo;
    std::string error;
    ASSERT_TRUE(StartDemo(&demo, dir / "game.demo", kWhen, &error)) << error;
    for (const FrameInput& input : {FrameInput{}, rightAndD, rightAndD, InputFromMask(0xFFF)}) {
        RecordDemoFrame(&demo, input);
    }
    RecordDemoFrame(&demo, grenadeAndLaser);
    demo.runLength = 2147483646;
    RecordDemoFrame(&demo, grenadeAndLaser);
    RecordDemoFrame(&demo, grenadeAndLaser);
    EXPECT_EQ(ReadFile(dir / "game.demo"), "an earlier demo\n");
    const std::string temporary = dir / ("game.demo.partial-" + std::to_string(getpid()));
    EXPECT_TRUE(fs::exists(temporary));
    GameState state;
    state.player1.x = -2147483647 - 1; // the widest number a field can hold
    char json[kMaxStateJsonLength];    // the state line flagrun-replay prints
    const std::string stateLine(json, FormatStateJson(json, 7, state));
    EXPECT_TRUE(stateLine.starts_with("{\"frame\":7,\"player1\":{\"x\":-2147483648,\"y\":0,"));
    ASSERT_TRUE(FinishDemo(&demo, state, &error)) << error;
    EXPECT_EQ(ReadFile(dir / "game.demo"),
              DemoHeader(FLAGRUN_VERSION, kWhen) + "1\n2 right d\n" +
                  "1 up down left right w a s d space lctrl lshift ralt\n" +
                  "2147483647 lctrl ralt\n1 lctrl ralt\n" + "# final state: " + stateLine);
    EXPECT_FALSE(fs::exists(temporary));
}

TEST(DemoRecord, ADemoThatCannotBeWrittenIsRefusedAndLeavesNothing) {
    ScratchDir dir;
    fs::create_directory(dir / "taken");
    WriteFile(dir / ("held.demo.partial-" + std::to_string(getpid())), "");
    const std::string refusals[][2] = {
        {dir / "taken", "it is a directory"},
        {dir / "held.demo", "File exists"}, // its temporary file is there
    };
    std::string error;
    for (const auto& [path, reason] : refusals) {
        EXPECT_FALSE(CheckDemoWritable(path, &error));
        EXPECT_EQ(error, "cannot record a demo to '" + path + "': " + reason);
    }
    // The name became a directory during the game: the rename fails.
    DemoRecording demo;
    EXPECT_TRUE(CheckDemoWritable(dir / "game.demo", &error)) << error;
    ASSERT_TRUE(StartDemo(&demo, dir / "game.demo", kWhen, &error)) << error;
    fs::create_directories(dir / "game.demo/inside");
    EXPECT_FALSE(FinishDemo(&demo, GameState{}, &error));
    EXPECT_EQ(error, "cannot write the demo '" + dir / "game.demo" + "': Is a directory");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 3);
}

// A row of passes of the main loop: P pressed so many times before the
// first, then a script line's keys held for its count of passes.
struct Pass {
    const char* name;
    int presses;
    std::string line;
};

// A paused pass runs no frame and records none, so keys held then do
// nothing; the demo played back gives the same states and screen.
TEST_F(GameTest, AGameRecordedWithPausesPlaysBackTheSameWithoutThem) {
    const Pass passes[] = {
        {.name = "Player 1 fires and walks", .presses = 0, .line = "30 space down"},
        {.name = "pause, other keys held", .presses = 1, .line = "12 w ralt"},
        {.name = "resume: Player 2 throws", .presses = 1, .line = "25 lshift d"},
        {.name = "P twice: no pause", .presses = 2, .line = "5"},
        {.name = "pause for one pass", .presses = 1, .line = "1 up"},
        {.name = "resume: nobody", .presses = 1, .line = "15"},
    };
    ScratchDir dir;
    const std::string path = dir / "game.demo";
    DemoSession recording;
    ASSERT_EQ(PrepareDemo(&recording, DemoMode::kRecord, path.c_str()), 0);
    ASSERT_EQ(BeginDemo(&recording), 0);
    Uint8* keyboard = SDL_GetKeyState(nullptr); // what the game reads
    SDL_Event press;
    std::memset(&press, 0, sizeof press);
    press.key.type = SDL_KEYDOWN;
    press.key.keysym.sym = SDLK_p;
    PauseState pause;
    std::vector<GameState> states;
    for (const Pass& p : passes) {
        const std::vector<std::uint32_t> before = ScreenColours(screen);
        std::vector<Instruction> script;
        ScriptError error;
        ASSERT_TRUE(ParseScript(p.line, &script, &error)) << error.problem;
        for (std::size_t bit = 0; bit < kKeyBindingCount; ++bit) {
            keyboard[kKeyBindings[bit].key] = (script[0].keyMask >> bit) & 1;
        }
        for (int i = 0; i < p.presses; ++i) {
            ASSERT_EQ(SDL_PushEvent(&press), 0);
        }
        for (int i = 0; i < script[0].count; ++i) {
            ASSERT_TRUE(RunPass(&pause, DrainEvents().togglePause, &recording));
            states.insert(states.end(), !pause.paused, game);
        }
        // Paused: "Paused" in yellow on a black panel centred on the 640x480
        // playfield, the rest as it was.
        const SDL_Rect panel = PausePanel();
        EXPECT_LE(std::abs(2 * panel.x + panel.w - 640), 1);
        EXPECT_LE(std::abs(2 * panel.y + panel.h - 480), 1);
        EXPECT_EQ(panel.w, MeasureText(hudFont, "Paused") + 16);
        EXPECT_EQ(panel.h, hudFont->cellSize + 16);
        const std::uint32_t yellow = Rgb(255, 255, 0) & 0x00FFFFFF;
        const auto text = CountPixels(yellow) - std::count(before.begin(), before.end(), yellow);
        std::vector<std::uint32_t> shown = ScreenColours(screen);
        for (int y = panel.y; y < panel.y + panel.h; ++y) {
            const auto row = static_cast<std::ptrdiff_t>(y * 640 + panel.x);
            std::copy_n(before.begin() + row, panel.w, shown.begin() + row);
        }
        EXPECT_TRUE(!pause.paused || (shown == before && text > 20)) << p.name;
    }
    ASSERT_EQ(EndDemo(&recording), 0);
    EXPECT_NE(ReadFile(path).find("\n30 down space\n25 d lshift\n20\n# final state: "),
              std::string::npos);
    const std::vector<std::uint32_t> screenRecorded = ScreenColours(screen);
    SDL_FillRect(screen, nullptr, 0);
    DrawBackground();
    game = GameState{};
    SetStartValues(game);
    DemoSession playing;
    ASSERT_EQ(PrepareDemo(&playing, DemoMode::kPlay, path.c_str()), 0);
    for (std::size_t frame = 0; PlayFrame(&playing, FrameDrawing::kDrawn); ++frame) {
        ASSERT_LT(frame, states.size());
        ASSERT_EQ(std::memcmp(&game, &states[frame], sizeof game), 0) << "frame " << frame;
    }
    EXPECT_EQ(ScreenColours(screen), screenRecorded);
    EXPECT_EQ(EndDemo(&playing), 0);
}

} // namespace
