// JSON Lines output of the game state. A replay can print a million lines,
// so every line is built with plain copies and std::to_chars straight into
// the caller's buffer: no streams, no printf, no allocation.
#include "demo/state_json.h"

#include <charconv>
#include <cstring>
#include <string_view>

// Copies a literal: key names with their quotes, colons and commas.
static char* Put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// 20 bytes hold any 64-bit value with its sign.
static char* PutNumber(char* out, std::int64_t value) {
    return std::to_chars(out, out + 20, value).ptr;
}

static char* PutField(char* out, std::string_view key, std::int32_t value) {
    return PutNumber(Put(out, key), value);
}

static char* PutProjectile(char* out, const Projectile& p) {
    out = PutField(out, "{\"x\":", p.x);
    out = PutField(out, ",\"y\":", p.y);
    out = PutField(out, ",\"dx\":", p.dx);
    out = PutField(out, ",\"dy\":", p.dy);
    out = PutField(out, ",\"inFlight\":", p.inFlight);
    return Put(out, "}");
}

static char* PutPlayer(char* out, const PlayerState& p) {
    out = PutField(out, "{\"x\":", p.x);
    out = PutField(out, ",\"y\":", p.y);
    out = PutField(out, ",\"dead\":", p.dead);
    out = PutField(out, ",\"corpseX\":", p.corpseX);
    out = PutField(out, ",\"corpseY\":", p.corpseY);
    out = PutField(out, ",\"carryingFlag\":", p.carryingFlag);
    out = PutProjectile(Put(out, ",\"laser\":"), p.laser);
    out = PutProjectile(Put(out, ",\"grenade\":"), p.grenade);
    out = PutField(out, ",\"blastX\":", p.blastX);
    out = PutField(out, ",\"blastY\":", p.blastY);
    out = PutField(out, ",\"exp\":", p.exp);
    out = PutField(out, ",\"bounty\":", p.bounty);
    return Put(out, "}");
}

static char* PutEnemy(char* out, const EnemyState& e) {
    out = PutField(out, "{\"x\":", e.x);
    out = PutField(out, ",\"y\":", e.y);
    out = PutField(out, ",\"dx\":", e.dx);
    out = PutField(out, ",\"dy\":", e.dy);
    out = PutProjectile(Put(out, ",\"laser\":"), e.laser);
    out = PutField(out, ",\"wreckX\":", e.wreckX);
    out = PutField(out, ",\"wreckY\":", e.wreckY);
    return Put(out, "}");
}

char* FormatStateJson(char* out, std::int64_t frame, const GameState& state) {
    out = PutNumber(Put(out, "{\"frame\":"), frame);
    out = PutPlayer(Put(out, ",\"player1\":"), state.player1);
    out = PutPlayer(Put(out, ",\"player2\":"), state.player2);
    out = PutEnemy(Put(out, ",\"enemy1\":"), state.enemy1);
    out = PutEnemy(Put(out, ",\"enemy2\":"), state.enemy2);
    out = PutField(out, ",\"redFlagX\":", state.redFlagX);
    out = PutField(out, ",\"redFlagY\":", state.redFlagY);
    out = PutField(out, ",\"blueFlagX\":", state.blueFlagX);
    out = PutField(out, ",\"blueFlagY\":", state.blueFlagY);
    out = PutField(out, ",\"homePatchX\":", state.homePatchX);
    out = PutField(out, ",\"homePatchY\":", state.homePatchY);
    out = PutField(out, ",\"restartCountdown\":", state.restartCountdown);
    return Put(out, "}\n");
}
