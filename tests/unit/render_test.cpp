// The blits and the sprite pass, checked pixel by pixel on the real screen.
#include "draw/images.h"
#include "draw/render.h"
#include "game/game_state.h"
#include "sdl_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kSentinel = 0x00123456;

// Every slot empty and the game at its start values, so each test places
// only the sprites it looks at.
class RenderTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        images = ImageSet{};
        game = GameState{};
        SetStartValues();
        SDL_FillRect(screen, nullptr, kSentinel);
    }
    void TearDown() override {
        for (SDL_Surface* s : owned_) {
            SDL_FreeSurface(s);
        }
        images = ImageSet{};
        ScreenTest::TearDown();
    }
    SDL_Surface* Solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        owned_.push_back(SolidSurface(w, h, r, g, b));
        return owned_.back();
    }
    // A background whose every pixel differs from its neighbours.
    SDL_Surface* Patterned() {
        SDL_Surface* s = Solid(640, 480, 0, 0, 0);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                auto* row = static_cast<std::uint8_t*>(s->pixels) + y * s->pitch;
                reinterpret_cast<std::uint32_t*>(row)[x] =
                    SDL_MapRGB(s->format, x & 0xFF, y & 0xFF, (x >> 8) * 16 + (y >> 8) + 1);
            }
        }
        return s;
    }
    std::vector<SDL_Surface*> owned_;
};

int CountChanged(const std::vector<std::uint32_t>& before) {
    int changed = 0;
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            changed += PixelAt(screen, x, y) != before[y * 640 + x];
        }
    }
    return changed;
}

std::vector<std::uint32_t> Snapshot() {
    std::vector<std::uint32_t> pixels(640 * 530);
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            pixels[y * 640 + x] = PixelAt(screen, x, y);
        }
    }
    return pixels;
}

} // namespace

TEST_F(RenderTest, HomePatchCopiesExactlyTheBackgroundCorner) {
    images.background = Patterned();
    DrawSprites();
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inPatch = x < 130 && y < 130;
            const std::uint32_t expected = inPatch ? PixelAt(images.background, x, y) : kSentinel;
            ASSERT_EQ(PixelAt(screen, x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_F(RenderTest, ParkedMarkersLeaveNoTrace) {
    SDL_Surface* marker = Solid(64, 64, 255, 0, 0);
    images.player1Corpse = marker;
    images.player2Corpse = marker;
    images.enemy1Wreck = marker;
    images.enemy2Wreck = marker;
    images.player1Blast = marker;
    images.player2Blast = marker;
    game.player2.corpseX = 100; // parked in y only
    game.enemy1.wreckY = 100;   // parked in x only
    const auto before = Snapshot();
    DrawSprites();
    EXPECT_EQ(CountChanged(before), 0);
}

// Each case places two overlapping sprites; the later draw must show.
TEST_F(RenderTest, LaterDrawsCoverEarlierOnes) {
    const std::uint32_t under = Rgb(0, 0, 255);
    const std::uint32_t over = Rgb(255, 255, 0);
    struct Case {
        const char* name;
        SDL_Surface* ImageSet::*lower;
        SDL_Surface* ImageSet::*upper;
        void (*place)();
        int probeX;
        int probeY;
    };
    const Case cases[] = {
        {"corpse over its body", &ImageSet::player1Body, &ImageSet::player1Corpse,
         [] {
             game.player1.x = game.player1.corpseX = 300;
             game.player1.y = game.player1.corpseY = 300;
         },
         310, 310},
        {"wreck over its body", &ImageSet::enemy2Body, &ImageSet::enemy2Wreck,
         [] {
             game.enemy2.x = game.enemy2.wreckX = 400;
             game.enemy2.y = game.enemy2.wreckY = 200;
         },
         410, 210},
        {"blue flag over the home patch", &ImageSet::background, &ImageSet::blueFlag, [] {}, 5, 55},
        {"body over its resting laser", &ImageSet::player2Laser, &ImageSet::player2Body,
         [] {
             game.player2.laser.x = game.player2.x;
             game.player2.laser.y = game.player2.y;
         },
         52, 52},
        {"red flag over an enemy", &ImageSet::enemy1Body, &ImageSet::redFlag,
         [] {
             game.enemy1.x = game.redFlagX;
             game.enemy1.y = game.redFlagY;
         },
         595, 435},
        {"hud eraser over a body", &ImageSet::player1Body, &ImageSet::hudEraser,
         [] {
             game.player1.x = 10;
             game.player1.y = 440;
         },
         15, 445},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        images = ImageSet{};
        game = GameState{};
        SetStartValues();
        images.*c.lower = Solid(c.lower == &ImageSet::background ? 640 : 32,
                                c.lower == &ImageSet::background ? 480 : 32, 0, 0, 255);
        images.*c.upper = Solid(32, 32, 255, 255, 0);
        c.place();
        DrawSprites();
        EXPECT_EQ(PixelAt(screen, c.probeX, c.probeY), over);
        EXPECT_NE(under, over);
    }
}

// Positions keep their low 16 bits on their way into SDL's rectangle.
TEST_F(RenderTest, PositionsWrapToTheirLow16Bits) {
    struct Case {
        std::int32_t x;
        std::int32_t y;
        int probeX; // where the sprite's top-left pixel must land
        int probeY;
    };
    const Case cases[] = {
        {65536 + 100, 3 * 65536 + 200, 100, 200},
        {-2 * 65536 + 50, 65536 + 60, 50, 60},
        {2147418112 + 300, 7, 300, 7}, // 0x7FFF0000 + 300
    };
    SDL_Surface* dot = Solid(4, 4, 0, 255, 0);
    for (const Case& c : cases) {
        SDL_FillRect(screen, nullptr, kSentinel);
        DrawImage(dot, c.x, c.y);
        EXPECT_EQ(PixelAt(screen, c.probeX, c.probeY), Rgb(0, 255, 0)) << c.x << "," << c.y;
        EXPECT_EQ(PixelAt(screen, c.probeX + 4, c.probeY), kSentinel);
        EXPECT_EQ(PixelAt(screen, c.probeX - 1, c.probeY), kSentinel);
    }
    // 65536 - 2 is -2: only the part right of the window's left edge shows.
    SDL_FillRect(screen, nullptr, kSentinel);
    DrawImage(dot, 65534, 10);
    EXPECT_EQ(PixelAt(screen, 0, 10), Rgb(0, 255, 0));
    EXPECT_EQ(PixelAt(screen, 1, 10), Rgb(0, 255, 0));
    EXPECT_EQ(PixelAt(screen, 2, 10), kSentinel);
}

// A source rectangle cut at the source's left or top edge moves the drawn
// part right or down by the amount cut, as SDL clips it.
TEST_F(RenderTest, RegionClippedAtTheSourceEdgeShiftsTheDestination) {
    SDL_Surface* source = Solid(10, 10, 200, 0, 0);
    BlitRegion(screen, source, 100, 100, 20, 20, -3, -4);
    EXPECT_EQ(PixelAt(screen, 102, 110), kSentinel);
    EXPECT_EQ(PixelAt(screen, 103, 104), Rgb(200, 0, 0));
    EXPECT_EQ(PixelAt(screen, 103, 103), kSentinel);
    EXPECT_EQ(PixelAt(screen, 112, 113), Rgb(200, 0, 0)); // last source pixel
    EXPECT_EQ(PixelAt(screen, 113, 113), kSentinel);
    EXPECT_EQ(PixelAt(screen, 112, 114), kSentinel);
}

// The real sprites from the run directory: a file used by two slots gives
// two surfaces, and a missing file leaves only its own slots empty.
class ImageFilesTest : public RenderTest {
  protected:
    void TearDown() override {
        for (SDL_Surface* ImageSet::*slot : kSlots) {
            SDL_FreeSurface(images.*slot);
        }
        std::filesystem::current_path(home_);
        if (!temp_.empty()) {
            std::filesystem::remove_all(temp_);
        }
        RenderTest::TearDown();
    }
    static constexpr SDL_Surface* ImageSet::*kSlots[] = {
        &ImageSet::background,      &ImageSet::player1Body,      &ImageSet::player2Body,
        &ImageSet::enemy1Body,      &ImageSet::enemy2Body,       &ImageSet::blueFlag,
        &ImageSet::redFlag,         &ImageSet::player1Laser,     &ImageSet::player2Laser,
        &ImageSet::enemy1Laser,     &ImageSet::enemy2Laser,      &ImageSet::player1Corpse,
        &ImageSet::player2Corpse,   &ImageSet::enemy1Wreck,      &ImageSet::enemy2Wreck,
        &ImageSet::roadblock,       &ImageSet::player1Grenade,   &ImageSet::player2Grenade,
        &ImageSet::player1Blast,    &ImageSet::player2Blast,     &ImageSet::hudEraser,
        &ImageSet::countdownEraser, &ImageSet::player1TagEraser, &ImageSet::player2TagEraser,
    };
    std::filesystem::path home_ = std::filesystem::current_path();
    std::filesystem::path temp_;
};

TEST_F(ImageFilesTest, EverySlotHasASurfaceOfItsOwn) {
    LoadImages();
    for (std::size_t i = 0; i < std::size(kSlots); ++i) {
        ASSERT_NE(images.*kSlots[i], nullptr) << "slot " << i;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(images.*kSlots[i], images.*kSlots[j]) << "slots " << j << " and " << i;
        }
    }
}

TEST_F(ImageFilesTest, MissingFileLeavesItsSpriteInvisible) {
    char pattern[] = "/tmp/flagrun-images-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    temp_ = pattern;
    std::filesystem::copy(home_ / "Graphics", temp_ / "Graphics");
    std::filesystem::remove(temp_ / "Graphics" / "redtl.bmp");
    std::filesystem::current_path(temp_);

    LoadImages();
    EXPECT_EQ(images.enemy1Body, nullptr);
    EXPECT_EQ(images.enemy2Body, nullptr);
    EXPECT_NE(images.player1Body, nullptr);
    EXPECT_NE(images.enemy1Laser, nullptr);

    // The frame still draws everything else; nothing shows where the enemy
    // stands except its own laser, which rests under it at the start.
    DrawBackground();
    game.enemy1.laser.x = 0;
    game.enemy1.laser.y = 0;
    DrawSprites();
    EXPECT_EQ(PixelAt(screen, 516, 316), PixelAt(screen, 400, 250));
    EXPECT_NE(PixelAt(screen, 16, 16), kSentinel); // player 1 was drawn
}
