#!/usr/bin/env python3
# flagrun in a private Xvfb, driven by xdotool, seen through ImageMagick's import; installed.
import ctypes, functools, os, re, select, shutil, signal, struct, subprocess, sys, tempfile, \
    time, traceback

SPRITES = ["bg.bmp", "bluedr.bmp", "redtl.bmp", "flagb.bmp", "flagr.bmp", "lazer1.bmp",
           "lazer2.bmp", "bluedr-dead.bmp", "reddr-dead.bmp", "roadblock.bmp", "grenade1.bmp",
           "explosion1.bmp", "black.bmp", "black2.bmp"]
START = {"bluedr.bmp": [(0, 0), (50, 50)], "flagb.bmp": [(0, 50)], "flagr.bmp": [(590, 430)],
         "roadblock.bmp": [(128, 222)]}
P1_EXP, P2_EXP = (110, 480, 90, 16), (110, 500, 90, 16)  # the numbers after "PlayerN Exp:"
CHILDREN, ENV = [], {"SDL_AUDIODRIVER": "dummy", **os.environ}  # no sound card needed
for name in ("SDL_VIDEODRIVER", "SDL12COMPAT_SYNC_TO_VBLANK"):  # the game's own choices
    ENV.pop(name, None)


def check(cond, msg):
    if not cond:
        raise AssertionError(msg)


def eq(a, b, msg=""):
    check(a == b, "%r != %r %s" % (a, b, msg))


def spawn(args, **kw):  # PR_SET_PDEATHSIG: killed with us, even by SIGKILL
    CHILDREN.append(subprocess.Popen(args, stdin=subprocess.DEVNULL, env=ENV, **kw,
                                     preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL)))
    return CHILDREN[-1]


def stop_children(first=0):
    for proc in reversed(CHILDREN[first:]):
        proc.terminate()  # a no-op once it has ended
        try:
            proc.wait(3)
        except subprocess.TimeoutExpired:
            proc.kill()
    del CHILDREN[first:]


def poll(fn, msg, timeout=10):  # fn's first true result, before the timeout
    deadline = time.monotonic() + timeout
    while not (result := fn()):
        check(time.monotonic() < deadline, msg)
    return result


def run(*args, ok=True):
    result = subprocess.run(args, env=ENV, capture_output=True, timeout=60)
    check(not ok or result.returncode == 0, "%s failed: %r" % (args, result.stdout + result.stderr))
    return result.stdout


def start_xvfb():  # -displayfd: Xvfb picks a free display, tells its number once it is ready
    read_end, write_end = os.pipe()
    log = open(os.path.join(TMP, "xvfb.log"), "w+b")
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset"], stdout=log, stderr=log, pass_fds=(write_end,))
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:  # the number may come in more than one write
        number = pipe.readline() if select.select([pipe], [], [], 20)[0] else b""
    check(number.endswith(b"\n"), "Xvfb did not start: %r" % open(log.name, "rb").read()[-2000:])
    ENV["DISPLAY"] = ":" + number.decode().strip()


def region(shot, x, y, w, h):  # screenshots: 640x530, packed RGB
    return b"".join(shot[(i := ((y + r) * 640 + x) * 3):i + w * 3] for r in range(h))


@functools.cache
def sprite(name):  # a 24-bit BMP as runs of coloured pixels; black ones are erasing margins
    data = open(os.path.join(BUILD, "Graphics", name), "rb").read()
    offset, w, h, _, bits = struct.unpack_from("<I4xiiHH", data, 10)
    check(data[:2] == b"BM" and bits == 24, "%s: not a 24-bit BMP" % name)
    stride, runs = (w * 3 + 3) & ~3, []
    for y, r in enumerate(range(h - 1, -1, -1) if h > 0 else range(-h)):
        row = bytearray(bgr := data[offset + r * stride:offset + r * stride + w * 3])
        row[0::3], row[2::3] = bgr[2::3], bgr[0::3]
        # every match starts at a pixel: the alternatives between them take any 3 bytes
        runs += [(y, m.start() // 3, m[0]) for m in re.finditer(
            rb"(\0\0\0)+|((?!\0\0\0)...)+", bytes(row), re.S) if not m[1]]
    return w, abs(h), runs


def find(name, shot):  # top-left corners of every complete, exact occurrence of a sprite
    w, h, runs = sprite(name)
    row0, col0, anchor = max(runs, key=lambda run: len(run[2]))
    found, i = [], shot.find(anchor)
    while i >= 0:
        x, y = i // 3 % 640 - col0, i // 3 // 640 - row0
        if i % 3 == 0 and 0 <= x <= 640 - w and 0 <= y <= 530 - h and all(
                shot[(j := ((y + r) * 640 + x + c) * 3):j + len(b)] == b for r, c, b in runs):
            found.append((x, y))
        i = shot.find(anchor, i + 1)
    return found


class Game:
    def __init__(self, run_dir=None, program=None):
        self.out, run_dir = tempfile.TemporaryFile(dir=TMP), run_dir or BUILD
        self.proc = spawn([program or os.path.join(run_dir, "flagrun")], cwd=run_dir,
                          stdout=self.out, stderr=subprocess.STDOUT)

    def output(self):
        return os.pread(self.out.fileno(), 1 << 20, 0).decode(errors="replace")

    def window_shown(self):
        check(self.proc.poll() is None, "flagrun ended before its window: %r" % self.output())
        for win in run("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                       ok=False).split():  # only a mapped, viewable window takes the focus
            geometry = run("xdotool", "getwindowgeometry", "--shell", win.decode(), ok=False)
            if re.search(rb"WIDTH=640\s+HEIGHT=530\s", geometry):
                return win.decode()

    def show(self):  # waits for the 640x530 window and focuses it (there is no WM)
        self.window = poll(self.window_shown, "no 640x530 window of flagrun appeared", 15)
        run("xdotool", "windowfocus", "--sync", self.window)
        return self

    def screenshot(self):
        self.shot = run("import", "-window", self.window, "-depth", "8", "rgb:-")
        eq(len(self.shot), 640 * 530 * 3, "screenshot size")
        return self.shot

    def wait_for(self, name, count=1):
        poll(lambda: len(find(name, self.screenshot())) >= count, "%s never on screen" % name)
        return self.shot

    def hold(self, key, seconds):
        run("xdotool", "keydown", key, "sleep", str(seconds), "keyup", key)

    def ends_with(self, status):
        eq(self.proc.wait(10), status, "exit status; output: %r" % self.output())

    def escape(self):
        run("xdotool", "key", "Escape")
        self.ends_with(0)


def players(shot):  # Player 1 and Player 2, told apart by row: Player 1 stays on y = 0
    found = sorted(find("bluedr.bmp", shot), key=lambda p: p[1])
    check(len(found) == 2 and found[0][1] < 25 <= found[1][1], "player bodies: %s" % found)
    return found


def still(game):  # where the players stand once a released key has reached the game
    time.sleep(0.15)
    now, _ = players(game.screenshot()), time.sleep(0.3)
    eq(players(game.screenshot()), now, "a player moved with no key held")
    return now


def started(run_dir=None, program=None):
    game = Game(run_dir, program).show()
    eq(sorted(find("bluedr.bmp", game.wait_for("bluedr.bmp", 2))), START["bluedr.bmp"])
    return game


def right_moves_player1_and_d_player2_until_released():
    game = started()
    eq({name: sorted(find(name, game.shot)) for name in START}, START, "sprites at the start")
    for key, mover in (("Right", 0), ("d", 1)):
        before = players(game.screenshot())
        game.hold(key, 0.4)
        after = still(game)
        check(after[mover][1] == before[mover][1] and after[mover][0] >= before[mover][0] + 5,
              "%s: player %d did not move right: %s -> %s" % (key, mover + 1, before, after))
        eq(after[1 - mover], before[1 - mover], "%s moved the other player" % key)
    game.escape()


def space_and_left_ctrl_fire_each_players_laser():
    game = started()
    game.hold("s", 0.3)  # Player 2 steps down: the two lasers, flying (+3, +3), keep apart
    owners = still(game)
    check(owners[0] == (0, 0) and owners[1][1] > 50, "Player 2 did not move down: %s" % owners)
    eq(find("lazer1.bmp", game.shot), [], "a laser flew unasked")
    for key, count in (("space", 1), ("Control_L", 2)):  # on each owner's diagonal, ahead
        game.hold(key, 0.08)
        time.sleep(0.5)
        lasers = sorted(find("lazer1.bmp", game.screenshot()), key=lambda p: p[1] - p[0])
        eq([x - y for x, y in lasers], [x - y for x, y in owners][:count], "lasers after " + key)
        check(all(x > owners[n][0] + 32 for n, (x, _) in enumerate(lasers)), "%s stuck" % lasers)
    game.escape()


# The enemies as a clock: a pixel per axis and frame, bouncing; where they stand tells the frame.
@functools.cache
def enemy_path(frames=20000):  # over five minutes; no pair of positions repeats
    enemies, path = [[500, 300, 1, 1], [600, 400, 1, 1]], []
    for _ in range(frames + 1):
        path.append(tuple((e[0], e[1]) for e in enemies))
        for e in enemies:
            e[0], e[1] = e[0] + e[2], e[1] + e[3]
            e[2] = -e[2] if e[0] in (0, 640) else e[2]
            e[3] = -e[3] if (e[1] in (0, 480)) != (e[0] > 174 and e[1] < 149) else e[3]
    return path, {frozenset(pair): frame for frame, pair in reversed(list(enumerate(path)))}


def frame_shown(game):  # the frame number and the time of a screenshot
    def read():
        taken, found = time.monotonic(), find("redtl.bmp", game.screenshot())
        frame = enemy_path()[1].get(frozenset(found)) if len(found) == 2 else None
        return frame is not None and (frame, taken)
    return poll(read, "no frame number read off the enemies", 5)


def laser_hit(launch):  # the frame Player 1's laser, fired from (0, 0), is inside an enemy
    for n, enemies in enumerate(enemy_path()[0][launch:launch + 161], 1):
        if any(ex < 3 * n < ex + 32 and ey < 3 * n < ey + 32 for ex, ey in enemies):
            return launch + n - 1


def laser_into_an_enemy_leaves_the_wreck_and_raises_player1_exp():
    # Fire when a shot launched in any of the next 14 frames would hit: the key lands later.
    game, deadline = started(), time.monotonic() + 30
    while not all(map(laser_hit, range((frame := frame_shown(game)[0]) + 1, frame + 15))):
        check(time.monotonic() < deadline, "no firing chance seen up to frame %d" % frame)
    before = game.shot
    game.hold("space", 0.05)
    eq(find("reddr-dead.bmp", before), [], "a wreck before the shot")
    eq(region(before, *P1_EXP), region(before, *P2_EXP), "equal experience before the shot")
    time.sleep((laser_hit(frame + 1) - frame) / 60 + 1)
    wrecks, after = find("reddr-dead.bmp", game.screenshot()), game.shot
    check(len(wrecks) == 1 and abs(wrecks[0][0] - wrecks[0][1]) < 31,
          "not one wreck on Player 1's diagonal: %s" % wrecks)
    check(region(after, *P1_EXP) != region(before, *P1_EXP), "Player 1's Exp did not change")
    eq(region(after, *P2_EXP), region(before, *P2_EXP), "Player 2's Exp changed")
    game.escape()


def frames_follow_the_display_refresh_and_a_close_request_ends_the_game():
    game = started()
    (first, start), _, (last, end) = frame_shown(game), time.sleep(1.5), frame_shown(game)
    rate = (last - first) / (end - start)  # Xvfb's refresh: ~60; unsynchronised: hundreds
    check(10 <= rate <= 150, "%.1f frames a second" % rate)
    from Xlib import X, display, protocol  # python3-xlib
    dpy = display.Display(ENV["DISPLAY"])  # what a window manager sends to close a window
    window = dpy.create_resource_object("window", int(game.window))
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    check(delete in (window.get_wm_protocols() or []), "WM_DELETE_WINDOW not advertised")
    window.send_event(protocol.event.ClientMessage(
        window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
        data=(32, [delete, X.CurrentTime, 0, 0, 0])), event_mask=X.NoEventMask)
    dpy.sync()  # a round trip: closing at once may lose the event
    dpy.close()
    game.ends_with(0)


def runs_without(relative):  # a run dir with all but one of the files that the game reads
    keep = {"Graphics", "data", "flagrun", "bluedr.bmp"}
    shutil.copytree(BUILD, run_dir := tempfile.mkdtemp(dir=TMP), dirs_exist_ok=True,
                    ignore=lambda d, names: set(names) - keep if d == BUILD else ())
    (shutil.rmtree if relative.startswith("data") else os.remove)(os.path.join(run_dir, relative))
    game = Game(run_dir)
    if relative.startswith("data/"):
        game.ends_with(1)
        return check("Unable to load font from %s\n" % relative in game.output(), game.output())
    eq(sorted(os.listdir(os.path.join(BUILD, "Graphics"))), sorted(SPRITES), "sprite files")
    game.show().wait_for("flagr.bmp" if "bluedr" in relative else "bluedr.bmp")  # frames drawn
    time.sleep(0.4)
    name, shot = os.path.basename(relative), game.screenshot()
    check(game.proc.poll() is None, "flagrun ended: %r" % game.output())
    if relative.startswith("Graphics/") and name in {*START, "redtl.bmp", "lazer2.bmp"}:
        eq(find(name, shot), [], "%s drawn though its file is missing" % name)  # seen at once
    if relative != "Graphics/bluedr.bmp":
        eq(sorted(find("bluedr.bmp", shot)), START["bluedr.bmp"], "players")
    game.escape()


def installed_game_has_a_menu_entry_an_icon_and_runs_elsewhere():
    prefix = os.path.join(TMP, "games dir", "prefix")  # the launcher must quote its paths
    run(CMAKE, "--install", BUILD, "--prefix", prefix)
    run("desktop-file-validate",
        entry := prefix + "/share/applications/io.github.flagrun.flagrun.desktop")
    values = dict(line.strip().split("=", 1) for line in open(entry) if "=" in line)
    eq(values["Exec"], '"%s/games/flagrun"' % prefix, "Exec: the launcher, quoted")
    with open(os.path.join(prefix, "share/icons/hicolor/64x64/apps", values["Icon"] + ".png"),
              "rb") as icon:  # the signature, then the IHDR chunk: width and height come first
        eq(icon.read(24), b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + struct.pack(">II", 64, 64), "icon")
    started(cwd := tempfile.mkdtemp(dir=TMP), os.path.join(prefix, "games/flagrun")).escape()
    eq(os.listdir(cwd), [], "files the game left in its working directory")


TESTS = {"installed_game": [installed_game_has_a_menu_entry_an_icon_and_runs_elsewhere],
         "game_window": [right_moves_player1_and_d_player2_until_released,
                         space_and_left_ctrl_fire_each_players_laser,
                         laser_into_an_enemy_leaves_the_wreck_and_raises_player1_exp,
                         frames_follow_the_display_refresh_and_a_close_request_ends_the_game] + [
             functools.partial(runs_without, path) for path in  # a missing font: exit 1
             ["bluedr.bmp", *("Graphics/" + n for n in SPRITES), "data/font1", "data/font2"]]}
if len(sys.argv) != 4 or sys.argv[1] not in TESTS:
    sys.exit("Usage: e2e_test.py game_window|installed_game BUILD_DIR CMAKE")
BUILD, CMAKE = os.path.abspath(sys.argv[2]), sys.argv[3]
TMP, results = tempfile.mkdtemp(prefix="flagrun-e2e-"), []
for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):  # cleaned up below
    signal.signal(signum, lambda signum, _: sys.exit(128 + signum))
try:
    start_xvfb()
    for fn in TESTS[sys.argv[1]]:
        try:
            fn()
            results.append(True)
        except Exception:
            results.append(False)
            traceback.print_exc()
        finally:
            stop_children(1)  # all but Xvfb
        print("ok  " if results[-1] else "FAIL", getattr(fn, "func", fn).__name__,
              *getattr(fn, "args", ()), flush=True)
except Exception:
    results.append(False)
    traceback.print_exc()
finally:
    stop_children()
    shutil.rmtree(TMP, ignore_errors=True)
print("%d passed, %d failed" % (results.count(True), results.count(False)))
sys.exit(0 if results and all(results) else 1)
