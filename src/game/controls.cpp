// Movement keys, the carried flag, triggers and the attachment of resting
// projectiles.
#include "game/controls.h"

#include "game/arith.h"
#include "game/game_state.h"

namespace {

struct MoveKeys {
    SDLKey up;
    SDLKey down;
    SDLKey left;
    SDLKey right;
};

constexpr MoveKeys kPlayer1Keys{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
constexpr MoveKeys kPlayer2Keys{SDLK_w, SDLK_s, SDLK_a, SDLK_d};

} // namespace

// Each held key is an independent one-pixel step, so opposite keys cancel.
// Nothing bounds the step here; the player limits push back later in the
// same frame.
static void MovePlayer(PlayerState& player, const Uint8* keys, const MoveKeys& k) {
    if (!PlayerAlive(player)) {
        return;
    }
    if (keys[k.up]) {
        player.y -= 1;
    }
    if (keys[k.down]) {
        player.y += 1;
    }
    if (keys[k.left]) {
        player.x -= 1;
    }
    if (keys[k.right]) {
        player.x += 1;
    }
}

void MovePlayers(const Uint8* keys) {
    MovePlayer(game.player1, keys, kPlayer1Keys);
    MovePlayer(game.player2, keys, kPlayer2Keys);
}

// The flag follows the carrier's keys, not the carrier: it is never pushed
// back with him and has no bounds of its own, hence the wrapping steps.
static void MoveFlagWith(const PlayerState& carrier, const Uint8* keys, const MoveKeys& k) {
    if (carrier.carryingFlag != 1 || !PlayerAlive(carrier)) {
        return;
    }
    if (keys[k.up]) {
        game.redFlagY = WrapSub(game.redFlagY, 1);
    }
    if (keys[k.down]) {
        game.redFlagY = WrapAdd(game.redFlagY, 1);
    }
    if (keys[k.left]) {
        game.redFlagX = WrapSub(game.redFlagX, 1);
    }
    if (keys[k.right]) {
        game.redFlagX = WrapAdd(game.redFlagX, 1);
    }
}

void MoveCarriedFlag(const Uint8* keys) {
    MoveFlagWith(game.player1, keys, kPlayer1Keys);
    MoveFlagWith(game.player2, keys, kPlayer2Keys);
}

// A held trigger sets the flight flag again every frame; the shot keeps its
// position and velocity, there is no aiming.
static void Trigger(Projectile& shot, const PlayerState& owner, const Uint8* keys, SDLKey key) {
    if (keys[key] && PlayerAlive(owner)) {
        shot.inFlight = 1;
    }
}

void PullTriggers(const Uint8* keys) {
    Trigger(game.player1.laser, game.player1, keys, SDLK_SPACE);
    Trigger(game.player2.laser, game.player2, keys, SDLK_LCTRL);
    Trigger(game.player2.grenade, game.player2, keys, SDLK_LSHIFT);
    Trigger(game.player1.grenade, game.player1, keys, SDLK_RALT);
}

static void AttachLaser(PlayerState& owner) {
    if (owner.laser.inFlight == 0) {
        owner.laser.x = owner.x;
        owner.laser.y = owner.y;
    }
}

static void AttachGrenade(PlayerState& owner) {
    if (owner.grenade.inFlight == 0) {
        owner.grenade.x = owner.x;
        owner.grenade.y = owner.y;
        owner.blastX = kParked;
        owner.blastY = kParked;
    }
}

void AttachRestingProjectiles() {
    AttachLaser(game.player1);
    AttachLaser(game.player2);
    AttachGrenade(game.player1);
    AttachGrenade(game.player2);
}
