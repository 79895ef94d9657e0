// The text pass: both experience lines in the strip below the playfield and
// a bounty tag under each player, all in the yellow HUD font.
#include "draw/images.h"
#include "draw/render.h"
#include "font/text.h"
#include "game/game_state.h"

// Text is blended, so it is clean only where an eraser blanked its place
// earlier in the frame: the hud eraser for the lines, the tag erasers for
// the tags. Labels are passed as the format itself.
void DrawHudText() {
    const PlayerState& p1 = game.player1;
    const PlayerState& p2 = game.player2;

    DrawText(screen, hudFont, 1, 480, "Player1 Exp:");
    DrawText(screen, hudFont, 1, 500, "Player2 Exp:");
    DrawText(screen, hudFont, 110, 480, "%d", p1.exp);
    DrawText(screen, hudFont, 110, 500, "%d", p2.exp);
    DrawText(screen, hudFont, p1.x, p1.y + 32, "Bty:");
    DrawText(screen, hudFont, p2.x, p2.y + 32, "Bty:");
    DrawText(screen, hudFont, p1.x + 32, p1.y + 32, "%d", p1.bounty);
    DrawText(screen, hudFont, p2.x + 32, p2.y + 32, "%d", p2.bounty);
}
