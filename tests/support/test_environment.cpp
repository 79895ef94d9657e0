// The environment every test process runs in: SDL's dummy drivers, so the
// tests need no display and no sound device, settings kept in the build
// tree, and the sanitizer settings for this process and the programs it
// starts.
#include <cstdlib>

#ifndef FLAGRUN_LSAN_SUPPRESSIONS
#error "FLAGRUN_LSAN_SUPPRESSIONS must name the leak suppressions file"
#endif

// Full stacks on allocation, so the suppressions can match frames below
// SDL's own, which has no symbols.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_options() {
    return "suppressions=" FLAGRUN_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

static bool SetTestEnvironment() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("XDG_CONFIG_HOME", FLAGRUN_TEST_CONFIG, 0);
    setenv("ASAN_OPTIONS", "detect_leaks=1:fast_unwind_on_malloc=0", 0);
    setenv("LSAN_OPTIONS", "suppressions=" FLAGRUN_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);
    return true;
}

[[maybe_unused]] static const bool environmentSet = SetTestEnvironment();
