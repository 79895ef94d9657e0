// The state line on its own: every field in its place and order, and the
// room a line can take.
#include "replay/state_json.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

Projectile Shot(std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
                std::int32_t inFlight) {
    Projectile p;
    p.x = x;
    p.y = y;
    p.dx = dx;
    p.dy = dy;
    p.inFlight = inFlight;
    return p;
}

// Numbered fields, so a value in the wrong place shows at once.
PlayerState NumberedPlayer(std::int32_t base) {
    PlayerState p;
    p.x = base + 1;
    p.y = base + 2;
    p.dead = base + 3;
    p.corpseX = base + 4;
    p.corpseY = base + 5;
    p.carryingFlag = base + 6;
    p.laser = Shot(base + 7, base + 8, base + 9, base + 10, base + 11);
    p.grenade = Shot(base + 12, base + 13, base + 14, base + 15, base + 16);
    p.blastX = base + 17;
    p.blastY = base + 18;
    p.exp = base + 19;
    p.bounty = base + 20;
    return p;
}

std::string Format(std::int64_t frame, const GameState& state) {
    std::vector<char> buffer(kMaxStateJsonLength);
    char* end = FormatStateJson(buffer.data(), frame, state);
    return std::string(buffer.data(), end);
}

TEST(StateJson, EveryFieldInItsPlaceAndOrder) {
    GameState state;
    state.player1 = NumberedPlayer(0);
    state.player2 = NumberedPlayer(100);
    state.enemy1.x = -1;
    state.enemy1.y = -2;
    state.enemy1.dx = -3;
    state.enemy1.dy = -4;
    state.enemy1.laser = Shot(-5, -6, -7, -8, -9);
    state.enemy1.wreckX = -10;
    state.enemy1.wreckY = -11;
    state.enemy2.x = std::numeric_limits<std::int32_t>::max();
    state.enemy2.y = std::numeric_limits<std::int32_t>::min();
    state.enemy2.dx = 0;
    state.enemy2.dy = 1;
    state.enemy2.laser = Shot(31, 32, 33, 34, 35);
    state.enemy2.wreckX = 36;
    state.enemy2.wreckY = 37;
    state.redFlagX = 41;
    state.redFlagY = 42;
    state.blueFlagX = 43;
    state.blueFlagY = 44;
    state.homePatchX = 45;
    state.homePatchY = 46;
    state.restartCountdown = 47;

    EXPECT_EQ(Format(123456789012, state),
              "{\"frame\":123456789012,"
              "\"player1\":{\"x\":1,\"y\":2,\"dead\":3,\"corpseX\":4,\"corpseY\":5,"
              "\"carryingFlag\":6,\"laser\":{\"x\":7,\"y\":8,\"dx\":9,\"dy\":10,\"inFlight\":11},"
              "\"grenade\":{\"x\":12,\"y\":13,\"dx\":14,\"dy\":15,\"inFlight\":16},"
              "\"blastX\":17,\"blastY\":18,\"exp\":19,\"bounty\":20},"
              "\"player2\":{\"x\":101,\"y\":102,\"dead\":103,\"corpseX\":104,\"corpseY\":105,"
              "\"carryingFlag\":106,"
              "\"laser\":{\"x\":107,\"y\":108,\"dx\":109,\"dy\":110,\"inFlight\":111},"
              "\"grenade\":{\"x\":112,\"y\":113,\"dx\":114,\"dy\":115,\"inFlight\":116},"
              "\"blastX\":117,\"blastY\":118,\"exp\":119,\"bounty\":120},"
              "\"enemy1\":{\"x\":-1,\"y\":-2,\"dx\":-3,\"dy\":-4,"
              "\"laser\":{\"x\":-5,\"y\":-6,\"dx\":-7,\"dy\":-8,\"inFlight\":-9},"
              "\"wreckX\":-10,\"wreckY\":-11},"
              "\"enemy2\":{\"x\":2147483647,\"y\":-2147483648,\"dx\":0,\"dy\":1,"
              "\"laser\":{\"x\":31,\"y\":32,\"dx\":33,\"dy\":34,\"inFlight\":35},"
              "\"wreckX\":36,\"wreckY\":37},"
              "\"redFlagX\":41,\"redFlagY\":42,\"blueFlagX\":43,\"blueFlagY\":44,"
              "\"homePatchX\":45,\"homePatchY\":46,\"restartCountdown\":47}\n");
}

// Every field at its widest value still fits the room the caller leaves,
// and nothing is written past the end the formatter returns.
TEST(StateJson, TheWidestLineFitsItsRoom) {
    constexpr std::int32_t kWide = std::numeric_limits<std::int32_t>::min();
    GameState state;
    PlayerState* players[] = {&state.player1, &state.player2};
    for (PlayerState* p : players) {
        *p = NumberedPlayer(0);
        for (std::int32_t* field : {&p->x,
                                    &p->y,
                                    &p->dead,
                                    &p->corpseX,
                                    &p->corpseY,
                                    &p->carryingFlag,
                                    &p->laser.x,
                                    &p->laser.y,
                                    &p->laser.dx,
                                    &p->laser.dy,
                                    &p->laser.inFlight,
                                    &p->grenade.x,
                                    &p->grenade.y,
                                    &p->grenade.dx,
                                    &p->grenade.dy,
                                    &p->grenade.inFlight,
                                    &p->blastX,
                                    &p->blastY,
                                    &p->exp,
                                    &p->bounty}) {
            *field = kWide;
        }
    }
    EnemyState* enemies[] = {&state.enemy1, &state.enemy2};
    for (EnemyState* e : enemies) {
        for (std::int32_t* field :
             {&e->x, &e->y, &e->dx, &e->dy, &e->laser.x, &e->laser.y, &e->laser.dx, &e->laser.dy,
              &e->laser.inFlight, &e->wreckX, &e->wreckY}) {
            *field = kWide;
        }
    }
    for (std::int32_t* field :
         {&state.redFlagX, &state.redFlagY, &state.blueFlagX, &state.blueFlagY, &state.homePatchX,
          &state.homePatchY, &state.restartCountdown}) {
        *field = kWide;
    }
    std::vector<char> buffer(kMaxStateJsonLength + 1, '\x7f');
    const char* end =
        FormatStateJson(buffer.data(), std::numeric_limits<std::int64_t>::min(), state);
    const auto length = static_cast<std::size_t>(end - buffer.data());
    ASSERT_LE(length, kMaxStateJsonLength);
    EXPECT_EQ(buffer[length - 1], '\n');
    EXPECT_EQ(buffer[length], '\x7f');
    EXPECT_EQ(std::memchr(buffer.data(), '\0', length), nullptr);
    // 69 fields of 11 characters each, the frame of 20
    const std::string line(buffer.data(), length);
    std::size_t wide = 0;
    for (std::size_t at = line.find(":-2147483648"); at != std::string::npos;
         at = line.find(":-2147483648", at + 1)) {
        ++wide;
    }
    EXPECT_EQ(wide, 69u);
    EXPECT_NE(line.find("{\"frame\":-9223372036854775808,"), std::string::npos);
}

} // namespace
