// The whole background, drawn at start-up and by the new-game step.
#pragma once

// Draws the whole background at (0, 0): at start-up and at every new game.
void DrawBackground();
