// Frame composition: the erase of the last frame, what the frame's record
// asks to show (the counts, a new game's background), the sprite pass, the
// text pass. The app shows the result.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"

// Draws the frame that the rules left in `state` and `events` on the
// screen. Reads the state, never writes it.
void RenderFrame(const GameState& state, const FrameEvents& events);

// What the record asks to show before the sprites: the counts shown, in
// order, then a new game's whole background.
void ShowCountdowns(const FrameEvents& events);

// The sprite pass alone: the home patch, the erasers and every sprite.
void DrawSprites(const GameState& state);

// The text pass alone: the experience lines and the bounty tags.
void DrawHudText(const GameState& state);
