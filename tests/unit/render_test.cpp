// The blits and the sprite pass, checked pixel by pixel on the real screen.
#include "draw/render.h"
#include "draw/sprite_table.h"
#include "game/game_state.h"
#include "sdl_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr std::uint32_t kSentinel = 0x00123456;

// Every slot empty and the game at its start values, so each test places
// only the sprites it looks at.
class RenderTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        Reset();
    }
    void TearDown() override {
        for (SDL_Surface* s : owned_) {
            SDL_FreeSurface(s);
        }
        images = ImageSet{};
        ScreenTest::TearDown();
    }
    void Reset() {
        images = ImageSet{};
        game = GameState{};
        SetStartValues();
        SDL_FillRect(screen, nullptr, kSentinel);
    }
    SDL_Surface* Solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        owned_.push_back(SolidSurface(w, h, r, g, b));
        return owned_.back();
    }
    std::vector<SDL_Surface*> owned_;
};

} // namespace

TEST_F(RenderTest, HomePatchCopiesExactlyTheBackgroundCorner) {
    // a background whose pixels all differ from their neighbours
    images.background = Solid(640, 530, 0, 0, 0);
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            auto* row = static_cast<std::uint8_t*>(images.background->pixels) + y * 2560;
            reinterpret_cast<std::uint32_t*>(row)[x] = Rgb(x & 0xFF, y & 0xFF, 1 + (x >> 8));
        }
    }
    DrawSprites();
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inPatch = x < 130 && y < 130;
            ASSERT_EQ(PixelAt(screen, x, y), inPatch ? PixelAt(images.background, x, y) : kSentinel)
                << "at " << x << "," << y;
        }
    }
}

TEST_F(RenderTest, ParkedMarkersLeaveNoTrace) {
    SDL_Surface* marker = Solid(64, 64, 255, 0, 0);
    for (auto slot : {&ImageSet::player1Corpse, &ImageSet::player2Corpse, &ImageSet::enemy1Wreck,
                      &ImageSet::enemy2Wreck, &ImageSet::player1Blast, &ImageSet::player2Blast}) {
        images.*slot = marker;
    }
    game.player2.corpseX = 100; // parked in y only
    game.enemy1.wreckY = 100;   // parked in x only
    DrawSprites();
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            ASSERT_EQ(PixelAt(screen, x, y), kSentinel) << "at " << x << "," << y;
        }
    }
}

// Each case places two overlapping sprites; the later draw must show.
TEST_F(RenderTest, LaterDrawsCoverEarlierOnes) {
    struct Case {
        const char* name;
        SDL_Surface* ImageSet::*lower;
        SDL_Surface* ImageSet::*upper;
        void (*place)();
        int probeX, probeY;
    };
    const Case cases[] = {
        {"corpse over its body", &ImageSet::player1Body, &ImageSet::player1Corpse,
         [] {
             game.player1.x = game.player1.y = game.player1.corpseX = game.player1.corpseY = 300;
         },
         310, 310},
        {"wreck over its body", &ImageSet::enemy2Body, &ImageSet::enemy2Wreck,
         [] {
             game.enemy2.wreckX = game.enemy2.x;
             game.enemy2.wreckY = game.enemy2.y;
         },
         610, 410},
        {"blue flag over the home patch", &ImageSet::background, &ImageSet::blueFlag, [] {}, 5, 55},
        {"body over its resting laser", &ImageSet::player2Laser, &ImageSet::player2Body,
         [] { game.player2.laser.x = game.player2.laser.y = 50; }, 52, 52},
        {"red flag over an enemy", &ImageSet::enemy1Body, &ImageSet::redFlag,
         [] {
             game.enemy1.x = game.redFlagX;
             game.enemy1.y = game.redFlagY;
         },
         595, 435},
        {"hud eraser over a body", &ImageSet::player1Body, &ImageSet::hudEraser,
         [] { game.player1.x = 10, game.player1.y = 440; }, 15, 445},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        images.*c.lower = Solid(640, 530, 0, 0, 255);
        images.*c.upper = Solid(32, 32, 255, 255, 0);
        c.place();
        DrawSprites();
        EXPECT_EQ(PixelAt(screen, c.probeX, c.probeY), Rgb(255, 255, 0));
    }
}

// Positions keep their low 16 bits on their way into SDL's rectangle.
TEST_F(RenderTest, PositionsWrapToTheirLow16Bits) {
    struct Case {
        std::int32_t x, y;
        int landX, landY; // where the sprite's top-left pixel lands
    };
    const Case cases[] = {
        {65536 + 100, 3 * 65536 + 200, 100, 200},
        {-2 * 65536 + 50, 65536 + 60, 50, 60},
        {0x7FFF0000 + 300, 7, 300, 7},
        {65534, 10, -2, 10}, // -2: only the part right of the edge shows
    };
    SDL_Surface* dot = Solid(4, 4, 0, 255, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        SDL_FillRect(screen, nullptr, kSentinel);
        DrawImage(dot, c.x, c.y);
        EXPECT_EQ(PixelAt(screen, c.landX + 3, c.landY + 3), Rgb(0, 255, 0));
        EXPECT_EQ(PixelAt(screen, c.landX + 4, c.landY), kSentinel);
        if (c.landX > 0) {
            EXPECT_EQ(PixelAt(screen, c.landX, c.landY), Rgb(0, 255, 0));
            EXPECT_EQ(PixelAt(screen, c.landX - 1, c.landY), kSentinel);
        }
    }
}

// A source rectangle cut at the source's left or top edge moves the drawn
// part right or down by the amount cut, as SDL clips it.
TEST_F(RenderTest, RegionClippedAtTheSourceEdgeShiftsTheDestination) {
    BlitRegion(screen, Solid(10, 10, 200, 0, 0), 100, 100, 20, 20, -3, -4);
    EXPECT_EQ(PixelAt(screen, 103, 104), Rgb(200, 0, 0));
    EXPECT_EQ(PixelAt(screen, 112, 113), Rgb(200, 0, 0));
    for (auto [x, y] : {std::pair{102, 110}, {103, 103}, {113, 113}, {112, 114}}) {
        EXPECT_EQ(PixelAt(screen, x, y), kSentinel) << x << "," << y;
    }
}

// The real sprites: a file used by two slots gives two surfaces, and a
// missing file leaves only its own slots empty while the frame goes on.
TEST_F(RenderTest, ImageFilesLoadIntoSlotsOfTheirOwn) {
    const std::filesystem::path home = std::filesystem::current_path();
    char pattern[] = "/tmp/flagrun-images-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::filesystem::copy(home / "Graphics", std::filesystem::path(pattern) / "Graphics");
    std::filesystem::remove(std::filesystem::path(pattern) / "Graphics" / "redtl.bmp");

    for (bool missing : {false, true}) {
        std::filesystem::current_path(missing ? std::filesystem::path(pattern) : home);
        LoadImages();
        for (std::size_t i = 0; i < kSpriteSlotCount; ++i) {
            const bool enemyBody = i == 3 || i == 4;
            EXPECT_EQ(images.*kSpriteSlots[i].slot == nullptr, missing && enemyBody)
                << "slot " << i;
            for (std::size_t j = 0; j < i && images.*kSpriteSlots[i].slot != nullptr; ++j) {
                EXPECT_NE(images.*kSpriteSlots[i].slot, images.*kSpriteSlots[j].slot)
                    << j << "," << i;
            }
        }
        if (missing) {
            DrawBackground();
            game.enemy1.laser.x = game.enemy1.laser.y = 0;
            DrawSprites();
            EXPECT_EQ(PixelAt(screen, 516, 316), PixelAt(screen, 400, 250)); // no enemy
            EXPECT_NE(PixelAt(screen, 16, 16), PixelAt(screen, 400, 250));   // player 1
        }
        for (const SpriteSlot& sprite : kSpriteSlots) {
            SDL_FreeSurface(images.*sprite.slot);
        }
        images = ImageSet{};
    }
    std::filesystem::current_path(home);
    std::filesystem::remove_all(pattern);
}
