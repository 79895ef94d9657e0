// flagrun-replay run headless as a child process in a scratch copy of the run directory.
#pragma once

#include "sdl_fixture.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <utility>

struct RunDir : ScratchDir {
    RunDir() {
        for (const char* entry : {"Graphics", "Sounds", "data", "bluedr.bmp"}) {
            std::filesystem::copy(std::filesystem::path(FLAGRUN_RUN_DIR) / entry, path / entry,
                                  std::filesystem::copy_options::recursive);
        }
    }
};

struct Outcome {
    int status = -1; // -1 when ended by a signal
    std::string out;
    std::string err;
    long peakMemoryKb = 0;
};

// Runs `cd DIR && PREFIX exec flagrun-replay <script >out 2>err ARGS`, polling each millisecond:
// sends `signal` once the trace has started, and kills the replay after a minute.
inline Outcome Replay(const std::string& dir, const std::string& script, const std::string& args,
                      const std::string& prefix = "", int signal = 0) {
    WriteFile(dir + "/script", script);
    const std::string command = "cd " + Quote(dir) + " && " + prefix + " exec " +
                                Quote(FLAGRUN_REPLAY_PATH) + " <script >out 2>err " + args;
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    for (int polls = 0; wait4(pid, &status, WNOHANG, &usage) == 0; ++polls) {
        if (signal != 0 && !ReadFile(dir + "/out").empty()) {
            kill(pid, std::exchange(signal, 0));
        }
        if (polls == 60000) {
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return {.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            .out = ReadFile(dir + "/out"),
            .err = ReadFile(dir + "/err"),
            .peakMemoryKb = usage.ru_maxrss};
}
