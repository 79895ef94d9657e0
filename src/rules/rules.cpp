// The frame's rules: a fixed, flat list of steps, each complete for all its
// entities before the next begins.
#include "rules/rules.h"

#include "rules/controls.h"
#include "rules/hits.h"
#include "rules/motion.h"
#include "rules/restart.h"

FrameEvents RunRules(GameState& state, const FrameInput& input) {
    FrameEvents events;

    // controls
    MovePlayers(state, input);
    MoveCarriedFlag(state, input, &events);
    PullTriggers(state, input, &events);
    AttachRestingProjectiles(state);

    // motion and bounds
    MoveEnemiesAndLasers(state);
    ReturnEnemyLasersPastEdges(state, &events);
    BounceEnemies(state);
    BoundPlayerLasers(state);
    LimitPlayers(state);
    ReturnEnemyLasersFromZone(state, &events);
    PickUpFlag(state, &events);
    FlyProjectiles(state);

    // hits and scoring
    ResolveHits(state, &events);
    EndGrenadeFlights(state);

    // game end and restart
    RunCaptureCountdown(state, &events);
    StartNewGameWhenDue(state, &events);
    RunBothDeadCountdown(state, &events);
    return events;
}
