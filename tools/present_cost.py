#!/usr/bin/env python3
"""The CPU the game's process spends to show its frames, path by path.

Plays an idle game in a real window under a private Xvfb (whose OpenGL is
Mesa's software rasteriser) at each scale and on each way of presenting, in
turn, round after round, so that the machine's load falls on all of them
alike. For each it prints the share of one core the game used over the
measured seconds and the frames a second it kept over its whole play.

    tools/present_cost.py BUILD_DIR [--seconds 10] [--scales 1,2,3]
                          [--rounds 2] [--busy-core]

The ways of presenting: "chosen" sets no variable (the game's own choice),
"opengl" forces OpenGL with SDL_RENDER_DRIVER, and "sdl-software" SDL's own
renderer doing the scaling and the showing (FLAGRUN_PRESENTER=sdl).
--busy-core keeps another core busy with a spinning process meanwhile.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

PATHS = {
    "chosen": {},
    "opengl": {"SDL_RENDER_DRIVER": "opengl"},
    "sdl-software": {"SDL_RENDER_DRIVER": "software", "FLAGRUN_PRESENTER": "sdl"},
}
WARM_UP_SECONDS = 2
TICKS = os.sysconf("SC_CLK_TCK")


# -noreset: an X server resets when its last client leaves, and refuses the
# next game while it does.
def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "3840x2160x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().decode().strip()
    if not number:
        sys.exit("present_cost: Xvfb did not start")
    return server, ":" + number


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime and stime


def wait_for_window(env, pid, deadline_seconds=20):
    deadline = time.monotonic() + deadline_seconds
    while time.monotonic() < deadline:
        found = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
            env=env, capture_output=True, timeout=10).stdout
        if found.strip():
            return time.monotonic()
        time.sleep(0.01)
    sys.exit("present_cost: no window within %d s" % deadline_seconds)


def measure(build, env, scale, seconds, script):
    game = subprocess.Popen(
        ["./flagrun", "--scale", str(scale), "--play", script],
        cwd=build, env=env, stdin=subprocess.DEVNULL)
    shown = wait_for_window(env, game.pid)
    time.sleep(WARM_UP_SECONDS)
    cpu_before, before = cpu_seconds(game.pid), time.monotonic()
    time.sleep(seconds)
    cpu_after, after = cpu_seconds(game.pid), time.monotonic()
    frames = frames_in(script)
    if game.wait(timeout=seconds + 60) != 0:
        sys.exit("present_cost: the game failed")
    pace = frames / (time.monotonic() - shown)
    return 100 * (cpu_after - cpu_before) / (after - before), pace


def frames_in(script):
    with open(script) as lines:
        return sum(int(line.split()[0]) for line in lines if not line.startswith("#"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--scales", default="1,2,3")
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--busy-core", action="store_true")
    options = parser.parse_args()
    scales = [int(scale) for scale in options.scales.split(",")]

    server, display = start_xvfb()
    env = {name: value for name, value in os.environ.items() if not name.startswith("SDL")}
    env.update(DISPLAY=display, SDL_AUDIODRIVER="dummy")
    busy = subprocess.Popen([sys.executable, "-c", "while True: pass"]) \
        if options.busy_core else None
    script = tempfile.NamedTemporaryFile("w", suffix=".replay", delete=False)
    frames = int((WARM_UP_SECONDS + options.seconds + 2) * 60)
    script.write("%d\n" % frames)
    script.close()
    results = {}
    try:
        for _ in range(options.rounds):
            for scale in scales:
                for path, variables in PATHS.items():
                    print("scale %d, %s" % (scale, path), file=sys.stderr, flush=True)
                    figures = measure(os.path.abspath(options.build), {**env, **variables},
                                      scale, options.seconds, script.name)
                    results.setdefault((scale, path), []).append(figures)
    finally:
        server.kill()
        if busy:
            busy.kill()
        os.unlink(script.name)

    print("| scale | path | CPU, % of a core | frames a second |")
    print("|---|---|---|---|")
    for (scale, path), runs in sorted(results.items()):
        cpu = ", ".join("%.1f" % figure for figure, _ in runs)
        pace = ", ".join("%.1f" % figure for _, figure in runs)
        print("| %d | %s | %s | %s |" % (scale, path, cpu, pace))


if __name__ == "__main__":
    main()
