// The text pass: both experience lines in the strip below the playfield and
// a bounty tag under each player, all in the yellow HUD font.
#include "rules/geometry.h"
#include "view/images.h"
#include "view/render.h"
#include "view/text.h"

// Text is blended, so it is clean only where an eraser blanked its place
// earlier in the frame: the hud eraser for the lines, the tag erasers for
// the tags. Labels are passed as the format itself.
void DrawHudText(const GameState& state) {
    const PlayerState& p1 = state.player1;
    const PlayerState& p2 = state.player2;

    DrawText(screen, hudFont, kExpLabelX, kExpLine1Y, "Player1 Exp:");
    DrawText(screen, hudFont, kExpLabelX, kExpLine2Y, "Player2 Exp:");
    DrawText(screen, hudFont, kExpValueX, kExpLine1Y, "%d", p1.exp);
    DrawText(screen, hudFont, kExpValueX, kExpLine2Y, "%d", p2.exp);
    DrawText(screen, hudFont, p1.x, p1.y + kTagOffsetY, "Bty:");
    DrawText(screen, hudFont, p2.x, p2.y + kTagOffsetY, "Bty:");
    DrawText(screen, hudFont, p1.x + kTagValueOffsetX, p1.y + kTagOffsetY, "%d", p1.bounty);
    DrawText(screen, hudFont, p2.x + kTagValueOffsetX, p2.y + kTagOffsetY, "%d", p2.bounty);
}
