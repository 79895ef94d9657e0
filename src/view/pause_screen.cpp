// The pause panel and the copy of the screen it covers.
#include "view/pause_screen.h"

#include "view/images.h"
#include "view/text.h"

#include <cstring>

static constexpr const char* kPausedText = "Paused";
static constexpr int kPanelMargin = 8;
static constexpr int kPlayfieldWidth = 640;
static constexpr int kPlayfieldHeight = 480;

SDL_Rect PausePanel() {
    const int w = MeasureText(hudFont, "%s", kPausedText) + 2 * kPanelMargin;
    const int h = hudFont->cellSize + 2 * kPanelMargin;
    return SDL_Rect{.x = static_cast<Sint16>((kPlayfieldWidth - w) / 2),
                    .y = static_cast<Sint16>((kPlayfieldHeight - h) / 2),
                    .w = static_cast<Uint16>(w),
                    .h = static_cast<Uint16>(h)};
}

// The whole screen, bytes as stored: blended text leaves values in the
// unused top byte too, and the restored screen must equal the kept one.
static void CopyScreen(std::uint8_t* to, const std::uint8_t* from) {
    std::memcpy(to, from, static_cast<std::size_t>(screen->pitch) * screen->h);
}

void ShowPaused(PausedScreen* paused) {
    paused->kept.resize(static_cast<std::size_t>(screen->pitch) * screen->h);
    SDL_LockSurface(screen);
    CopyScreen(paused->kept.data(), static_cast<const std::uint8_t*>(screen->pixels));
    SDL_UnlockSurface(screen);
    SDL_Rect panel = PausePanel();
    SDL_FillRect(screen, &panel, SDL_MapRGB(screen->format, 0, 0, 0));
    DrawText(screen, hudFont, panel.x + kPanelMargin, panel.y + kPanelMargin, "%s", kPausedText);
}

void HidePaused(PausedScreen* paused) {
    if (paused->kept.size() != static_cast<std::size_t>(screen->pitch) * screen->h) {
        return;
    }
    SDL_LockSurface(screen);
    CopyScreen(static_cast<std::uint8_t*>(screen->pixels), paused->kept.data());
    SDL_UnlockSurface(screen);
    paused->kept.clear();
}
