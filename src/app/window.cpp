// The display check, the scale choice and full screen. The scaling itself
// is done by SDL 1.2's compatibility layer, told through its environment
// variables; classic SDL 1.2 ignores them and shows a 640x530 window.
#include "app/window.h"

#include "app/gl_probe.h"
#include "view/images.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int ChooseScale(int desktopWidth, int desktopHeight) {
    int scale = kMinScale;
    // 10 * 640 s <= 9 * width keeps the arithmetic in whole numbers
    while (scale < kMaxScale && 10 * kScreenWidth * (scale + 1) <= 9 * desktopWidth &&
           10 * kScreenHeight * (scale + 1) <= 9 * desktopHeight) {
        ++scale;
    }
    return scale;
}

bool ShowsNothing(const char* driverName) {
    return std::strcmp(driverName, "offscreen") == 0 || std::strcmp(driverName, "dummy") == 0;
}

void RefuseInvisibleRun() {
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    if (requested != nullptr && requested[0] != '\0') {
        return;
    }
    char driver[64] = "";
    if (SDL_VideoDriverName(driver, sizeof driver) != nullptr && !ShowsNothing(driver)) {
        return;
    }
    std::printf("Unable to init SDL: no display found (set DISPLAY, or SDL_VIDEODRIVER=dummy to "
                "run without one)\n");
    // out before the exit handlers, whatever they do
    std::fflush(stdout);
    std::exit(1);
}

// Long enough for a GPU driver's first start, short enough to go unnoticed
// when one hangs.
static constexpr int kGlProbeTimeoutMs = 3000;

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

bool EnvironmentIs(const char* name, const char* expected) {
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, expected) == 0;
}

// SDL 2 goes to X when asked for nothing else and a display is named.
static bool ShowsOnX() {
    return (!EnvironmentSet("SDL_VIDEODRIVER") || EnvironmentIs("SDL_VIDEODRIVER", "x11")) &&
           EnvironmentSet("DISPLAY");
}

static void UseSdlRenderer() {
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
}

// Nothing to ask when the environment has chosen, or when SDL will not
// show on X.
GlProbe StartRendererChoice() {
    const bool chosen =
        EnvironmentSet("SDL_FRAMEBUFFER_ACCELERATION") || EnvironmentSet("SDL_RENDER_DRIVER");
    return chosen || !ShowsOnX() ? GlProbe{} : StartGlProbe();
}

void ChooseRenderer(GlProbe* probe) {
    if (probe->pid >= 0) {
        if (FinishGlProbe(probe, kGlProbeTimeoutMs) != GlDrawer::kGpu) {
            UseSdlRenderer();
        }
    } else if (EnvironmentIs("SDL_RENDER_DRIVER", "software") &&
               !EnvironmentSet("SDL_FRAMEBUFFER_ACCELERATION")) {
        UseSdlRenderer();
    }
}

// The desktop's size is only known before the first video mode is set.
static int DesktopScale() {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr || info->current_w <= 0 || info->current_h <= 0) {
        return kMinScale;
    }
    return ChooseScale(info->current_w, info->current_h);
}

// Blurred pixel art helps nobody.
void RequestNearestScaling() {
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
}

void ChooseWindowScale(const WindowOptions& options) {
    char scale[8];
    if (options.scale != 0) {
        std::snprintf(scale, sizeof scale, "%d", options.scale);
        setenv("SDL12COMPAT_WINDOW_SCALING", scale, options.environmentWins ? 0 : 1);
        return;
    }
    std::snprintf(scale, sizeof scale, "%d", DesktopScale());
    setenv("SDL12COMPAT_WINDOW_SCALING", scale, 0);
}

Uint32 VideoModeFlags(const WindowOptions& options) {
    const Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
    return options.fullscreen ? flags | SDL_FULLSCREEN : flags;
}

bool ToggleFullScreen() {
    SDL_WM_ToggleFullScreen(screen);
    return (screen->flags & SDL_FULLSCREEN) != 0;
}
