#!/usr/bin/env python3
"""flagrun in a private Xvfb, driven by real key events (xdotool) and read back from
screenshots (ImageMagick's import); and the installed game. A failing test leaves its last
screenshot in BUILD_DIR/e2e-failures/; "N passed, N failed" comes last.

Usage: e2e_test.py game_window|installed_game BUILD_DIR CMAKE CPACK [name filter...]"""
import ctypes, functools, os, re, select, shutil, signal, struct, subprocess, \
    sys, tempfile, time, traceback, types

SPRITES = ["bg.bmp", "bluedr.bmp", "redtl.bmp", "flagb.bmp", "flagr.bmp", "lazer1.bmp",
           "lazer2.bmp", "bluedr-dead.bmp", "reddr-dead.bmp", "roadblock.bmp", "grenade1.bmp",
           "explosion1.bmp", "black.bmp", "black2.bmp"]
START = {"bluedr.bmp": [(0, 0), (50, 50)], "flagb.bmp": [(0, 50)], "flagr.bmp": [(590, 430)],
         "roadblock.bmp": [(128, 222)]}
# On screen from the first frames on (the enemies fire at once): each must vanish with its file.
SEEN_AT_START = set(START) | {"redtl.bmp", "lazer2.bmp"}
P1_EXP, P2_EXP = (110, 480, 90, 16), (110, 500, 90, 16)  # the numbers after "PlayerN Exp:"
CHILDREN, GAMES, TESTS = [], [], {"game_window": [], "installed_game": []}
DISPLAY = BUILD = CMAKE = CPACK = TMP = None


def check(cond, msg):
    if not cond:
        raise AssertionError(msg)


def eq(a, b, msg=""):
    check(a == b, "%r != %r %s" % (a, b, msg))


def spawn(args, **kw):
    libc = ctypes.CDLL(None)  # PR_SET_PDEATHSIG: killed with us, even by SIGKILL
    CHILDREN.append(subprocess.Popen(args, preexec_fn=lambda: libc.prctl(1, signal.SIGKILL),
                                     stdin=subprocess.DEVNULL, **kw))
    return CHILDREN[-1]


def stop(proc):
    proc.terminate()  # a no-op once it has ended
    try:
        proc.wait(3)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def xenv():
    env = dict(os.environ, DISPLAY=DISPLAY or "")
    env.setdefault("SDL_AUDIODRIVER", "dummy")  # no sound is played; no sound card needed
    for name in ("SDL_VIDEODRIVER", "SDL12COMPAT_SYNC_TO_VBLANK"):
        env.pop(name, None)
    return env


def run(*args, timeout=120, ok=True, **kw):
    result = subprocess.run(args, env=xenv(), capture_output=True, timeout=timeout, **kw)
    if ok and result.returncode:
        raise AssertionError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                              (result.stdout + result.stderr).decode("latin1")))
    return result.stdout


def start_xvfb():
    """-displayfd: Xvfb picks a free display, tells its number once it is ready."""
    global DISPLAY
    read_end, write_end = os.pipe()
    log = open(os.path.join(TMP, "xvfb.log"), "w+b")
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset"], stdout=log, stderr=log, pass_fds=(write_end,))
    os.close(write_end)
    number, deadline = b"", time.monotonic() + 20
    while not number.endswith(b"\n"):
        ready = select.select([read_end], [], [], max(0, deadline - time.monotonic()))[0]
        number += (chunk := os.read(read_end, 16) if ready else b"")
        if not chunk:
            raise AssertionError("Xvfb did not start: %r" % open(log.name, "rb").read()[-2000:])
    DISPLAY = ":" + number.decode().strip()


def region(shot, x, y, w, h):  # screenshots: 640x530, packed RGB
    return b"".join(shot[(i := ((y + r) * 640 + x) * 3):i + w * 3] for r in range(h))


@functools.cache
def sprite(name):
    """A 24-bit BMP as runs of coloured pixels; black ones are erasing margins."""
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
    return types.SimpleNamespace(w=w, h=abs(h), runs=runs)


def find(name, shot):
    """Top-left corners of every complete, exact occurrence of a sprite."""
    spr = sprite(name)
    row0, col0, anchor = max(spr.runs, key=lambda run: len(run[2]))
    found, i = [], shot.find(anchor)
    while i >= 0:
        x, y = i // 3 % 640 - col0, i // 3 // 640 - row0
        if i % 3 == 0 and 0 <= x <= 640 - spr.w and 0 <= y <= 530 - spr.h and all(
                shot[(j := ((y + r) * 640 + x + c) * 3):j + len(b)] == b for r, c, b in spr.runs):
            found.append((x, y))
        i = shot.find(anchor, i + 1)
    return found


class Game:
    def __init__(self, run_dir=None, program=None):
        self.out, self.shot, run_dir = tempfile.TemporaryFile(dir=TMP), None, run_dir or BUILD
        self.proc = spawn([program or os.path.join(run_dir, "flagrun")], cwd=run_dir, env=xenv(),
                          stdout=self.out, stderr=subprocess.STDOUT)
        GAMES.append(self)

    def output(self):
        return os.pread(self.out.fileno(), 1 << 20, 0).decode(errors="replace")

    def show(self, timeout=15):
        """Waits for the 640x530 window and focuses it (there is no window manager)."""
        deadline = time.monotonic() + timeout
        while True:
            check(self.proc.poll() is None, "flagrun ended (%s) before its window: %r" % (
                self.proc.returncode, self.output()))
            check(time.monotonic() < deadline, "no 640x530 window of flagrun appeared")
            for win in run("xdotool", "search", "--pid", str(self.proc.pid), ok=False).split():
                self.window = win.decode()
                geometry = run("xdotool", "getwindowgeometry", "--shell", self.window, ok=False)
                if re.search(rb"WIDTH=640\s+HEIGHT=530\s", geometry):
                    run("xdotool", "windowfocus", "--sync", self.window, timeout=10)
                    return self
            time.sleep(0.05)

    def screenshot(self):
        ppm = run("import", "-window", self.window, "-depth", "8", "ppm:-", timeout=15)
        m = re.match(rb"P6\s+640\s+530\s+255\s", ppm)
        check(m and len(ppm) - m.end() == 640 * 530 * 3, "not a 640x530 PPM: %r" % ppm[:20])
        self.shot = ppm[m.end():]
        return self.shot

    def wait_for(self, name, count=1, timeout=10):
        deadline = time.monotonic() + timeout
        while len(find(name, self.screenshot())) < count:
            check(time.monotonic() < deadline, "%s never appeared on screen" % name)
        return self.shot

    def hold(self, key, seconds):
        run("xdotool", "keydown", key)
        try:
            time.sleep(seconds)
        finally:
            run("xdotool", "keyup", key)

    def ends_with(self, status):
        eq(self.proc.wait(10), status, "exit status; output: %r" % self.output())

    def escape(self):
        run("xdotool", "key", "Escape")
        self.ends_with(0)


def players(shot):
    """Player 1 and Player 2, told apart by row: Player 1 stays on y = 0."""
    found = find("bluedr.bmp", shot)
    p1, p2 = [p for p in found if p[1] < 25], [p for p in found if p[1] >= 25]
    eq((len(p1), len(p2)), (1, 1), "player bodies on screen: %s" % found)
    return p1[0], p2[0]


def still(game):
    """Where the players stand once a released key has reached the game."""
    time.sleep(0.15)
    now = players(game.screenshot())
    time.sleep(0.3)
    eq(players(game.screenshot()), now, "a player moved with no key held")
    return now


def started(run_dir=None, program=None):
    game = Game(run_dir, program).show()
    eq(sorted(find("bluedr.bmp", game.wait_for("bluedr.bmp", 2))), START["bluedr.bmp"])
    return game


def test(group):
    return lambda fn: TESTS[group].append((fn.__name__, fn)) or fn


@test("game_window")
def right_moves_player1_and_d_player2_until_released():
    game = started()
    for name, at in START.items():
        eq(sorted(find(name, game.shot)), at, name)
    for key, mover in (("Right", 0), ("d", 1)):
        before = players(game.screenshot())
        game.hold(key, 0.4)
        after = still(game)
        check(after[mover][1] == before[mover][1] and after[mover][0] >= before[mover][0] + 5,
              "%s: player %d did not move right: %s -> %s" % (key, mover + 1, before, after))
        eq(after[1 - mover], before[1 - mover], "%s moved the other player" % key)
    game.escape()


@test("game_window")
def space_and_left_ctrl_fire_each_players_laser():
    game = started()
    game.hold("s", 0.3)  # Player 2 steps down: the two lasers, flying (+3, +3), part ways
    owners = still(game)
    check(owners[0] == (0, 0) and owners[1][1] > 50, "Player 2 did not move down: %s" % (owners,))
    eq(find("lazer1.bmp", game.shot), [], "a laser flew unasked")
    seen = []
    for key, expected, wait in (("space", {0}, 0.5), ("Control_L", {0, 1}, 0.5), ("", {0, 1}, 0.3)):
        if key:
            game.hold(key, 0.08)
        time.sleep(wait)
        seen.append({})
        for x, y in find("lazer1.bmp", game.screenshot()):
            owner = [n for n, p in enumerate(owners) if x - y == p[0] - p[1]]
            check(len(owner) == 1 and owner[0] not in seen[-1], "stray laser at %s" % ((x, y),))
            seen[-1][owner[0]] = (x, y)
        eq(set(seen[-1]), expected, "lasers in flight after %r" % key)
    for n in (0, 1):
        check(owners[n][0] + 32 < seen[1][n][0] < seen[2][n][0], "laser %d stuck" % (n + 1))
    check(seen[0][0][0] < seen[1][0][0], "laser 1 stood still")
    game.escape()


# The enemies as a clock: each moves a pixel per axis and frame, bouncing at the edges
# and off the obstacle zone, steered by nothing else. Where they stand tells the frame.
def obstacle(x, y):
    return x > 174 and y < 149


@functools.cache
def enemy_path(frames=20000):  # over five minutes; no pair of positions repeats
    enemies, path = [[500, 300, 1, 1], [600, 400, 1, 1]], []
    for _ in range(frames + 1):
        path.append(tuple((e[0], e[1]) for e in enemies))
        for e in enemies:
            e[0], e[1] = e[0] + e[2], e[1] + e[3]
            e[2] = -e[2] if e[0] in (0, 640) else e[2]
            e[3] = -e[3] if (e[1] in (0, 480)) != obstacle(e[0], e[1]) else e[3]
    return path, {frozenset(pair): frame for frame, pair in reversed(list(enumerate(path)))}


def frame_shown(game, timeout=5):
    deadline = time.monotonic() + timeout
    while True:
        taken, found = time.monotonic(), find("redtl.bmp", game.screenshot())
        frame = enemy_path()[1].get(frozenset(found)) if len(found) == 2 else None
        if frame is not None:
            return frame, taken
        check(time.monotonic() < deadline, "no frame number read off the enemies")


def laser_hit(launch):
    """The frame in which Player 1's laser, fired from (0, 0) in frame `launch`,
    is strictly inside an enemy's 32x32 box; None if it misses."""
    path, xy = enemy_path()[0], 0
    for frame in range(launch, min(launch + 161, len(path))):
        xy += 3
        if obstacle(xy, xy):
            return None
        if any(ex < xy < ex + 32 and ey < xy < ey + 32 for ex, ey in path[frame]):
            return frame


@test("game_window")
def laser_into_an_enemy_leaves_the_wreck_and_raises_player1_exp():
    # Fire when a shot launched in any of the next 14 frames would hit: the key
    # reaches the game some frames after the screenshot it was decided on.
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


@test("game_window")
def frames_follow_the_display_refresh():
    # In step with Xvfb's refresh about 60 frames a second, unsynchronised several
    # hundred: the bounds allow for a busy machine and a faster refresh.
    game = started()
    (first, start), _, (last, end) = frame_shown(game), time.sleep(1.5), frame_shown(game)
    rate = (last - first) / (end - start)
    print("pace: frames %d -> %d in %.2f s" % (first, last, end - start))
    check(10 <= rate <= 150, "%.1f frames a second" % rate)
    game.escape()


@test("game_window")
def only_escape_or_a_close_request_ends_the_game_with_status_0():
    from Xlib import X, display, protocol  # python3-xlib
    game = started()
    for key in ("q", "Return", "BackSpace", "Tab"):
        run("xdotool", "key", key)
    time.sleep(0.5)
    check(game.proc.poll() is None, "the game ended on a key other than Escape")
    dpy = display.Display(DISPLAY)  # what a window manager sends to close a window
    try:
        window = dpy.create_resource_object("window", int(game.window))
        delete = dpy.intern_atom("WM_DELETE_WINDOW")
        check(delete in (window.get_wm_protocols() or []), "WM_DELETE_WINDOW not advertised")
        window.send_event(protocol.event.ClientMessage(
            window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
            data=(32, [delete, X.CurrentTime, 0, 0, 0])), event_mask=X.NoEventMask)
        dpy.sync()
    finally:
        dpy.close()
    game.ends_with(0)


def run_dir_without(relative):
    run_dir = os.path.join(tempfile.mkdtemp(dir=TMP), "run")
    for name in ("Graphics", "data", "flagrun", "bluedr.bmp"):
        src = os.path.join(BUILD, name)
        (shutil.copytree if os.path.isdir(src) else shutil.copy2)(src, os.path.join(run_dir, name))
    (shutil.rmtree if relative.startswith("data") else os.remove)(os.path.join(run_dir, relative))
    return run_dir


def runs_without(relative):
    eq(sorted(os.listdir(os.path.join(BUILD, "Graphics"))), sorted(SPRITES), "sprite files")
    game = Game(run_dir_without(relative)).show()
    game.wait_for("flagr.bmp" if "bluedr" in relative else "bluedr.bmp")  # frames are drawn
    time.sleep(0.4)
    name, shot = os.path.basename(relative), game.screenshot()
    check(game.proc.poll() is None, "flagrun ended: %r" % game.output())
    if name in SEEN_AT_START and relative != "bluedr.bmp":  # not the window icon
        eq(find(name, shot), [], "%s drawn though its file is missing" % name)
    if relative != "Graphics/bluedr.bmp":
        eq(sorted(find("bluedr.bmp", shot)), START["bluedr.bmp"], "players")
    game.escape()


def reports_missing_font(font):
    game = Game(run_dir_without(font))
    game.ends_with(1)
    check("Unable to load font from %s\n" % font in game.output(), repr(game.output()))


TESTS["game_window"] += [("runs_without_" + path, functools.partial(runs_without, path))
                         for path in ["bluedr.bmp"] + ["Graphics/" + n for n in SPRITES]]
TESTS["game_window"] += [("without_%s_reports_and_exits_1" % font, functools.partial(
    reports_missing_font, font)) for font in ("data/font1", "data/font2")]


@functools.cache
def installed():
    prefix = os.path.join(TMP, "games dir", "prefix")  # the launcher must quote its paths
    run(CMAKE, "--install", BUILD, "--prefix", prefix)
    return prefix


@test("installed_game")
def installed_tree_holds_a_valid_menu_entry_and_a_64x64_icon():
    prefix = installed()
    eq(sorted(os.listdir(os.path.join(prefix, "share/flagrun/Graphics"))), sorted(SPRITES))
    entry = os.path.join(prefix, "share/applications/flagrun.desktop")
    run("desktop-file-validate", entry)
    values = dict(line.strip().split("=", 1) for line in open(entry) if "=" in line)
    check(os.access(os.path.join(prefix, "bin", values["Exec"]), os.X_OK), "Exec=" + values["Exec"])
    head = open(os.path.join(prefix, "share/icons/hicolor/64x64/apps/%s.png" % values["Icon"]),
                "rb").read(24)
    eq((head[:8], head[12:16]), (b"\x89PNG\r\n\x1a\n", b"IHDR"), "icon file signature")
    eq(struct.unpack(">II", head[16:24]), (64, 64), "icon size")


@test("installed_game")
def launcher_runs_the_game_from_another_directory():
    launcher, moved = os.path.join(installed(), "bin/flagrun"), os.path.join(TMP, "moved")
    os.symlink(launcher, link := os.path.join(tempfile.mkdtemp(dir=TMP), "flagrun"))
    shutil.copytree(installed(), moved, symlinks=True)
    for program in (launcher, link, os.path.join(moved, "bin/flagrun")):
        started(cwd := tempfile.mkdtemp(dir=TMP), program).escape()
        eq(os.listdir(cwd), [], "files the game left in its working directory")


@test("installed_game")
def debian_package_names_itself_depends_on_sdl_and_holds_the_launcher():
    # cpack over a staged install: its own install step would first rebuild the whole tree.
    out = tempfile.mkdtemp(dir=TMP)
    run(CMAKE, "--install", BUILD, "--prefix", os.path.join(out, "stage", "usr"))
    run(CPACK, "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-G", "DEB", "-B", out,
        "-D", "CPACK_INSTALL_CMAKE_PROJECTS=", "-D", "CPACK_INSTALLED_DIRECTORIES=%s/stage;/" % out,
        cwd=out)
    debs = [os.path.join(out, n) for n in os.listdir(out) if n.endswith(".deb")]
    eq(len(debs), 1, "packages built")
    fields = run("dpkg-deb", "-f", debs[0], "Package", "Depends").decode()
    check(re.search(r"^Package: flagrun\nDepends:.*libsdl1\.2", fields, re.M), fields)
    check(re.search(r"^-rwx\S* .* \./usr/bin/flagrun$", run("dpkg-deb", "-c", debs[0]).decode(),
                    re.M), "no executable usr/bin/flagrun in the package")


def main():
    global BUILD, CMAKE, CPACK, TMP
    if len(sys.argv) < 5 or sys.argv[1] not in TESTS:
        sys.exit(__doc__)
    group, BUILD, CMAKE, CPACK = sys.argv[1], os.path.abspath(sys.argv[2]), *sys.argv[3:5]
    TMP, passed, failed = tempfile.mkdtemp(prefix="flagrun-e2e-"), 0, 0

    def cleanup(*signum):
        for proc in reversed(CHILDREN):
            stop(proc)
        shutil.rmtree(TMP, ignore_errors=True)
        if signum:
            os._exit(128 + signum[0])
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, cleanup)
    try:
        start_xvfb()
        for name, fn in TESTS[group]:
            if sys.argv[5:] and not any(f in name for f in sys.argv[5:]):
                continue
            began = time.monotonic()
            try:
                fn()
                passed += 1
                print("ok   %s (%.1f s)" % (name, time.monotonic() - began), flush=True)
            except Exception:
                failed += 1
                print("FAIL %s" % name, flush=True)
                traceback.print_exc()
                if GAMES and GAMES[-1].shot:
                    os.makedirs(failures := os.path.join(BUILD, "e2e-failures"), exist_ok=True)
                    with open(os.path.join(failures, name.replace("/", "_") + ".ppm"), "wb") as f:
                        f.write(b"P6\n640 530\n255\n" + GAMES[-1].shot)
            finally:
                for game in GAMES:
                    stop(game.proc)
                    game.out.close()
                GAMES.clear()
    except Exception:
        failed += 1
        traceback.print_exc()
    finally:
        cleanup()
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed or not passed else 0)


if __name__ == "__main__":
    main()
