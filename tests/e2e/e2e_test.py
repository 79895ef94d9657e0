#!/usr/bin/env python3
# flagrun in a private Xvfb, driven by xdotool, seen through python3-xlib; installed.
import ctypes, dataclasses, functools, os, re, select, shutil, signal, struct, subprocess, sys, \
    tempfile, time, traceback

# xdotool's names of every key a test presses
KEYS = {"player1 right": "Right", "player1 laser": "space", "player2 right": "d",
        "player2 down": "s", "player2 laser": "Control_L", "pause": "p", "full screen": "F11",
        "quit": "Escape"}
SHOWN = ["bluedr.bmp", "redtl.bmp", "flagb.bmp", "flagr.bmp", "roadblock.bmp", "lazer2.bmp"]
START = {"bluedr.bmp": [(0, 0), (50, 50)], "flagb.bmp": [(0, 50)], "flagr.bmp": [(590, 430)],
         "roadblock.bmp": [(128, 222)]}
P1_EXP, P2_EXP = (110, 480, 90, 16), (110, 500, 90, 16)  # the numbers after "PlayerN Exp:"
MOST_FRAMES, FEWEST_FRAMES, PACE_SECONDS = 63, 57, 5.5  # the pace check: frames a second
CHILDREN, SERVERS, ENV = [], {}, {"SDL_AUDIODRIVER": "dummy", **os.environ}  # no sound card
# Xvfb has no GPU, and there SDL's default presentation goes through Mesa's software OpenGL,
# which costs some seven times the CPU of SDL's own software renderer: enough to slow the game
# on a loaded machine. The game_window tests, which time the game, present through the latter;
# the other groups keep SDL's choice.
SOFTWARE_PRESENTATION = {"SDL_RENDER_DRIVER": "software", "SDL_FRAMEBUFFER_ACCELERATION": "0"}
for name in ("SDL_VIDEODRIVER", "SDL12COMPAT_SYNC_TO_VBLANK", "SDL12COMPAT_WINDOW_SCALING",
             "SDL12COMPAT_SCALE_METHOD"):  # the game's own choices
    ENV.pop(name, None)


def check(cond, msg):
    if not cond:
        raise AssertionError(msg)


def eq(a, b, msg=""):
    check(a == b, "%r != %r %s" % (a, b, msg))


# Every program the tests start runs in a session of its own, as one started from a desktop
# does: with the kernel's autogroup scheduling, busy programs of other sessions then take their
# fair share of the CPU, not the game's frames. PR_SET_PDEATHSIG: killed with us, even by SIGKILL.
def spawn(args, env=None, **kw):
    CHILDREN.append(subprocess.Popen(args, stdin=subprocess.DEVNULL, env=env or ENV, **kw,
                                     start_new_session=True, preexec_fn=lambda: ctypes.CDLL(
                                         None).prctl(1, signal.SIGKILL)))
    return CHILDREN[-1]


def stop(procs):
    for proc in reversed(procs):
        proc.terminate()  # a no-op once it has ended
        try:
            proc.wait(3)
        except subprocess.TimeoutExpired:
            proc.kill()
    del procs[:]


def poll(fn, msg, timeout=10):  # fn's first true result, before the timeout
    deadline = time.monotonic() + timeout
    while not (result := fn()):
        check(time.monotonic() < deadline, msg)
    return result


def run(*args, ok=True, stdin=b"", cwd=None):
    result = subprocess.run(args, env=ENV, input=stdin, capture_output=True, timeout=60, cwd=cwd)
    check(not ok or result.returncode == 0, "%s failed: %r" % (args, result.stdout + result.stderr))
    return result.stdout


def read_line(pipe, seconds):  # one line, or b"" when none came in time
    return pipe.readline() if select.select([pipe], [], [], seconds)[0] else b""


def use_screen(width, height):  # -displayfd: Xvfb picks a free display, tells it once ready
    if (width, height) not in SERVERS:
        read_end, write_end = os.pipe()
        log = open(os.path.join(TMP, "xvfb-%d.log" % width), "w+b")
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            pass_fds=(write_end,), start_new_session=True,
            preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:  # the number may come in more than one write
            number = read_line(pipe, 20)
        SERVERS[width, height] = server, ":" + number.decode().strip()
        check(number.endswith(b"\n"), "Xvfb did not start: %r" % open(log.name, "rb").read())
    ENV["DISPLAY"] = SERVERS[width, height][1]


@functools.cache
def x_server(name):
    from Xlib import display  # python3-xlib
    return display.Display(name)


def grab(window, size):  # a window's pixels, packed RGB, or None once it is gone (ImageMagick's
    from Xlib import X, error  # import would wait for a click on a window that was destroyed)
    try:
        image = x_server(ENV["DISPLAY"]).create_resource_object("window", int(window)).get_image(
            0, 0, *size, X.ZPixmap, 0xFFFFFFFF)
    except error.XError:
        return None
    bgrx, rgb = image.data, bytearray(size[0] * size[1] * 3)  # depth 24: 32 bits a pixel
    check(image.depth == 24 and len(bgrx) == len(rgb) // 3 * 4, "not a 24-bit window")
    rgb[0::3], rgb[1::3], rgb[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
    return bytes(rgb)


def region(shot, x, y, w, h):  # screenshots: 640x530, packed RGB
    return b"".join(shot[(i := ((y + r) * 640 + x) * 3):i + w * 3] for r in range(h))


def blocks(raw, scale):  # a capture of a scaled window as 640x530 game pixels, or None when
    rows, width = [], 640 * scale * 3  # some game pixel is not an exact scale x scale block
    for y in range(0, 530 * scale, scale):
        row = raw[y * width:(y + 1) * width]
        small = b"".join(row[x:x + 3] for x in range(0, width, 3 * scale))
        if b"".join(small[x:x + 3] * scale for x in range(0, 640 * 3, 3)) != row or any(
                raw[(y + i) * width:(y + i + 1) * width] != row for i in range(1, scale)):
            return None
        rows.append(small)
    return b"".join(rows)


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


def replay_screens(*frames):  # the screen after each frame of a game with no key ever held
    shots = [os.path.join(TMP, "replay-%d.bmp" % frame) for frame in frames]
    run(os.path.join(BUILD, "flagrun-replay"), "--every", "1000000",
        *(arg for f, p in zip(frames, shots) for arg in ("--screenshot", "%d:%s" % (f, p))), "-",
        stdin=b"%d\n" % max(frames), cwd=BUILD)
    return [run("convert", path, "-depth", "8", "rgb:-") for path in shots]


class Game:
    def __init__(self, args=(), env=None, size=(640, 530), run_dir=None, program=None):
        self.out, run_dir, self.size = tempfile.TemporaryFile(dir=TMP), run_dir or BUILD, size
        self.proc = spawn([program or os.path.join(run_dir, "flagrun"), *args], cwd=run_dir,
                          env={**ENV, **(env or {})}, stdout=self.out, stderr=subprocess.STDOUT)

    def output(self):
        return os.pread(self.out.fileno(), 1 << 20, 0).decode(errors="replace")

    def window_shown(self):  # only a mapped, viewable window takes the focus and the keys,
        check(self.proc.poll() is None, "flagrun ended before its window: %r" % self.output())
        for win in run("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                       ok=False).split():  # and only a drawn one is the game's last: SDL may
            win = win.decode()  # show a window and then make it anew
            geometry = run("xdotool", "getwindowgeometry", "--shell", win, ok=False)
            if re.search(rb"WIDTH=%d\s+HEIGHT=%d\s" % self.size, geometry) and self.drawn(win):
                return win

    def drawn(self, window):
        raw = grab(window, self.size)
        return raw is not None and raw != bytes(len(raw))

    def focused(self):
        window = self.window_shown()
        return window and subprocess.run(["xdotool", "windowfocus", "--sync", window], env=ENV,
                                         capture_output=True, timeout=10).returncode == 0 and window

    def show(self, size=None):  # waits for the window in that size and focuses it
        self.size = size or self.size
        self.window = poll(self.focused, "no drawn %dx%d window of flagrun" % self.size, 20)
        return self

    def capture(self):  # the window's pixels as they are, packed RGB
        raw = grab(self.window, self.size)
        check(raw is not None, "the window is gone")
        return raw

    def screenshot(self):  # the game's 640x530 pixels, from exact blocks when scaled
        scale = self.size[0] // 640
        self.shot = self.capture() if scale == 1 else blocks(self.capture(), scale)
        check(self.shot is not None, "a game pixel is not an exact %d x %d block" % (scale, scale))
        return self.shot

    def wait_for(self, name, count=1):
        poll(lambda: len(find(name, self.screenshot())) >= count, "%s never on screen" % name)
        return self.shot

    def press(self, key):
        run("xdotool", "key", KEYS[key])

    def hold(self, key, seconds):
        run("xdotool", "keydown", KEYS[key], "sleep", str(seconds), "keyup", KEYS[key])

    def ends_with(self, status):
        eq(self.proc.wait(10), status, "exit status; output: %r" % self.output())

    def escape(self):
        self.press("quit")
        self.ends_with(0)


def players(shot):  # Player 1 and Player 2, told apart by row: Player 1 stays on y = 0
    found = sorted(find("bluedr.bmp", shot), key=lambda p: p[1])
    check(len(found) == 2 and found[0][1] < 25 <= found[1][1], "player bodies: %s" % found)
    return found


def still(game):  # where the players stand, the same 0.3 s later, once a released key has
    def standing():  # reached the game
        now, _ = players(game.screenshot()), time.sleep(0.3)
        return players(game.screenshot()) == now and now
    return poll(standing, "a player moved with no key held", 3)


def started(**kw):
    game = Game(**kw).show()
    eq(sorted(find("bluedr.bmp", game.wait_for("bluedr.bmp", 2))), START["bluedr.bmp"])
    return game


def keys_move_each_player_and_fire_each_players_laser():
    game = started()
    eq({name: sorted(find(name, game.shot)) for name in START}, START, "sprites at the start")
    for key, mover in (("player1 right", 0), ("player2 right", 1)):
        before = players(game.screenshot())
        game.hold(key, 0.4)
        after = still(game)
        check(after[mover][1] == before[mover][1] and after[mover][0] >= before[mover][0] + 5,
              "%s: player %d did not move right: %s -> %s" % (key, mover + 1, before, after))
        eq(after[1 - mover], before[1 - mover], "%s moved the other player" % key)
    game.hold("player2 down", 0.6)  # the two lasers, flying (+3, +3), keep apart
    owners = still(game)
    check(owners[0][1] == 0 and owners[1][1] > owners[1][0] - owners[0][0],
          "Player 2 did not move down: %s" % owners)
    eq(find("lazer1.bmp", game.shot), [], "a laser flew unasked")
    diagonals = [x - y for x, y in owners]  # a laser flies (+3, +3) until the zone turns it
    for key, owner in (("player1 laser", 0), ("player2 laser", 1)):
        game.hold(key, 0.15)  # seen by some frame even on a loaded machine

        def flying():  # the diagonals of the lasers ahead of their owner, once this one flies
            found = [x - y for x, y in find("lazer1.bmp", game.screenshot())
                     if x > owners[owner][0] + 32]
            return diagonals[owner] in found and found
        found = poll(flying, "no laser ahead on the diagonal of the owner of " + key, 3)
        check(owner == 1 or diagonals[1] not in found, "%s fired Player 2's laser" % key)
    game.escape()


# The enemies as a clock: a pixel per axis and frame, bouncing; where they stand tells the frame.
@functools.cache
def enemy_path(frames=20000):  # over five minutes; no pair of positions repeats
    enemies, path, places = [[500, 300, 1, 1], [600, 400, 1, 1]], [], {}
    for frame in range(frames + 1):
        path.append(tuple((e[0], e[1]) for e in enemies))
        for e in enemies:
            places.setdefault((e[0], e[1]), []).append(frame)
            e[0], e[1] = e[0] + e[2], e[1] + e[3]
            e[2] = -e[2] if e[0] in (0, 640) else e[2]
            e[3] = -e[3] if (e[1] in (0, 480)) != (e[0] > 174 and e[1] < 149) else e[3]
    return path, {frozenset(pair): frame for frame, pair in reversed(list(enumerate(path)))}, places


def frame_in(shot, taken, since=None):  # the frame a screenshot taken then shows: told by both
    found = find("redtl.bmp", shot)  # enemies, or by one near where an earlier (frame, time)
    if len(found) == 2:  # puts it; enemy 2 runs on enemy 1's track, 100 frames behind
        return enemy_path()[1].get(frozenset(found))
    if len(found) != 1 or since is None:
        return None
    near = since[0] + 60 * (taken - since[1])
    frames = [f for f in enemy_path()[2].get(found[0], []) if abs(f - near) < 45]
    return frames[0] if len(frames) == 1 else None


def frame_shown(game, since=None):  # the frame on screen and when: the capture's middle
    def read():
        before, shot = time.monotonic(), game.screenshot()
        taken = (before + time.monotonic()) / 2
        frame = frame_in(shot, taken, since)
        return frame is not None and (frame, taken)
    return poll(read, "no frame number read off the enemies", 30)


def laser_hit(launch):  # the frame Player 1's laser, fired from (0, 0), is inside an enemy
    for n, enemies in enumerate(enemy_path()[0][launch:launch + 161], 1):
        if any(ex < 3 * n < ex + 32 and ey < 3 * n < ey + 32 for ex, ey in enemies):
            return launch + n - 1


def laser_into_an_enemy_leaves_the_wreck_and_raises_player1_exp():
    # Fire when a shot launched in any of the next 24 frames would hit: the key lands later.
    game, deadline = started(), time.monotonic() + 30
    shown = frame_shown(game)
    while not all(map(laser_hit, range(shown[0] + 1, shown[0] + 25))):
        check(time.monotonic() < deadline, "no firing chance seen up to frame %d" % shown[0])
        shown = frame_shown(game, shown)
    frame = shown[0]
    before = game.shot
    game.hold("player1 laser", 0.15)
    eq(find("reddr-dead.bmp", before), [], "a wreck before the shot")
    eq(region(before, *P1_EXP), region(before, *P2_EXP), "equal experience before the shot")
    time.sleep((laser_hit(frame + 1) - frame) / 60 + 1)
    wrecks, after = find("reddr-dead.bmp", game.screenshot()), game.shot
    check(len(wrecks) == 1 and abs(wrecks[0][0] - wrecks[0][1]) < 31,
          "not one wreck on Player 1's diagonal: %s" % wrecks)
    check(region(after, *P1_EXP) != region(before, *P1_EXP), "Player 1's Exp did not change")
    eq(region(after, *P2_EXP), region(before, *P2_EXP), "Player 2's Exp changed")
    game.escape()


def check_pace(game, what):  # frames a second of wall-clock time, over PACE_SECONDS
    first, _ = frame_shown(game), time.sleep(PACE_SECONDS)
    last = frame_shown(game, first)
    rate = (last[0] - first[0]) / (last[1] - first[1])
    print("pace, %s: %.2f frames a second over %.2f s" % (what, rate, last[1] - first[1]),
          flush=True)
    check(FEWEST_FRAMES <= rate <= MOST_FRAMES, "%s: %.1f frames a second" % (what, rate))
    return last


def without_vsync_the_game_keeps_60_frames_a_second():
    game = started(env={"SDL12COMPAT_SYNC_TO_VBLANK": "0"})
    check_pace(game, "vsync off")
    game.escape()


# What hides an enemy from the clock: the home corner, the roadblock, "Paused", the other enemy.
MIDDLE = (260, 208, 120, 64)  # the playfield's middle, where "Paused" shows
COVERS = [(0, 0, 132, 132), (124, 218, 72, 48), MIDDLE]


def overlap(a, b):  # two boxes: x, y, w, h
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def in_sight(frame):  # an enemy wholly in sight in that frame, even under a pause
    a, b = [(x, y, 32, 32) for x, y in enemy_path()[0][frame]]
    return any(0 <= box[0] <= 640 - 32 and 0 <= box[1] <= 430 - 32 and not overlap(box, other)
               and not any(overlap(box, cover) for cover in COVERS)
               for box, other in ((a, b), (b, a)))


def changed_box(a, b):  # x, y, w, h of the pixels two shots differ in
    rows = [y for y in range(530) if region(a, 0, y, 640, 1) != region(b, 0, y, 640, 1)]
    cols = [x for y in rows for x in range(640) if region(a, x, y, 1, 1) != region(b, x, y, 1, 1)]
    return rows and (min(cols), rows[0], max(cols) + 1 - min(cols), rows[-1] + 1 - rows[0])


def inside(box, area):  # two boxes: x, y, w, h
    return area[0] <= box[0] and box[0] + box[2] <= area[0] + area[2] and \
        area[1] <= box[1] and box[1] + box[3] <= area[1] + area[3]


def settled(game):  # a screenshot that the next one, 0.2 s later, shows again
    shot, _ = game.screenshot(), time.sleep(0.2)
    return game.screenshot() == shot and shot


def moved_on(game, since):  # a frame after `since` (frame, time) on screen, and when
    shown = frame_shown(game, since)
    return shown[0] > since[0] and shown


def paces_60_frames_a_second_and_pauses_between_two_frames():
    game = started()
    shown, deadline = check_pace(game, "vsync on"), time.monotonic() + 30
    while not all(map(in_sight, range(shown[0] + 1, shown[0] + 91))):  # pause, and read the
        check(time.monotonic() < deadline, "no pause chance up to frame %d" % shown[0])  # frame
        shown = frame_shown(game, shown)
    pressed = time.monotonic()
    game.press("pause")
    paused = poll(lambda: settled(game), "the game did not pause", 10)
    time.sleep(1)
    check(game.screenshot() == paused, "the screen changed while paused")
    paused_at = frame_in(paused, pressed, shown)
    check(paused_at is not None, "no frame number read off the paused screen")
    game.press("pause")
    resumed = time.monotonic()
    frame, taken = poll(lambda: moved_on(game, (paused_at, resumed)), "the game did not resume")
    check(paused_at < frame <= paused_at + 30 + 60 * (taken - resumed),
          "frames ran while paused: frame %d at the pause, %d %.2f s after" % (
              paused_at, frame, taken - resumed))
    before, after = replay_screens(paused_at, frame)
    check(game.shot == after, "after the pause the screen differs from an unpaused game's")
    box = changed_box(paused, before)
    check(box and inside(box, MIDDLE) and b"\xff\xff\x00" in region(paused, *box),
          "no yellow text over the playfield's middle alone while paused: %s" % (box,))
    game.press("pause")
    close_window(game)  # a paused game still answers
    game.ends_with(0)


def close_window(game):  # what a window manager sends to close a window
    from Xlib import X, display, protocol  # python3-xlib
    dpy = display.Display(ENV["DISPLAY"])
    window = dpy.create_resource_object("window", int(game.window))
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    check(delete in (window.get_wm_protocols() or []), "WM_DELETE_WINDOW not advertised")
    window.send_event(protocol.event.ClientMessage(
        window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
        data=(32, [delete, X.CurrentTime, 0, 0, 0])), event_mask=X.NoEventMask)
    dpy.sync()  # a round trip: closing at once may lose the event
    dpy.close()


def runs_without_its_sprites_and_icon():  # a missing font ends the start-up: see StartUp.*
    keep = {"data", "flagrun"}
    shutil.copytree(BUILD, run_dir := tempfile.mkdtemp(dir=TMP), dirs_exist_ok=True,
                    ignore=lambda d, names: set(names) - keep if d == BUILD else ())
    game = Game(run_dir=run_dir).show()
    time.sleep(0.5)  # frames drawn
    check(game.proc.poll() is None, "flagrun ended: %r" % game.output())
    eq([name for name in SHOWN if find(name, game.screenshot())], [], "sprites drawn")
    check(b"\xff\xff\x00" in region(game.shot, *P1_EXP), "no HUD text drawn")
    game.escape()


@dataclasses.dataclass
class Window:  # a start of the game and the window it must show
    name: str
    screen: tuple
    size: tuple
    args: tuple = ()
    env: dict = dataclasses.field(default_factory=dict)
    nearest: bool = True  # every game pixel an exact block, the picture the game drew


SCALE = "SDL12COMPAT_WINDOW_SCALING"
WINDOWS = [  # a 1024x768 desktop, scale 1, is every game_window test's
    Window(name="3840x2160: the largest scale within 90%", screen=(3840, 2160), size=(1920, 1590)),
    Window(name="--scale 2", screen=(3840, 2160), args=("--scale", "2"), size=(1280, 1060)),
    Window(name="the user's variables win over the game's choice", screen=(3840, 2160),
           env={SCALE: "2", "SDL12COMPAT_SCALE_METHOD": "linear"}, size=(1280, 1060),
           nearest=False),
    Window(name="--scale wins over the user's variable", screen=(3840, 2160),
           args=("--scale=4",), env={SCALE: "2"}, size=(2560, 2120)),
    Window(name="1920x1080: scale 1", screen=(1920, 1080), size=(640, 530)),
]


def window_has_its_size_and_shows_the_game_in_exact_blocks(case):
    use_screen(*case.screen)
    game = Game(args=case.args, env=case.env, size=case.size).show()
    if case.nearest:
        frame, _ = frame_shown(game)
        check(game.shot == replay_screens(frame)[0], "the picture differs from the replay's")
    else:  # once something is drawn
        poll(lambda: blocks(game.capture(), case.size[0] // 640) is None, "exact blocks", 3)
    game.escape()


def black_columns(raw, width, x, w):  # every row of a capture black from x to x + w
    return all(raw[(i := (y * width + x) * 3):i + w * 3] == bytes(w * 3)
               for y in range(len(raw) // (width * 3)))


def fullscreen_letterboxes_and_f11_and_escape_work_while_paused():
    use_screen(1280, 800)  # 640x530 scaled to 800 rows: 966 columns, 157 black ones each side
    wm = spawn([sys.executable, os.path.join(HERE, "fullscreen_wm.py")], stdout=subprocess.PIPE)
    eq(read_line(wm.stdout, 10), b"ready\n", "window manager")
    game = Game(args=("--fullscreen",), size=(1280, 800)).show()
    poll(lambda: not black_columns(game.capture(), 1280, 160, 960), "nothing drawn", 10)
    check(black_columns(raw := game.capture(), 1280, 0, 150) and
          black_columns(raw, 1280, 1130, 150), "the sides of the picture are not black")
    game.press("pause")
    game.press("full screen")
    game.show((640, 530))
    time.sleep(0.3)
    shot, _ = game.screenshot(), time.sleep(0.5)
    check(game.screenshot() == shot, "the screen changed while paused")
    game.press("full screen")
    game.show((1280, 800)).escape()


def installed_game_has_a_menu_entry_an_icon_and_runs_elsewhere():
    prefix = os.path.join(TMP, "games dir", "prefix")  # the launcher must quote its paths
    run(CMAKE, "--install", BUILD, "--prefix", prefix)
    run("desktop-file-validate",
        entry := prefix + "/share/applications/io.github.flagrun.flagrun.desktop")
    values = dict(line.strip().split("=", 1) for line in open(entry) if "=" in line)
    eq(values["Exec"], '"%s/games/flagrun"' % prefix, "Exec: the launcher, quoted")
    check(os.access(launcher := os.path.join(prefix, "games/flagrun"), os.X_OK), launcher)
    with open(os.path.join(prefix, "share/icons/hicolor/64x64/apps", values["Icon"] + ".png"),
              "rb") as icon:  # the signature, then the IHDR chunk: width and height come first
        eq(icon.read(24), b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + struct.pack(">II", 64, 64), "icon")
    result = subprocess.run([launcher, "--scale", " 2 words"], env=ENV, capture_output=True,
                            timeout=10)  # every argument passed through unchanged
    eq((result.returncode, result.stderr.splitlines()[0]),
       (2, b"flagrun: --scale takes a whole number from 1 to 8, not ' 2 words'"), "launcher")
    started(program=launcher, run_dir=(cwd := tempfile.mkdtemp(dir=TMP))).escape()
    eq(os.listdir(cwd), [], "files the game left in its working directory")


TESTS = {"installed_game": [installed_game_has_a_menu_entry_an_icon_and_runs_elsewhere],
         "game_window": [keys_move_each_player_and_fire_each_players_laser,
                         laser_into_an_enemy_leaves_the_wreck_and_raises_player1_exp,
                         paces_60_frames_a_second_and_pauses_between_two_frames,
                         without_vsync_the_game_keeps_60_frames_a_second,
                         runs_without_its_sprites_and_icon],
         "window_geometry": [functools.partial(
             window_has_its_size_and_shows_the_game_in_exact_blocks, case) for case in WINDOWS] +
         [fullscreen_letterboxes_and_f11_and_escape_work_while_paused]}
if len(sys.argv) not in (4, 5) or sys.argv[1] not in TESTS:
    sys.exit("Usage: e2e_test.py %s BUILD_DIR CMAKE [PART_OF_A_TEST_NAME]" % "|".join(TESTS))
BUILD, CMAKE, HERE = os.path.abspath(sys.argv[2]), sys.argv[3], os.path.dirname(__file__)
TMP, results = tempfile.mkdtemp(prefix="flagrun-e2e-"), []
ENV.update(SOFTWARE_PRESENTATION if sys.argv[1] == "game_window" else {})
for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):  # cleaned up below
    signal.signal(signum, lambda signum, _: sys.exit(128 + signum))
try:
    for fn in TESTS[sys.argv[1]]:
        if sys.argv[4:] and sys.argv[4] not in getattr(fn, "func", fn).__name__:
            continue
        try:
            use_screen(1024, 768)
            fn()
            results.append(True)
        except Exception:
            results.append(False)
            traceback.print_exc()
        finally:
            stop(CHILDREN)
        print("ok  " if results[-1] else "FAIL", getattr(fn, "func", fn).__name__,
              *(getattr(arg, "name", arg) for arg in getattr(fn, "args", ())), flush=True)
except Exception:
    results.append(False)
    traceback.print_exc()
finally:
    stop(CHILDREN)
    stop([server for server, _ in SERVERS.values()])
    shutil.rmtree(TMP, ignore_errors=True)
print("%d passed, %d failed" % (results.count(True), results.count(False)))
sys.exit(0 if results and all(results) else 1)
