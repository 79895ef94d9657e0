// What draws OpenGL on the X display: a GPU, or the CPU. Asked once, before
// the video mode is set, in a child process of its own, so that a driver
// that crashes or hangs takes only the question with it, and the game
// loads no OpenGL library unless SDL does.
#pragma once

#include <cstddef>

enum class GlDrawer {
    kGpu,
    kSoftware, // a rasteriser on the CPU, or OpenGL over the X connection
    kUnknown,  // no X display, no OpenGL, or no answer in time
};

// The question on its way: the child and the pipe its answer comes down.
struct GlProbe {
    int pid = -1;
    int answer = -1;
};

// Opens the X display named by DISPLAY in a child process, makes an OpenGL
// context there, and reads its renderer's name and whether it renders
// directly. Call while the program has one thread: before SDL_Init.
GlProbe StartGlProbe();

// The child's answer, waiting at most timeoutMs for it; the child is gone
// after. kUnknown for a probe that never started.
GlDrawer FinishGlProbe(GlProbe* probe, int timeoutMs);

// The answer for a renderer's name (GL_RENDERER) and whether the context
// renders directly: Mesa's llvmpipe, softpipe and swrast, and the other
// rasterisers that name themselves software, draw on the CPU, as does
// every indirect context.
GlDrawer ClassifyGlRenderer(const char* renderer, bool direct);
