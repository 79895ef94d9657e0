// Movement, the carried flag, triggers and the attachment of resting
// projectiles.
#include "rules/controls.h"

#include "rules/arith.h"

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

void MovePlayers(GameState& state, const FrameInput& input) {
    MovePlayer(state.player1, input.player1);
    MovePlayer(state.player2, input.player2);
}

// The flag follows the carrier's keys, not the carrier: it is never pushed
// back with him and has no bounds of its own, hence the wrapping steps.
static void MoveFlagWith(GameState& state, const PlayerState& carrier, const PlayerInput& held) {
    if (carrier.carryingFlag != 1 || !PlayerAlive(carrier)) {
        return;
    }
    if (held.up) {
        state.redFlagY = WrapSub(state.redFlagY, 1);
    }
    if (held.down) {
        state.redFlagY = WrapAdd(state.redFlagY, 1);
    }
    if (held.left) {
        state.redFlagX = WrapSub(state.redFlagX, 1);
    }
    if (held.right) {
        state.redFlagX = WrapAdd(state.redFlagX, 1);
    }
}

void MoveCarriedFlag(GameState& state, const FrameInput& input, FrameEvents* events) {
    const bool wasHome = InHomeCorner(state.redFlagX, state.redFlagY);
    MoveFlagWith(state, state.player1, input.player1);
    MoveFlagWith(state, state.player2, input.player2);
    events->flagHome = !wasHome && InHomeCorner(state.redFlagX, state.redFlagY);
}

// Where a shot's flight ends: past the playfield for a laser, past 640 on
// either axis for a grenade.
struct FlightLimit {
    std::int32_t x;
    std::int32_t y;
};

static constexpr FlightLimit kLaserLimit = {kPlayfieldWidth, kPlayfieldHeight};
static constexpr FlightLimit kGrenadeFlightLimit = {kGrenadeLimit, kGrenadeLimit};

// A held trigger sets the flight flag again every frame; the shot keeps its
// position and velocity, there is no aiming. A shot is fired when it sets
// off from rest; one stopped past its limit with the trigger still held sets
// off again every frame, only to stop again, and is not fired anew.
static void Trigger(Projectile& shot, const PlayerState& owner, bool held, FlightLimit limit,
                    bool* fired) {
    if (held && PlayerAlive(owner)) {
        const bool pastLimit = shot.x > limit.x || shot.y > limit.y;
        *fired = *fired || (shot.inFlight == 0 && !pastLimit);
        shot.inFlight = 1;
    }
}

// The order is the keyboard's of old: Player 1's laser, Player 2's laser,
// Player 2's grenade, Player 1's grenade.
void PullTriggers(GameState& state, const FrameInput& input, FrameEvents* events) {
    PlayerState& p1 = state.player1;
    PlayerState& p2 = state.player2;
    Trigger(p1.laser, p1, input.player1.laser, kLaserLimit, &events->player1.laserFired);
    Trigger(p2.laser, p2, input.player2.laser, kLaserLimit, &events->player2.laserFired);
    Trigger(p2.grenade, p2, input.player2.grenade, kGrenadeFlightLimit,
            &events->player2.grenadeThrown);
    Trigger(p1.grenade, p1, input.player1.grenade, kGrenadeFlightLimit,
            &events->player1.grenadeThrown);
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

void AttachRestingProjectiles(GameState& state) {
    AttachLaser(state.player1);
    AttachLaser(state.player2);
    AttachGrenade(state.player1);
    AttachGrenade(state.player2);
}
