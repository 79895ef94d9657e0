// One frame of rules: the state and the input record in, the new state and
// the record of what happened out. Nothing here draws, plays or reads a
// device, so a frame can be run again, ahead or unseen.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"
#include "rules/input.h"

// The rule steps of one frame in their fixed order, from the players' moves
// to the both-dead countdown.
FrameEvents RunRules(GameState& state, const FrameInput& input);
