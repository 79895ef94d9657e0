// The window's scale for a desktop size, and the drivers that show nothing.
#include "app/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Desktop {
    const char* name;
    int width;
    int height;
    int scale;
};

// 640 s and 530 s each at most nine tenths of the desktop, at least 1, at
// most 8.
TEST(WindowTest, ScaleIsTheLargestWithinNineTenthsOfTheDesktop) {
    const std::vector<Desktop> desktops = {
        {.name = "4K: 1920x1590", .width = 3840, .height = 2160, .scale = 3},
        {.name = "1440p: 1280x1060", .width = 2560, .height = 1440, .scale = 2},
        {.name = "1080p: the height allows 1", .width = 1920, .height = 1080, .scale = 1},
        {.name = "1024x768", .width = 1024, .height = 768, .scale = 1},
        {.name = "smaller than the window: still 1", .width = 640, .height = 480, .scale = 1},
        {.name = "2 just beyond the width", .width = 1422, .height = 1200, .scale = 1},
        {.name = "2 just within the width", .width = 1423, .height = 1200, .scale = 2},
        {.name = "2 just within the height", .width = 1500, .height = 1178, .scale = 2},
        {.name = "2 just beyond the height", .width = 1500, .height = 1177, .scale = 1},
        {.name = "a portrait desktop: the width decides",
         .width = 1440,
         .height = 2560,
         .scale = 2},
        {.name = "8K: 7 by the height", .width = 7680, .height = 4320, .scale = 7},
        {.name = "never beyond 8", .width = 20000, .height = 20000, .scale = 8},
        {.name = "no size known", .width = 0, .height = 0, .scale = 1},
    };
    for (const Desktop& d : desktops) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(ChooseScale(d.width, d.height), d.scale);
    }
}

struct Driver {
    const char* name;
    bool showsNothing;
};

TEST(WindowTest, OffscreenAndDummyDriversShowNothing) {
    const std::vector<Driver> drivers = {
        {.name = "offscreen", .showsNothing = true}, {.name = "dummy", .showsNothing = true},
        {.name = "x11", .showsNothing = false},      {.name = "wayland", .showsNothing = false},
        {.name = "KMSDRM", .showsNothing = false},   {.name = "", .showsNothing = false},
    };
    for (const Driver& d : drivers) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(ShowsNothing(d.name), d.showsNothing);
    }
}

} // namespace
