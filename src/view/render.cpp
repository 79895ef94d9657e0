// The sprite pass and the frame's flip. Every sprite is an opaque rectangle;
// the erase at the start of the frame has taken the last frame's away.
#include "view/render.h"

#include "rules/geometry.h"
#include "view/countdown.h"
#include "view/erase.h"
#include "view/images.h"

// The 132x132 rectangle at (-2, -2) is clipped to the background's 130x130
// top-left corner, which lands pixel for pixel on the same screen area: the
// home corner, the blue flag and the start points are restored every frame.
static void RestoreHomePatch(const GameState& state) {
    const std::int32_t x = state.homePatchX - kHomePatchMargin;
    const std::int32_t y = state.homePatchY - kHomePatchMargin;
    DrawImageRegion(images.background, x, y, kHomePatchRequest, kHomePatchRequest, x, y);
}

// Every draw happens every frame, whatever the state: parked markers at
// (700, 700) simply land outside the window. Later draws cover earlier ones.
void DrawSprites(const GameState& state) {
    const PlayerState& p1 = state.player1;
    const PlayerState& p2 = state.player2;
    const EnemyState& e1 = state.enemy1;
    const EnemyState& e2 = state.enemy2;

    RestoreHomePatch(state);
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
    DrawImage(images.blueFlag, state.blueFlagX, state.blueFlagY);
    DrawImage(images.redFlag, state.redFlagX, state.redFlagY);
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

// The counts go straight onto the screen before the sprites, in the order
// the rules showed them; a new game's background, drawn after them, paints
// over all of the old game's drawing, this frame's count included.
void ShowCountdowns(const FrameEvents& events) {
    for (int i = 0; i < events.countdownCount; ++i) {
        DrawCountdown(events.countdownsShown[i]);
    }
    if (events.newGame) {
        DrawBackground();
    }
}

void RenderFrame(const GameState& state, const FrameEvents& events) {
    EraseLastFrame();
    ShowCountdowns(events);
    DrawSprites(state);
    DrawHudText(state);
}
