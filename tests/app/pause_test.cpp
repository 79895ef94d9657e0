// The pause: the event drain's requests, the paused screen, and a key
// sequence giving the same states and screens with or without pauses.
#include "app/pause.h"
#include "game_fixture.h"
#include "view/pause_screen.h"
#include "view/text.h"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

struct Event {
    Uint8 type;
    SDLKey key = SDLK_UNKNOWN;
};

struct Drain {
    const char* name;
    std::vector<Event> events;
    int quit = 0;
    bool togglePause = false;
    bool toggleFullScreen = false;
};

void Push(const Event& e) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = e.type;
    event.key.type = e.type;
    event.key.keysym.sym = e.key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

using DrainTest = ScreenTest;

TEST_F(DrainTest, KeyDownsOfEscapePAndF11AndACloseAreRequests) {
    const std::vector<Drain> drains = {
        {.name = "nothing queued", .events = {}},
        {.name = "P pressed",
         .events = {{.type = SDL_KEYDOWN, .key = SDLK_p}},
         .togglePause = true},
        {.name = "P pressed twice toggles back",
         .events = {{.type = SDL_KEYDOWN, .key = SDLK_p}, {.type = SDL_KEYDOWN, .key = SDLK_p}}},
        {.name = "releases and other keys ask for nothing",
         .events = {{.type = SDL_KEYUP, .key = SDLK_p},
                    {.type = SDL_KEYUP, .key = SDLK_ESCAPE},
                    {.type = SDL_KEYUP, .key = SDLK_F11},
                    {.type = SDL_KEYDOWN, .key = SDLK_o},
                    {.type = SDL_KEYDOWN, .key = SDLK_F10}}},
        {.name = "F11 pressed",
         .events = {{.type = SDL_KEYDOWN, .key = SDLK_F11}},
         .toggleFullScreen = true},
        {.name = "every request in one drain, quit twice",
         .events = {{.type = SDL_QUIT},
                    {.type = SDL_KEYDOWN, .key = SDLK_F11},
                    {.type = SDL_KEYDOWN, .key = SDLK_ESCAPE},
                    {.type = SDL_KEYDOWN, .key = SDLK_p}},
         .quit = 1,
         .togglePause = true,
         .toggleFullScreen = true},
    };
    for (const Drain& d : drains) {
        SCOPED_TRACE(d.name);
        for (const Event& e : d.events) {
            Push(e);
        }
        EventRequests requests;
        requests = DrainEvents();
        EXPECT_EQ(requests.quit, d.quit);
        EXPECT_EQ(requests.togglePause, d.togglePause);
        EXPECT_EQ(requests.toggleFullScreen, d.toggleFullScreen);
        EXPECT_EQ(SDL_PollEvent(nullptr), 0) << "an event left in the queue";
    }
}

// The screen's bytes as stored, unused top byte included.
std::vector<std::uint8_t> ScreenBytes() {
    const auto* pixels = static_cast<const std::uint8_t*>(screen->pixels);
    return {pixels, pixels + static_cast<std::size_t>(screen->pitch) * screen->h};
}

static_assert(std::has_unique_object_representations_v<GameState>);

bool SameState(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof(GameState)) == 0;
}

using PauseTest = GameTest;

// "Paused" in the hud font on a black panel centred on the 640x480
// playfield; every pixel outside the panel as it was; resuming restores
// every byte, blending's top bytes included.
TEST_F(PauseTest, PausedScreenShowsThePanelInTheMiddleAndResumingRestoresEveryByte) {
    RunFrames(40, Keys({SDLK_RIGHT, SDLK_s}));
    const std::vector<std::uint8_t> before = ScreenBytes();
    const std::vector<std::uint32_t> colours = ScreenColours(screen);
    PausedScreen paused;
    ShowPaused(&paused);

    const SDL_Rect panel = PausePanel();
    EXPECT_LE(std::abs(2 * panel.x + panel.w - 640), 1);
    EXPECT_LE(std::abs(2 * panel.y + panel.h - 480), 1);
    EXPECT_EQ(panel.w, MeasureText(hudFont, "Paused") + 16);
    EXPECT_EQ(panel.h, hudFont->cellSize + 16);
    SDL_Surface* text = SolidSurface(panel.w, panel.h, 0, 0, 0);
    DrawText(text, hudFont, 8, 8, "Paused");
    const std::vector<std::uint32_t> shown = ScreenColours(screen);
    int yellow = 0;
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inPanel =
                x >= panel.x && x < panel.x + panel.w && y >= panel.y && y < panel.y + panel.h;
            const std::uint32_t expected =
                inPanel ? PixelAt(text, x - panel.x, y - panel.y) & 0x00FFFFFF
                        : colours[y * 640 + x];
            ASSERT_EQ(shown[y * 640 + x], expected) << "at " << x << "," << y;
            yellow += shown[y * 640 + x] == (Rgb(255, 255, 0) & 0x00FFFFFF);
        }
    }
    EXPECT_GT(yellow, 20) << "no text on the panel";
    SDL_FreeSurface(text);

    HidePaused(&paused);
    EXPECT_EQ(ScreenBytes(), before);
}

struct Pass {
    const char* name;
    int count;
    FrameInput keys = {};
    bool togglePause = false; // on the first pass of the row
};

// Frame by frame: the state after each frame and the screen after each row.
struct Record {
    std::vector<GameState> states;
    std::vector<std::vector<std::uint8_t>> screens;
};

// The keys of the passes that run a frame, as a demo to play.
DemoSession SessionFor(const std::vector<Pass>& passes) {
    DemoSession session;
    session.mode = DemoMode::kPlay;
    bool paused = false;
    for (const Pass& p : passes) {
        for (int i = 0; i < p.count; ++i) {
            paused = paused != (p.togglePause && i == 0);
            if (!paused) {
                session.demo.script.push_back({.count = 1, .keyMask = MaskFromInput(p.keys)});
                session.demo.frames += 1;
            }
        }
    }
    return session;
}

Record Play(const std::vector<Pass>& passes) {
    Record record;
    PauseState pause;
    DemoSession session = SessionFor(passes);
    for (const Pass& p : passes) {
        for (int i = 0; i < p.count; ++i) {
            RunPass(&pause, p.togglePause && i == 0, &session);
            if (!pause.paused) {
                record.states.push_back(game);
            }
        }
        record.screens.push_back(ScreenBytes());
    }
    return record;
}

struct SameScreen {
    const char* name;
    std::size_t withPauses; // rows of the two key sequences
    std::size_t plain;
};

// Keys held while paused do nothing; the frame after a resume follows the
// frame before the pause as if there had been no pause.
TEST_F(PauseTest, AKeySequenceGivesTheSameStatesAndScreensWithOrWithoutPauses) {
    const std::vector<Pass> straight = {
        {.name = "Player 1 fires and walks", .count = 30, .keys = Keys({SDLK_SPACE, SDLK_DOWN})},
        {.name = "Player 2 throws and walks", .count = 25, .keys = Keys({SDLK_LSHIFT, SDLK_d})},
        {.name = "nobody", .count = 20, .keys = Keys()},
    };
    const Record plain = Play(straight);

    SDL_FillRect(screen, nullptr, 0);
    DrawBackground();
    game = GameState{};
    SetStartValues(game);
    const std::vector<Pass> paused = {
        {.name = "Player 1 fires and walks", .count = 30, .keys = Keys({SDLK_SPACE, SDLK_DOWN})},
        {.name = "pause, other keys held",
         .count = 12,
         .keys = Keys({SDLK_w, SDLK_RALT, SDLK_LEFT}),
         .togglePause = true},
        {.name = "resume: Player 2 throws and walks",
         .count = 25,
         .keys = Keys({SDLK_LSHIFT, SDLK_d}),
         .togglePause = true},
        {.name = "pause for one pass", .count = 1, .keys = Keys(), .togglePause = true},
        {.name = "resume: nobody", .count = 1, .keys = Keys(), .togglePause = true},
        {.name = "nobody, on", .count = 19, .keys = Keys()},
    };
    const Record withPauses = Play(paused);

    ASSERT_EQ(withPauses.states.size(), plain.states.size());
    for (std::size_t frame = 0; frame < plain.states.size(); ++frame) {
        ASSERT_TRUE(SameState(withPauses.states[frame], plain.states[frame])) << "frame " << frame;
    }
    const std::vector<SameScreen> sameScreens = {
        {.name = "before the first pause", .withPauses = 0, .plain = 0},
        {.name = "after the first resume", .withPauses = 2, .plain = 1},
        {.name = "at the end", .withPauses = 5, .plain = 2},
    };
    for (const SameScreen& same : sameScreens) {
        EXPECT_EQ(withPauses.screens[same.withPauses], plain.screens[same.plain]) << same.name;
    }
    EXPECT_NE(withPauses.screens[1], plain.screens[0]) << "no panel while paused";
}

} // namespace
