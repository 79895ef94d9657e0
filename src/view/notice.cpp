// The notice: centred across the field, above its middle.
#include "view/notice.h"

#include "rules/geometry.h"
#include "view/font.h"
#include "view/images.h"
#include "view/text.h"

namespace {

constexpr int kNoticeFrames = 60;
constexpr int kNoticeY = 200;
constexpr int kStatusX = 4;
constexpr int kStatusY = 460;

const char* notice = nullptr;
int framesLeft = 0;

} // namespace

void ShowNotice(const char* text) {
    notice = text;
    framesLeft = kNoticeFrames;
}

void DrawNotice() {
    if (framesLeft == 0 || hudFont == nullptr) {
        return;
    }
    const int x = (kScreenWidth - MeasureText(hudFont, "%s", notice)) / 2;
    DrawText(screen, hudFont, x, kNoticeY, "%s", notice);
    framesLeft -= 1;
}

void DrawStatusLine(const char* text) {
    if (hudFont != nullptr) {
        DrawText(screen, hudFont, kStatusX, kStatusY, "%s", text);
    }
}
