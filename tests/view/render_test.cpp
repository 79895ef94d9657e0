// The sprite pass and the blits, checked pixel by pixel on the real screen.
#include "game_fixture.h"

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
        for (SDL_Surface* surface : owned_) {
            SDL_FreeSurface(surface);
        }
        images = ImageSet{};
        ScreenTest::TearDown();
    }
    static void Reset() {
        images = ImageSet{};
        game = GameState{};
        SetStartValues(game);
        SDL_FillRect(screen, nullptr, kSentinel);
    }
    SDL_Surface* Solid(int w, int h, std::uint32_t colour) {
        Uint8 r = 0;
        Uint8 g = 0;
        Uint8 b = 0;
        SDL_GetRGB(colour, screen->format, &r, &g, &b);
        owned_.push_back(SolidSurface(w, h, r, g, b));
        return owned_.back();
    }
    std::vector<SDL_Surface*> owned_;
};

// The sprite pass in drawing order: each slot with the state fields that
// place it and the offset from them to where it is drawn. A fixed sprite
// has no fields; its offset is its place.
struct SpriteDraw {
    const char* name;
    SDL_Surface* ImageSet::*slot;
    std::int32_t* x = nullptr;
    std::int32_t* y = nullptr;
    Point offset = {0, 0};
};

PlayerState& p1 = game.player1;
PlayerState& p2 = game.player2;
EnemyState& e1 = game.enemy1;
EnemyState& e2 = game.enemy2;

const SpriteDraw kSpritePass[] = {
    {.name = "home patch", .slot = &ImageSet::background},
    {.name = "tag eraser 1",
     .slot = &ImageSet::player1TagEraser,
     .x = &p1.x,
     .y = &p1.y,
     .offset = {0, 32}},
    {.name = "tag eraser 2",
     .slot = &ImageSet::player2TagEraser,
     .x = &p2.x,
     .y = &p2.y,
     .offset = {0, 32}},
    {.name = "laser 1", .slot = &ImageSet::player1Laser, .x = &p1.laser.x, .y = &p1.laser.y},
    {.name = "laser 2", .slot = &ImageSet::player2Laser, .x = &p2.laser.x, .y = &p2.laser.y},
    {.name = "enemy laser 1", .slot = &ImageSet::enemy1Laser, .x = &e1.laser.x, .y = &e1.laser.y},
    {.name = "enemy laser 2", .slot = &ImageSet::enemy2Laser, .x = &e2.laser.x, .y = &e2.laser.y},
    {.name = "grenade 1",
     .slot = &ImageSet::player1Grenade,
     .x = &p1.grenade.x,
     .y = &p1.grenade.y},
    {.name = "grenade 2",
     .slot = &ImageSet::player2Grenade,
     .x = &p2.grenade.x,
     .y = &p2.grenade.y},
    {.name = "Player 1", .slot = &ImageSet::player1Body, .x = &p1.x, .y = &p1.y},
    {.name = "Player 2", .slot = &ImageSet::player2Body, .x = &p2.x, .y = &p2.y},
    {.name = "enemy 1", .slot = &ImageSet::enemy1Body, .x = &e1.x, .y = &e1.y},
    {.name = "enemy 2", .slot = &ImageSet::enemy2Body, .x = &e2.x, .y = &e2.y},
    {.name = "blue flag", .slot = &ImageSet::blueFlag, .x = &game.blueFlagX, .y = &game.blueFlagY},
    {.name = "red flag", .slot = &ImageSet::redFlag, .x = &game.redFlagX, .y = &game.redFlagY},
    {.name = "corpse 1", .slot = &ImageSet::player1Corpse, .x = &p1.corpseX, .y = &p1.corpseY},
    {.name = "corpse 2", .slot = &ImageSet::player2Corpse, .x = &p2.corpseX, .y = &p2.corpseY},
    {.name = "wreck 1", .slot = &ImageSet::enemy1Wreck, .x = &e1.wreckX, .y = &e1.wreckY},
    {.name = "wreck 2", .slot = &ImageSet::enemy2Wreck, .x = &e2.wreckX, .y = &e2.wreckY},
    {.name = "roadblock", .slot = &ImageSet::roadblock, .offset = {128, 222}},
    {.name = "blast 1", .slot = &ImageSet::player1Blast, .x = &p1.blastX, .y = &p1.blastY},
    {.name = "blast 2", .slot = &ImageSet::player2Blast, .x = &p2.blastX, .y = &p2.blastY},
    {.name = "hud eraser", .slot = &ImageSet::hudEraser, .offset = {1, 430}},
};

bool IsFixed(const SpriteDraw& sprite) {
    return sprite.x == nullptr;
}

// Moves the sprite so that it is drawn at `at`; a fixed sprite stays.
// Returns where it is drawn.
Point Place(const SpriteDraw& sprite, Point at) {
    if (IsFixed(sprite)) {
        return sprite.offset;
    }
    *sprite.x = at.x - sprite.offset.x;
    *sprite.y = at.y - sprite.offset.y;
    return at;
}

// Nobody alive: the pass draws every sprite whatever the state.
void KillEverybody() {
    game.player1.dead = 1;
    game.player2.dead = 1;
    game.enemy1.dx = 0;
    game.enemy1.dy = 0;
    game.enemy2.dx = 0;
    game.enemy2.dy = 0;
}

} // namespace

// A 3x2 sprite, alone in the pass, lands once with its top-left corner at
// its place: the hud eraser at (1, 430), each tag eraser 32 rows below its
// player.
TEST_F(RenderTest, EachSpriteIsDrawnOnceAtItsPlace) {
    const std::uint32_t magenta = Rgb(255, 0, 255);
    for (const SpriteDraw& sprite : kSpritePass) {
        SCOPED_TRACE(sprite.name);
        Reset();
        KillEverybody();
        images.*sprite.slot = Solid(3, 2, magenta);
        const Point at = Place(sprite, {210, 140});
        DrawSprites(game);
        EXPECT_EQ(PixelAt(screen, at.x, at.y), magenta);
        EXPECT_EQ(PixelAt(screen, at.x + 2, at.y + 1), magenta);
        EXPECT_EQ(CountPixels(magenta), 6);
    }
}

// Both at one point, the later sprite shows: at a fixed sprite's place if
// one of them has one.
TEST_F(RenderTest, EachSpriteCoversTheOneDrawnBeforeIt) {
    const std::uint32_t blue = Rgb(0, 0, 255);
    const std::uint32_t yellow = Rgb(255, 255, 0);
    for (std::size_t i = 1; i < std::size(kSpritePass); ++i) {
        const SpriteDraw& lower = kSpritePass[i - 1];
        const SpriteDraw& upper = kSpritePass[i];
        SCOPED_TRACE(testing::Message() << upper.name << " over " << lower.name);
        Reset();
        Point common = {230, 160};
        if (IsFixed(lower)) {
            common = lower.offset;
        }
        if (IsFixed(upper)) {
            common = upper.offset;
        }
        Place(lower, common);
        Place(upper, common);
        images.*lower.slot = Solid(40, 40, blue);
        images.*upper.slot = Solid(40, 40, yellow);
        DrawSprites(game);
        EXPECT_EQ(PixelAt(screen, common.x + 5, common.y + 5), yellow);
    }
}

// The patch restores the background's 130x130 top-left corner and nothing
// else; the whole background is drawn pixel for pixel at (0, 0).
TEST_F(RenderTest, BackgroundIsCopiedPixelForPixel) {
    // a background whose pixels all differ from their neighbours
    images.background = Solid(640, 530, 0);
    for (int y = 0; y < 530; ++y) {
        auto* row =
            static_cast<std::uint8_t*>(images.background->pixels) + y * images.background->pitch;
        for (int x = 0; x < 640; ++x) {
            reinterpret_cast<std::uint32_t*>(row)[x] = Rgb(x & 0xFF, y & 0xFF, 1 + (x >> 8));
        }
    }
    for (bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "the whole background" : "the home patch");
        if (whole) {
            DrawBackground();
        } else {
            DrawSprites(game);
        }
        for (int y = 0; y < 530; ++y) {
            for (int x = 0; x < 640; ++x) {
                const bool drawn = whole || (x < 130 && y < 130);
                const std::uint32_t expected = drawn ? PixelAt(images.background, x, y) : kSentinel;
                ASSERT_EQ(PixelAt(screen, x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

struct WrapCase {
    const char* name;
    Point at;
    Point lands; // where the sprite's top-left pixel lands
};

const WrapCase kWrapCases[] = {
    {.name = "a multiple of 65536 on each axis",
     .at = {65536 + 100, 3 * 65536 + 200},
     .lands = {100, 200}},
    {.name = "a negative multiple", .at = {-2 * 65536 + 50, 65536 + 60}, .lands = {50, 60}},
    {.name = "near the largest value", .at = {0x7FFF0000 + 300, 7}, .lands = {300, 7}},
    {.name = "65534 is -2: the part right of the edge shows", .at = {65534, 10}, .lands = {-2, 10}},
};

// Positions keep their low 16 bits on their way into SDL's rectangle.
TEST_F(RenderTest, PositionsWrapToTheirLow16Bits) {
    const std::uint32_t green = Rgb(0, 255, 0);
    SDL_Surface* dot = Solid(4, 4, green);
    for (const WrapCase& c : kWrapCases) {
        SCOPED_TRACE(c.name);
        SDL_FillRect(screen, nullptr, kSentinel);
        DrawImage(dot, c.at.x, c.at.y);
        EXPECT_EQ(PixelAt(screen, c.lands.x + 3, c.lands.y + 3), green);
        EXPECT_EQ(PixelAt(screen, c.lands.x + 4, c.lands.y), kSentinel);
        EXPECT_EQ(PixelAt(screen, c.lands.x + 3, c.lands.y + 4), kSentinel);
        EXPECT_EQ(CountPixels(green), c.lands.x < 0 ? 4 * (4 + c.lands.x) : 16);
    }
}

// The real sprites: a file used by two slots gives two surfaces, and a
// missing file leaves only its own slots empty while the frame goes on.
TEST_F(RenderTest, ImageFilesLoadIntoSlotsOfTheirOwn) {
    const std::filesystem::path home = std::filesystem::current_path();
    const ScratchDir scratch;
    const std::filesystem::path elsewhere = scratch.path;
    std::filesystem::copy(home / "Graphics", elsewhere / "Graphics");
    std::filesystem::remove(elsewhere / "Graphics" / "redtl.bmp");

    for (bool enemyFileMissing : {false, true}) {
        SCOPED_TRACE(enemyFileMissing ? "the enemy file missing" : "every file there");
        std::filesystem::current_path(enemyFileMissing ? elsewhere : home);
        LoadImages();
        for (std::size_t i = 0; i < kSpriteSlotCount; ++i) {
            SDL_Surface* surface = images.*kSpriteSlots[i].slot;
            const bool enemyBody = kSpriteSlots[i].slot == &ImageSet::enemy1Body ||
                                   kSpriteSlots[i].slot == &ImageSet::enemy2Body;
            EXPECT_EQ(surface == nullptr, enemyFileMissing && enemyBody) << kSpriteSlots[i].role;
            for (std::size_t j = 0; j < i && surface != nullptr; ++j) {
                EXPECT_NE(surface, images.*kSpriteSlots[j].slot) << kSpriteSlots[i].role;
            }
        }
        if (enemyFileMissing) {
            DrawBackground();
            DrawSprites(game);
            // no enemy at (500, 300); Player 1 at (0, 0) is there
            EXPECT_EQ(PixelAt(screen, 516, 316), PixelAt(screen, 400, 250));
            EXPECT_NE(PixelAt(screen, 16, 16), PixelAt(screen, 400, 250));
        }
        FreeImages();
    }
    std::filesystem::current_path(home);
}
