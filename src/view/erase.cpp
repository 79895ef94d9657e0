// The erase at the start of every frame: the background goes back under
// everything the previous frame drew.
#include "view/erase.h"

#include "rules/geometry.h"
#include "view/drawn_areas.h"
#include "view/images.h"

// The HUD panel is drawn opaque at its place as the last sprite of every
// frame, over everything beneath it: what the last frame drew inside it
// cannot show through and needs no background first.
static bool UnderTheHudPanel(const SDL_Rect& area) {
    if (images.hudEraser == nullptr) {
        return false;
    }
    const SDL_Rect panel = {kHudEraser.x, kHudEraser.y, static_cast<Uint16>(images.hudEraser->w),
                            static_cast<Uint16>(images.hudEraser->h)};
    return Contains(panel, area);
}

// The screen keeps its pixels from one flip to the next (the display is one
// surface presented whole by every flip), so what is on it now is exactly
// the last frame. The background copied onto its own place is not noted
// again, and a whole background forgets the list itself.
void EraseLastFrame() {
    if (drawnAreas.overflowed) {
        DrawBackground();
        return;
    }
    for (int i = 0; i < drawnAreas.count; ++i) {
        const SDL_Rect& area = drawnAreas.areas[i];
        if (!UnderTheHudPanel(area)) {
            DrawImageRegion(images.background, area.x, area.y, area.w, area.h, area.x, area.y);
        }
    }
    ForgetDrawn();
}
