// The game's own presentation on X: the 640x530 screen scaled by a whole
// number into a shared-memory image of the window's size, put with
// XShmPutImage, and waited for, so the next frame never writes into an
// image the server is still reading.
#include "app/present.h"

#include "app/window.h"
#include "rules/geometry.h"
#include "view/images.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

namespace {

struct SharedImage {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
};

SharedImage shared;

bool NearestScaling() {
    return !EnvironmentSet("SDL12COMPAT_SCALE_METHOD") ||
           EnvironmentIs("SDL12COMPAT_SCALE_METHOD", "nearest");
}

// Shared memory only works on the same machine: a display reached over a
// socket of this one.
bool LocalDisplay(Display* display) {
    const char* name = DisplayString(display);
    return name[0] == ':' || std::strncmp(name, "unix:", 5) == 0;
}

bool attachFailed = false;

int NoteAttachError(Display*, XErrorEvent*) {
    attachFailed = true;
    return 0;
}

// The server attaches the segment too; an error there (a server that
// cannot reach it) comes back asynchronously, hence the sync.
bool Attach(Display* display, XShmSegmentInfo* segment) {
    attachFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteAttachError);
    const bool sent = XShmAttach(display, segment) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    return sent && !attachFailed;
}

// The image's pixels must be the screen's, so that scaling is a copy.
bool SameFormat(const XImage* image, const SDL_PixelFormat* format) {
    return image->bits_per_pixel == 32 && format->BytesPerPixel == 4 &&
           image->byte_order == LSBFirst && image->red_mask == format->Rmask &&
           image->green_mask == format->Gmask && image->blue_mask == format->Bmask;
}

// The image keeps a pointer to its segment's description: both live in
// `shared`.
bool MakeImage(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        return false;
    }
    XShmSegmentInfo* segment = &shared.segment;
    XImage* image = XShmCreateImage(display, attributes.visual, attributes.depth, ZPixmap, nullptr,
                                    segment, attributes.width, attributes.height);
    if (image == nullptr) {
        return false;
    }
    const auto bytes = static_cast<std::size_t>(image->bytes_per_line) * image->height;
    segment->shmid =
        SameFormat(image, screen->format) ? shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600) : -1;
    void* memory = segment->shmid < 0 ? nullptr : shmat(segment->shmid, nullptr, 0);
    if (memory == nullptr || memory == reinterpret_cast<void*>(-1)) {
        XDestroyImage(image);
        return false;
    }
    image->data = segment->shmaddr = static_cast<char*>(memory);
    segment->readOnly = False;
    const bool attached = Attach(display, segment);
    shmctl(segment->shmid, IPC_RMID, nullptr); // gone once both sides detach
    if (!attached) {
        shmdt(memory);
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }
    shared.display = display;
    shared.window = window;
    shared.gc = XCreateGC(display, window, 0, nullptr);
    shared.image = image;
    return true;
}

// SDL may make its window anew; the image was made for the first.
bool SameWindow() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWMInfo(&info) == 1 && info.info.x11.window == shared.window;
}

// The window's size now; a window of another size than the image (full
// screen, a window manager's choice) is SDL's to show.
bool WindowFitsImage() {
    Window root;
    int x;
    int y;
    unsigned width;
    unsigned height;
    unsigned border;
    unsigned depth;
    return XGetGeometry(shared.display, shared.window, &root, &x, &y, &width, &height, &border,
                        &depth) &&
           static_cast<int>(width) == shared.image->width &&
           static_cast<int>(height) == shared.image->height;
}

} // namespace

void StartPresenting() {
    if (!EnvironmentIs("SDL_RENDER_DRIVER", "software") || !NearestScaling() ||
        EnvironmentIs("FLAGRUN_PRESENTER", "sdl")) {
        return;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    if (display == nullptr || !LocalDisplay(display) || !XShmQueryExtension(display)) {
        return;
    }
    MakeImage(display, info.info.x11.window);
}

void PresentFrame() {
    if (shared.image == nullptr || !SameWindow() || !WindowFitsImage()) {
        SDL_Flip(screen);
        return;
    }
    const int scale = shared.image->width / kScreenWidth;
    if (shared.image->width != kScreenWidth * scale ||
        shared.image->height != kScreenHeight * scale) {
        SDL_Flip(screen);
        return;
    }
    if (SDL_LockSurface(screen) < 0) {
        return;
    }
    ScaleNearest(screen, shared.image->data, shared.image->bytes_per_line, scale);
    SDL_UnlockSurface(screen);
    XShmPutImage(shared.display, shared.window, shared.gc, shared.image, 0, 0, 0, 0,
                 shared.image->width, shared.image->height, False);
    XSync(shared.display, False);
}

void StopPresenting() {
    if (shared.image == nullptr) {
        return;
    }
    XShmDetach(shared.display, &shared.segment);
    XSync(shared.display, False);
    shmdt(shared.segment.shmaddr);
    shared.image->data = nullptr;
    XDestroyImage(shared.image);
    XFreeGC(shared.display, shared.gc);
    shared = SharedImage{};
}

// One source row into one target row, each pixel `kScale` times; the
// common scales are known at compile time, so the loop is unrolled.
template <int kScale> static void WidenRow(const Uint32* in, Uint32* out, int width) {
    for (int x = 0; x < width; ++x) {
        for (int k = 0; k < kScale; ++k) {
            out[x * kScale + k] = in[x];
        }
    }
}

static void WidenRow(const Uint32* in, Uint32* out, int width, int scale) {
    switch (scale) {
    case 1:
        std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
        return;
    case 2:
        WidenRow<2>(in, out, width);
        return;
    case 3:
        WidenRow<3>(in, out, width);
        return;
    default:
        for (int x = 0; x < width * scale; ++x) {
            out[x] = in[x / scale];
        }
    }
}

void ScaleNearest(const SDL_Surface* from, void* to, int toPitch, int scale) {
    const std::size_t rowBytes = static_cast<std::size_t>(from->w) * scale * 4;
    for (int y = 0; y < from->h; ++y) {
        const auto* in = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(from->pixels) + static_cast<std::ptrdiff_t>(y) * from->pitch);
        auto* first = static_cast<Uint8*>(to) + static_cast<std::ptrdiff_t>(y) * scale * toPitch;
        WidenRow(in, reinterpret_cast<Uint32*>(first), from->w, scale);
        for (int k = 1; k < scale; ++k) {
            std::memcpy(first + static_cast<std::ptrdiff_t>(k) * toPitch, first, rowBytes);
        }
    }
}
