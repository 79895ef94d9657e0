// Movement, the carried flag, triggers and the attachment of resting
// projectiles.
#include "game/controls.h"

#include "game/arith.h"
#include "game/game_state.h"

// Each held direction is an independent one-pixel step, so opposites cancel.
// Nothing bounds the step here; the player limits push back later in the
// same frame.
static void MovePlayer(PlayerState& player, const PlayerInput& held) {
    if (!PlayerAlive(player)) {
        return;
    }
    if (held.up) {
        player.y -= 1;
    }
    if (held.down) {
        player.y += 1;
    }
    if (held.left) {
        player.x -= 1;
    }
    if (held.right) {
        player.x += 1;
    }
}

void MovePlayers(const FrameInput& input) {
    MovePlayer(game.player1, input.player1);
    MovePlayer(game.player2, input.player2);
}

// The flag follows the carrier's keys, not the carrier: it is never pushed
// back with him and has no bounds of its own, hence the wrapping steps.
static void MoveFlagWith(const PlayerState& carrier, const PlayerInput& held) {
    if (carrier.carryingFlag != 1 || !PlayerAlive(carrier)) {
        return;
    }
    if (held.up) {
        game.redFlagY = WrapSub(game.redFlagY, 1);
    }
    if (held.down) {
        game.redFlagY = WrapAdd(game.redFlagY, 1);
    }
    if (held.left) {
        game.redFlagX = WrapSub(game.redFlagX, 1);
    }
    if (held.right) {
        game.redFlagX = WrapAdd(game.redFlagX, 1);
    }
}

void MoveCarriedFlag(const FrameInput& input) {
    MoveFlagWith(game.player1, input.player1);
    MoveFlagWith(game.player2, input.player2);
}

// A held trigger sets the flight flag again every frame; the shot keeps its
// position and velocity, there is no aiming.
static void Trigger(Projectile& shot, const PlayerState& owner, bool held) {
    if (held && PlayerAlive(owner)) {
        shot.inFlight = 1;
    }
}

// The order is the keyboard's of old: Player 1's laser, Player 2's laser,
// Player 2's grenade, Player 1's grenade.
void PullTriggers(const FrameInput& input) {
    Trigger(game.player1.laser, game.player1, input.player1.laser);
    Trigger(game.player2.laser, game.player2, input.player2.laser);
    Trigger(game.player2.grenade, game.player2, input.player2.grenade);
    Trigger(game.player1.grenade, game.player1, input.player1.grenade);
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
