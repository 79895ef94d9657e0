#!/usr/bin/env python3
# Demos in a real window (a private Xvfb, keys from xdotool): a game recorded while it is
# played, replayed in sync by flagrun-replay, refused when edited, and played back by the game.
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

ENV = {"SDL_AUDIODRIVER": "dummy", **os.environ}  # no sound card needed
for name in ("SDL_VIDEODRIVER", "SDL12COMPAT_SYNC_TO_VBLANK", "SDL12COMPAT_WINDOW_SCALING",
             "SDL12COMPAT_SCALE_METHOD"):  # the game's own choices
    ENV.pop(name, None)
# Xvfb has no GPU: SDL's default presentation goes through Mesa's software OpenGL, which costs
# several times the CPU of SDL's own software renderer, enough to slow the game on a loaded
# machine. The timed play-back presents through the latter.
SOFTWARE_PRESENTATION = {"SDL_RENDER_DRIVER": "software", "SDL_FRAMEBUFFER_ACCELERATION": "0"}
CHILDREN = []
FRAMES_PER_SECOND = 60
FINAL_STATE = "# final state: "
RECORDED = []  # (path, frames) of the demo the first test records, for the tests that play it


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def spawn(args, **kw):  # PR_SET_PDEATHSIG: killed with this script, even by SIGKILL
    def die_with_parent():
        ctypes.CDLL(None).prctl(1, signal.SIGKILL)
    proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, preexec_fn=die_with_parent, **kw)
    CHILDREN.append(proc)
    return proc


def stop_children(keep=0):
    while len(CHILDREN) > keep:
        proc = CHILDREN.pop()
        proc.terminate()  # a no-op once it has ended
        try:
            proc.wait(3)
        except subprocess.TimeoutExpired:
            proc.kill()


def run(args, cwd=None, env=None):
    return subprocess.run(args, cwd=cwd, env=env or ENV, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=120)


def start_xvfb():  # -displayfd: Xvfb picks a free display and tells its number once ready
    read_end, write_end = os.pipe()
    log = open(os.path.join(TMP, "xvfb.log"), "w+b")
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset"], stdout=log, stderr=log, pass_fds=(write_end,), env=ENV)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        ready = select.select([pipe], [], [], 20)[0]
        number = pipe.readline() if ready else b""
    check(number.endswith(b"\n"), "Xvfb did not start: %r" % open(log.name, "rb").read())
    ENV["DISPLAY"] = ":" + number.decode().strip()


class Game:
    def __init__(self, args, cwd=None, program=None, env=None):
        self.out = tempfile.TemporaryFile(dir=TMP)
        self.proc = spawn([program or os.path.join(BUILD, "flagrun"), *args], cwd=cwd or BUILD,
                          env={**ENV, **(env or {})}, stdout=self.out, stderr=subprocess.STDOUT)

    def output(self):
        return os.pread(self.out.fileno(), 1 << 20, 0).decode(errors="replace")

    def visible_window(self):  # only a mapped, viewable window takes the focus and the keys
        check(self.proc.poll() is None, "flagrun ended before its window: %r" % self.output())
        found = run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)])
        for window in found.stdout.split():
            geometry = run(["xdotool", "getwindowgeometry", "--shell", window]).stdout
            if re.search(rb"WIDTH=640\s+HEIGHT=530\s", geometry):
                return window.decode()
        return None

    def show(self):  # waits for the 640x530 window and gives it the keyboard
        deadline = time.monotonic() + 15
        self.window = self.visible_window()
        while self.window is None:
            check(time.monotonic() < deadline, "no 640x530 window of flagrun appeared")
            time.sleep(0.02)
            self.window = self.visible_window()
        check(run(["xdotool", "windowfocus", "--sync", self.window]).returncode == 0, "focus")
        self.wait_for_the_first_frame()
        self.shown = time.monotonic()
        return self

    # The window opens before the sprites and fonts are loaded; a key tapped before the first
    # frame reads the keyboard would be lost. The first flip puts the field on the screen.
    def wait_for_the_first_frame(self):
        deadline = time.monotonic() + 15
        while True:
            capture = run(["import", "-window", self.window, "-depth", "8", "rgb:-"]).stdout
            lit = len(capture) - capture.count(0)  # a new window is all black
            if len(capture) == 640 * 530 * 3 and lit > len(capture) // 100:
                return
            check(time.monotonic() < deadline, "the window stayed dark")
            time.sleep(0.02)

    def keys(self, *steps):  # an xdotool command line: keydown X, sleep S, key Y, ...
        result = run(["xdotool", *steps])
        check(result.returncode == 0, "xdotool %s: %r" % (steps, result.stderr))

    def ends_with(self, status, seconds=10):
        code = self.proc.wait(seconds)
        check(code == status, "exit status %d, not %d; output: %r" % (code, status, self.output()))
        return time.monotonic()


def demo_lines(path):
    with open(path) as demo:
        return demo.read().splitlines()


def counts(lines):  # the script lines as (count, keys)
    runs = []
    for line in lines:
        if line and not line.startswith("#"):
            count, *keys = line.split()
            runs.append((int(count), keys))
    return runs


def frames_of(lines):
    return sum(count for count, _ in counts(lines))


def replay(path):
    return run([os.path.join(BUILD, "flagrun-replay"), path], cwd=BUILD)


def edited_copy(lines, number, new_line):
    path = os.path.join(TMP, "edited.demo")
    with open(path, "w") as demo:
        for i, line in enumerate(lines):
            print(new_line if i == number else line, file=demo)
    return path


# Both players walk and shoot (a key tapped between two frames is never seen, so each key is
# held a few frames), with a pause in the middle, and Escape ends the game. The replay
# runs every recorded frame: had the paused frames been recorded, the enemies would have moved
# on in them and the replay would end out of sync.
def recorded_game_replays_in_sync_and_an_edited_count_does_not():
    folder = tempfile.mkdtemp(dir=TMP)
    demo = os.path.join(folder, "game.demo")
    game = Game(["--record", demo]).show()
    game.keys("keydown", "Right", "keydown", "Down", "sleep", "0.6", "keyup", "Down",
              "keydown", "space", "sleep", "0.2", "keyup", "space", "sleep", "0.3", "keyup",
              "Right")
    game.keys("keydown", "d", "sleep", "0.4", "keydown", "Control_L", "sleep", "0.2", "keyup",
              "Control_L", "keyup", "d")
    during = os.listdir(folder)
    check(during == ["game.demo.partial-%d" % game.proc.pid], "while recording: %s" % during)
    game.keys("key", "p", "sleep", "0.8", "key", "p")
    game.keys("keydown", "s", "sleep", "0.5", "keyup", "s", "keydown", "Shift_L", "sleep", "0.2",
              "keyup", "Shift_L", "sleep", "0.3")
    game.keys("key", "Escape")
    game.ends_with(0)
    check(os.listdir(folder) == ["game.demo"], "after recording: %s" % os.listdir(folder))

    lines = demo_lines(demo)
    header = re.fullmatch(r"# flagrun demo, recorded by flagrun \d+\.\d+\.\d+ on "
                          r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) UTC", lines[0])
    check(header is not None, "header: %r" % lines[0])
    recorded = time.strptime(header[1], "%Y-%m-%d %H:%M:%S")
    check(abs(time.mktime(recorded) - time.mktime(time.gmtime())) < 600, "date: %r" % lines[0])
    held = {key for _, keys in counts(lines) for key in keys}
    check({"right", "down", "space", "d", "lctrl", "s", "lshift"} <= held, "keys: %s" % held)
    frames = frames_of(lines)
    check(lines[-1].startswith(FINAL_STATE + '{"frame":%d,' % frames), "last: %r" % lines[-1])

    result = replay(demo)
    check(result.returncode == 0 and result.stderr == b"", "replay: %r" % result.stderr)
    last = result.stdout.decode().splitlines()[-1]
    check(FINAL_STATE + last == lines[-1], "replayed %r, recorded %r" % (last, lines[-1]))

    first = next(i for i, line in enumerate(lines) if not line.startswith("#"))
    count, *keys = lines[first].split()
    result = replay(edited_copy(lines, first, " ".join([str(int(count) + 1), *keys])))
    expected = "flagrun-replay: demo out of sync: expected frame=%d got frame=%d\n" % (
        frames, frames + 1)
    check(result.returncode == 3, "edited replay: status %d" % result.returncode)
    check(result.stderr.decode() == expected, "edited replay: %r" % result.stderr)
    RECORDED.append((demo, frames))


# The demo plays at 60 frames a second and ends by itself, in sync (exit 0, not 3) although
# the game keys are pressed during play; a pause adds its length.
def played_demo_ends_by_itself_in_frames_over_60_seconds():
    check(RECORDED, "no recorded demo to play")
    demo, frames = RECORDED[0]
    paused = 0.8
    game = Game(["--play", demo], env=SOFTWARE_PRESENTATION).show()
    game.keys("keydown", "Left", "keydown", "w", "keydown", "space", "sleep", "0.3", "keyup",
              "Left", "keyup", "w", "keyup", "space")
    game.keys("key", "p", "sleep", str(paused), "key", "p")
    ended = game.ends_with(0, frames / FRAMES_PER_SECOND + 15)
    expected = frames / FRAMES_PER_SECOND + paused
    took = ended - game.shown
    print("played %d frames with a %.1f s pause in %.2f s" % (frames, paused, took))
    check(expected * 0.95 - 0.2 <= took <= expected * 1.05 + 0.5,
          "%d frames and a %.1f s pause took %.2f s, not about %.2f s" % (
              frames, paused, took, expected))


def escape_ends_a_played_demo_early():
    check(RECORDED, "no recorded demo to play")
    demo, frames = RECORDED[0]
    game = Game(["--play", demo]).show()
    game.keys("key", "Escape")
    ended = game.ends_with(0)
    check(ended - game.shown < frames / FRAMES_PER_SECOND / 2, "Escape did not end the demo")


# A demo whose final state is one frame short: the game plays it and says so.
def a_played_demo_out_of_sync_exits_3():
    script = os.path.join(TMP, "short.script")
    with open(script, "w") as out:
        out.write("30 right\n")
    state = replay(script).stdout.decode().splitlines()[-1]
    demo = os.path.join(TMP, "short.demo")
    with open(demo, "w") as out:
        out.write("31 right\n" + FINAL_STATE + state + "\n")
    game = Game(["--play", demo])
    game.ends_with(3)
    check(game.output() == "flagrun: demo out of sync: expected frame=30 got frame=31\n",
          "output: %r" % game.output())


# Refused before SDL starts: even an unusable video driver is not reached.
def a_recording_that_cannot_be_written_is_refused_before_the_window():
    demo = os.path.join(TMP, "missing", "game.demo")
    result = run([os.path.join(BUILD, "flagrun"), "--record", demo], cwd=BUILD,
                 env={**ENV, "SDL_VIDEODRIVER": "no-such-driver"})
    check(result.returncode == 1, "status %d" % result.returncode)
    check(result.stderr.decode() == "flagrun: cannot record a demo to '%s': No such file or "
          "directory\n" % demo, "stderr: %r" % result.stderr)


# The installed launcher runs the game in its data directory; a relative FILE still names a
# file in the directory the launcher was started from.
def the_installed_game_records_relative_to_where_it_was_started():
    prefix = os.path.join(TMP, "prefix")
    check(run([CMAKE, "--install", BUILD, "--prefix", prefix]).returncode == 0, "install")
    start = tempfile.mkdtemp(dir=TMP)
    game = Game(["--record", "mine.demo"], cwd=start,
                program=os.path.join(prefix, "games", "flagrun")).show()
    game.keys("keydown", "Right", "sleep", "0.3", "keyup", "Right", "key", "Escape")
    game.ends_with(0)
    check(os.listdir(start) == ["mine.demo"], "in the start directory: %s" % os.listdir(start))
    check(replay(os.path.join(start, "mine.demo")).returncode == 0, "replay of mine.demo")


TESTS = [
    recorded_game_replays_in_sync_and_an_edited_count_does_not,
    played_demo_ends_by_itself_in_frames_over_60_seconds,
    escape_ends_a_played_demo_early,
    a_played_demo_out_of_sync_exits_3,
    a_recording_that_cannot_be_written_is_refused_before_the_window,
    the_installed_game_records_relative_to_where_it_was_started,
]


def main():
    results = []
    start_xvfb()
    for test in TESTS:
        try:
            test()
            results.append(True)
        except Exception:
            results.append(False)
            traceback.print_exc()
        finally:
            stop_children(1)  # all but Xvfb
        print("ok  " if results[-1] else "FAIL", test.__name__, flush=True)
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if len(sys.argv) != 3:
    sys.exit("Usage: demo_test.py BUILD_DIR CMAKE")
BUILD = os.path.abspath(sys.argv[1])
CMAKE = sys.argv[2]
TMP = tempfile.mkdtemp(prefix="flagrun-demo-")
for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):  # cleaned up below
    signal.signal(signum, lambda signum, _: sys.exit(128 + signum))
try:
    status = main()
except Exception:
    traceback.print_exc()
    status = 1
finally:
    stop_children()
    shutil.rmtree(TMP, ignore_errors=True)
sys.exit(status)
