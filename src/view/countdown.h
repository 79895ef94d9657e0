// The countdown message, drawn for each count the frame showed, before the
// sprite pass.
#pragma once

#include <cstdint>

// Blanks the message's place with the countdown eraser and writes "New game
// in N" and "seconds" over it.
void DrawCountdown(std::int32_t count);
