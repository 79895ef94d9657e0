// Frame composition: the sprite pass, the text pass and the flip.
#pragma once

// Draws the frame over the background and this frame's countdown, and
// flips the display.
// Reads the game state, never writes it.
void RenderFrame();

// The sprite pass alone: the home patch, the erasers and every sprite.
void DrawSprites();

// The text pass alone: the experience lines and the bounty tags.
void DrawHudText();
