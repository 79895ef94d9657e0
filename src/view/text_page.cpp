// A page of text: a title and the lines below it.
#include "view/text_page.h"

#include "rules/geometry.h"
#include "view/font.h"
#include "view/images.h"
#include "view/text.h"

static constexpr int kMargin = 16;
static constexpr int kLineGap = 4;

void DrawTextPage(const std::string& title, const std::vector<std::string>& lines) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    if (hudFont == nullptr || plainFont == nullptr) {
        return;
    }
    DrawText(screen, hudFont, kMargin, kMargin, "%s", title.c_str());
    int y = kMargin + 2 * (hudFont->cellSize + kLineGap);
    for (const std::string& line : lines) {
        if (y + plainFont->cellSize > kScreenHeight - kMargin) {
            break;
        }
        DrawText(screen, plainFont, kMargin, y, "%s", line.c_str());
        y += plainFont->cellSize + kLineGap;
    }
}
