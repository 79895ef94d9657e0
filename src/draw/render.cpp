// The sprite pass and the frame's flip. Every sprite is an opaque rectangle;
// the erase at the start of the frame has taken the last frame's away.
#include "draw/render.h"

#include "draw/images.h"
#include "game/game_state.h"
#include "game/geometry.h"

// The 132x132 rectangle at (-2, -2) is clipped to the background's 130x130
// top-left corner, which lands pixel for pixel on the same screen area: the
// home corner, the blue flag and the start points are restored every frame.
static void RestoreHomePatch() {
    const std::int32_t x = game.homePatchX - kHomePatchMargin;
    const std::int32_t y = game.homePatchY - kHomePatchMargin;
    DrawImageRegion(images.background, x, y, kHomePatchRequest, kHomePatchRequest, x, y);
}

// Every draw happens every frame, whatever the state: parked markers at
// (700, 700) simply land outside the window. Later draws cover earlier ones.
void DrawSprites() {
    const PlayerState& p1 = game.player1;
    const PlayerState& p2 = game.player2;
    const EnemyState& e1 = game.enemy1;
    const EnemyState& e2 = game.enemy2;

    RestoreHomePatch();
    DrawImage(images.player1TagEraser, p1.x, p1.y + kTagOffsetY);
    DrawImage(images.player2TagEraser, p2.x, p2.y + kTagOffsetY);
    // shots lie under the bodies, so a resting one hides under its owner
    DrawImage(images.player1Laser, p1.laser.x, p1.laser.y);
    DrawImage(images.player2Laser, p2.laser.x, p2.laser.y);
    DrawImage(images.enemy1Laser, e1.laser.x, e1.laser.y);
    DrawImage(images.enemy2Laser, e2.laser.x, e2.laser.y);
    DrawImage(images.player1Grenade, p1.grenade.x, p1.grenade.y);
    DrawImage(images.player2Grenade, p2.grenade.x, p2.grenade.y);
    DrawImage(images.player1Body, p1.x, p1.y);
    DrawImage(images.player2Body, p2.x, p2.y);
    DrawImage(images.enemy1Body, e1.x, e1.y);
    DrawImage(images.enemy2Body, e2.x, e2.y);
    DrawImage(images.blueFlag, game.blueFlagX, game.blueFlagY);
    DrawImage(images.redFlag, game.redFlagX, game.redFlagY);
    // a dead player's body is still drawn; its corpse covers it
    DrawImage(images.player1Corpse, p1.corpseX, p1.corpseY);
    DrawImage(images.player2Corpse, p2.corpseX, p2.corpseY);
    DrawImage(images.enemy1Wreck, e1.wreckX, e1.wreckY);
    DrawImage(images.enemy2Wreck, e2.wreckX, e2.wreckY);
    DrawImage(images.roadblock, kRoadblock.x, kRoadblock.y);
    DrawImage(images.player1Blast, p1.blastX, p1.blastY);
    DrawImage(images.player2Blast, p2.blastX, p2.blastY);
    DrawImage(images.hudEraser, kHudEraser.x, kHudEraser.y);
}

void RenderFrame() {
    DrawSprites();
    DrawHudText();
    SDL_Flip(screen);
}
