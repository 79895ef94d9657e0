// The OpenGL question, asked in a forked child through libGL loaded at run
// time: the game itself neither links nor loads it.
#include "app/gl_probe.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr unsigned kChildSeconds = 10;

// The calls the probe makes, looked up in the libraries loaded at run time.
struct GlCalls {
    decltype(&glXChooseVisual) chooseVisual = nullptr;
    decltype(&glXCreateContext) createContext = nullptr;
    decltype(&glXMakeCurrent) makeCurrent = nullptr;
    decltype(&glXIsDirect) isDirect = nullptr;
    decltype(&glGetString) getString = nullptr;
};

template <typename Call> bool Find(void* library, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(dlsym(library, name));
    return *call != nullptr;
}

bool LoadGlCalls(GlCalls* calls) {
    void* gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_LOCAL);
    return gl != nullptr && Find(gl, "glXChooseVisual", &calls->chooseVisual) &&
           Find(gl, "glXCreateContext", &calls->createContext) &&
           Find(gl, "glXMakeCurrent", &calls->makeCurrent) &&
           Find(gl, "glXIsDirect", &calls->isDirect) && Find(gl, "glGetString", &calls->getString);
}

// A context needs a drawable to be made current: an unmapped 1x1 window in
// the context's visual. Writes "D name" or "I name" (direct or indirect)
// into `answer`; false when any step fails.
bool ReadRenderer(char* answer, std::size_t size) {
    GlCalls gl;
    if (!LoadGlCalls(&gl)) {
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
    const int screenNumber = DefaultScreen(display);
    XVisualInfo* visual = gl.chooseVisual(display, screenNumber, attributes);
    if (visual == nullptr) {
        return false;
    }
    const Window root = RootWindow(display, screenNumber);
    XSetWindowAttributes settings{};
    settings.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const Window window = XCreateWindow(display, root, 0, 0, 1, 1, 0, visual->depth, InputOutput,
                                        visual->visual, CWColormap | CWBorderPixel, &settings);
    GLXContext context = gl.createContext(display, visual, nullptr, True);
    if (context == nullptr || !gl.makeCurrent(display, window, context)) {
        return false;
    }
    const auto* renderer = reinterpret_cast<const char*>(gl.getString(GL_RENDERER));
    if (renderer == nullptr) {
        return false;
    }
    std::snprintf(answer, size, "%c %s", gl.isDirect(display, context) ? 'D' : 'I', renderer);
    return true;
}

// The child: its stderr is silenced, for the drivers' own complaints, and
// it ends without the parent's exit handlers or buffered output.
[[noreturn]] void AnswerInChild(int pipeOut) {
    alarm(kChildSeconds); // a hung driver ends with the child, whatever the parent does
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
    }
    char answer[256];
    if (ReadRenderer(answer, sizeof answer)) {
        const ssize_t written = write(pipeOut, answer, std::strlen(answer));
        _exit(written > 0 ? 0 : 1);
    }
    _exit(1);
}

long MillisecondsSince(const timespec& start) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
}

// Reads the child's answer until it closes the pipe or the time is up.
std::size_t ReadAnswer(int pipeIn, char* answer, std::size_t size, int timeoutMs) {
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    std::size_t length = 0;
    while (length + 1 < size) {
        const long left = timeoutMs - MillisecondsSince(start);
        pollfd wait = {pipeIn, POLLIN, 0};
        if (left <= 0 || poll(&wait, 1, static_cast<int>(left)) <= 0) {
            return 0;
        }
        const ssize_t got = read(pipeIn, answer + length, size - 1 - length);
        if (got <= 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    answer[length] = '\0';
    return length;
}

} // namespace

GlDrawer ClassifyGlRenderer(const char* renderer, bool direct) {
    static const char* const kSoftware[] = {"llvmpipe",    "softpipe",
                                            "swrast",      "Software Rasterizer",
                                            "SwiftShader", "Basic Render Driver",
                                            "GDI Generic"};
    if (!direct) {
        return GlDrawer::kSoftware;
    }
    for (const char* name : kSoftware) {
        if (std::strstr(renderer, name) != nullptr) {
            return GlDrawer::kSoftware;
        }
    }
    return GlDrawer::kGpu;
}

GlProbe StartGlProbe() {
    int ends[2];
    if (pipe(ends) != 0) {
        return GlProbe{};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        AnswerInChild(ends[1]);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return GlProbe{};
    }
    return GlProbe{child, ends[0]};
}

GlDrawer FinishGlProbe(GlProbe* probe, int timeoutMs) {
    if (probe->pid < 0) {
        return GlDrawer::kUnknown;
    }
    char answer[256];
    const std::size_t length = ReadAnswer(probe->answer, answer, sizeof answer, timeoutMs);
    close(probe->answer);
    kill(probe->pid, SIGKILL); // a no-op once it has ended
    waitpid(probe->pid, nullptr, 0);
    *probe = GlProbe{};
    if (length < 3 || answer[1] != ' ') {
        return GlDrawer::kUnknown;
    }
    return ClassifyGlRenderer(answer + 2, answer[0] == 'D');
}
