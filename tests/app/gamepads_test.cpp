// The SDL part of the gamepads, driven by SDL2's virtual joysticks: the
// SDL 1.2 API here is sdl12-compat, which reads its pads through the SDL2
// library it has loaded, so a virtual pad attached there is a pad to the game.
#include "input/gamepads.h"

#include <dlfcn.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <ostream>

// What gtest prints for a mismatch; found by argument-dependent lookup.
static std::ostream& operator<<(std::ostream& out, const PadReading& pad) {
    return out << "{stick " << pad.stickX << "," << pad.stickY << " hat " << int{pad.hat}
               << " buttons " << pad.button0 << pad.button1 << "}";
}

namespace {

// The few SDL2 calls that make and move virtual pads, looked up in the
// SDL2 library already in the process.
struct VirtualPads {
    int (*initSubSystem)(Uint32 flags) = nullptr;
    int (*numJoysticks)() = nullptr;
    int (*attach)(int type, int axes, int buttons, int hats) = nullptr;
    int (*detach)(int index) = nullptr;
    void* (*open)(int index) = nullptr;
    int (*setAxis)(void* pad, int axis, Sint16 value) = nullptr;
    int (*setHat)(void* pad, int hat, Uint8 value) = nullptr;
    int (*setButton)(void* pad, int button, Uint8 value) = nullptr;
};

constexpr Uint32 kSdl2InitJoystick = 0x200;
constexpr int kSdl2GameControllerType = 1;

template <typename Function> bool Find(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

// False when this SDL is not sdl12-compat over an SDL2 with virtual pads.
bool FindVirtualPads(VirtualPads* pads) {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    return sdl2 != nullptr && Find(sdl2, "SDL_InitSubSystem", &pads->initSubSystem) &&
           Find(sdl2, "SDL_NumJoysticks", &pads->numJoysticks) &&
           Find(sdl2, "SDL_JoystickAttachVirtual", &pads->attach) &&
           Find(sdl2, "SDL_JoystickDetachVirtual", &pads->detach) &&
           Find(sdl2, "SDL_JoystickOpen", &pads->open) &&
           Find(sdl2, "SDL_JoystickSetVirtualAxis", &pads->setAxis) &&
           Find(sdl2, "SDL_JoystickSetVirtualHat", &pads->setHat) &&
           Find(sdl2, "SDL_JoystickSetVirtualButton", &pads->setButton);
}

class GamepadsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override {
        CloseGamepads();
        SDL_Quit();
    }
};

TEST_F(GamepadsTest, WithoutPadsTheReadingsAreAtRest) {
    VirtualPads sdl2;
    if (FindVirtualPads(&sdl2)) {
        ASSERT_EQ(sdl2.initSubSystem(kSdl2InitJoystick), 0);
        if (sdl2.numJoysticks() != 0) {
            GTEST_SKIP() << "a real pad is plugged in";
        }
    }
    OpenGamepads();
    EXPECT_EQ(ReadGamepads(), PadReadings{});
}

// Two pads present at start-up play Player 1 and Player 2; unplugging the
// first leaves it at rest and the second still playing.
TEST_F(GamepadsTest, TwoPadsAreReadEachFrameAndAnUnpluggedOneIsAtRest) {
    VirtualPads sdl2;
    if (!FindVirtualPads(&sdl2)) {
        GTEST_SKIP() << "SDL2's virtual joysticks are not reachable through this SDL";
    }
    ASSERT_EQ(sdl2.initSubSystem(kSdl2InitJoystick), 0);
    if (sdl2.numJoysticks() != 0) {
        GTEST_SKIP() << "a real pad is plugged in";
    }
    ASSERT_EQ(sdl2.attach(kSdl2GameControllerType, 2, 2, 1), 0);
    ASSERT_EQ(sdl2.attach(kSdl2GameControllerType, 2, 2, 1), 1);
    void* pad1 = sdl2.open(0);
    void* pad2 = sdl2.open(1);
    ASSERT_NE(pad1, nullptr);
    ASSERT_NE(pad2, nullptr);
    OpenGamepads();

    EXPECT_EQ(ReadGamepads(), PadReadings{});
    sdl2.setAxis(pad1, 0, 20000);
    sdl2.setAxis(pad1, 1, -1234);
    sdl2.setHat(pad1, 0, SDL_HAT_RIGHTDOWN);
    sdl2.setButton(pad1, 0, 1);
    sdl2.setAxis(pad2, 1, -32768);
    sdl2.setButton(pad2, 1, 1);
    PadReadings readings = ReadGamepads();
    EXPECT_EQ(
        readings.pad1,
        (PadReading{.stickX = 20000, .stickY = -1234, .hat = SDL_HAT_RIGHTDOWN, .button0 = true}));
    EXPECT_EQ(readings.pad2, (PadReading{.stickX = 0, .stickY = -32768, .button1 = true}));

    sdl2.setButton(pad1, 0, 0);
    sdl2.setHat(pad1, 0, SDL_HAT_LEFT);
    readings = ReadGamepads();
    EXPECT_EQ(readings.pad1, (PadReading{.stickX = 20000, .stickY = -1234, .hat = SDL_HAT_LEFT}));

    ASSERT_EQ(sdl2.detach(0), 0);
    readings = ReadGamepads();
    EXPECT_EQ(readings.pad1, PadReading{});
    EXPECT_EQ(readings.pad2, (PadReading{.stickX = 0, .stickY = -32768, .button1 = true}));
}

} // namespace
