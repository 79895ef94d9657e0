// The list of screen rectangles drawn since the last erase.
#include "view/drawn_areas.h"

DrawnAreas drawnAreas;

bool Contains(const SDL_Rect& outer, const SDL_Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

// Putting the background back is the same wherever the rectangles overlap,
// so one lying inside another already noted (a glyph on an eraser) is left
// out.
void NoteDrawn(const SDL_Rect& area) {
    if (area.w == 0 || area.h == 0 || drawnAreas.overflowed) {
        return;
    }
    for (int i = 0; i < drawnAreas.count; ++i) {
        if (Contains(drawnAreas.areas[i], area)) {
            return;
        }
    }
    if (drawnAreas.count == kDrawnAreaCapacity) {
        drawnAreas.overflowed = true;
        return;
    }
    drawnAreas.areas[drawnAreas.count] = area;
    drawnAreas.count += 1;
}

void ForgetDrawn() {
    drawnAreas.count = 0;
    drawnAreas.overflowed = false;
}
