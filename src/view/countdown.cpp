// The countdown message: its eraser and its two texts.
#include "view/countdown.h"

#include "rules/geometry.h"
#include "view/images.h"
#include "view/text.h"

// Drawn straight onto the screen before the frame's sprites; the hud eraser
// drawn later in the frame leaves it alone, being clear of x 300.
void DrawCountdown(std::int32_t count) {
    DrawImage(images.countdownEraser, kCountdownText.x, kCountdownText.y);
    DrawText(screen, hudFont, kCountdownText.x, kCountdownText.y, "New game in %d", count);
    DrawText(screen, hudFont, kSecondsX, kCountdownText.y, "seconds");
}
