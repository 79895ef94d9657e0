#!/usr/bin/env python3
# What only a real window shows: keys reach the installed game, demos, pause, pace and scale.
# flagrun in a private Xvfb, keys from xdotool, pixels read through python3-xlib.
import array, collections, ctypes, functools, json, os, shutil, signal, socket, subprocess
import sys, tempfile, time
from Xlib import X, display, error  # python3-xlib

ENV = {name: value for name, value in os.environ.items() if not name.startswith("SDL")}
ENV["SDL_AUDIODRIVER"] = "dummy"  # no sound card; every other choice is the game's own
# The two ways of presenting: the game's choice (Xvfb's OpenGL is drawn by the CPU, so SDL's own
# renderer), and OpenGL forced by the user.
PATHS = {"chosen": {}, "opengl": {"SDL_RENDER_DRIVER": "opengl"}}
# PR_SET_PDEATHSIG, called in the child: killed with this script, even by SIGKILL.
die_with_parent = functools.partial(ctypes.CDLL(None).prctl, 1, signal.SIGKILL)
CHILDREN, SERVERS, CONNECTION = [], [], None  # CONNECTION: to the last Xvfb, for the pixels


def check(condition, message):
    if not condition:
        raise AssertionError(message)


# Every program runs in a session of its own, as one started from a desktop does: with the
# kernel's autogroup scheduling, busy programs elsewhere take their share, not the game's.
def spawn(args, owner=CHILDREN, **kwargs):
    proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, start_new_session=True,
                            preexec_fn=die_with_parent, **kwargs)
    owner.append(proc)
    return proc


def stop(procs):
    for proc in procs:
        proc.kill()  # a no-op once it has ended
        proc.wait()
    procs.clear()


def poll(read, message, timeout=10):  # read's first true result, before the timeout
    deadline = time.monotonic() + timeout
    result = read()
    while not result:
        check(time.monotonic() < deadline, message)
        time.sleep(0.02)
        result = read()
    return result


def run(*args, cwd=None, stdin=b""):
    result = subprocess.run(args, cwd=cwd, env=ENV, input=stdin, capture_output=True, timeout=60)
    check(result.returncode == 0, "%s failed: %r" % (args, result.stdout + result.stderr))
    return result.stdout


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=ENV, capture_output=True, timeout=30)


def use_screen(width, height):  # a new Xvfb, which picks a free display and tells it once ready
    stop(SERVERS)
    read_end, write_end = os.pipe()
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
           "-nolisten", "tcp", "-noreset"], SERVERS, pass_fds=(write_end,),
          stderr=subprocess.DEVNULL)  # it tries display numbers aloud
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:  # b"" if it ends
        number = pipe.readline()
    check(number.endswith(b"\n"), "Xvfb did not start")
    ENV["DISPLAY"] = ":" + number.decode().strip()
    global CONNECTION
    CONNECTION = display.Display(ENV["DISPLAY"])


def grab(window_id, size):  # a window's pixels as packed RGB; None when gone or not that size
    try:
        window = CONNECTION.create_resource_object("window", int(window_id))
        geometry = window.get_geometry()
        if (geometry.width, geometry.height) != size:
            return None
        bgrx = window.get_image(0, 0, size[0], size[1], X.ZPixmap, 0xFFFFFFFF).data
    except error.XError:
        return None
    rgb = bytearray(len(bgrx) // 4 * 3)  # depth 24: 32 bits a pixel
    rgb[0::3], rgb[1::3], rgb[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
    return bytes(rgb)


@functools.cache
def sprite(name):  # the rows of a sprite's pixels, packed RGB
    path = os.path.join(BUILD, "Graphics", name)
    width = int(run("identify", "-format", "%w", path))
    raw = run("convert", path, "-depth", "8", "rgb:-")
    return [raw[start:start + width * 3] for start in range(0, len(raw), width * 3)]


def find(name, shot):  # the top-left corners of every whole, exact sighting of a sprite
    rows = sprite(name)
    anchor = max(range(len(rows)), key=lambda i: len(set(rows[i])))  # a row unlike the margins
    corners, hit = [], shot.find(rows[anchor])
    while hit >= 0:
        x, y = hit // 3 % 640, hit // 3 // 640 - anchor
        in_sight = hit % 3 == 0 and x * 3 + len(rows[0]) <= 640 * 3 and 0 <= y <= 530 - len(rows)
        starts = [((y + i) * 640 + x) * 3 for i in range(len(rows))]
        if in_sight and all(shot[at:at + len(row)] == row for at, row in zip(starts, rows)):
            corners.append((x, y))
        hit = shot.find(rows[anchor], hit + 1)
    return corners


def players(shot):  # Player 1 and Player 2 when both are in sight, told apart by row
    found = sorted(find("bluedr.bmp", shot), key=lambda place: place[1])
    return found if len(found) == 2 else None


def replay(*args, stdin=b""):  # flagrun-replay's lines
    return run(os.path.join(BUILD, "flagrun-replay"), *args, stdin=stdin, cwd=BUILD).splitlines()


@functools.cache
def enemy_clock():  # the frame each pair of enemy places shows in the first 50 s of a game
    clock = {}  # with no key held; None for a pair seen twice
    for line in replay("-", stdin=b"3000\n"):
        state = json.loads(line)
        pair = frozenset((state[enemy]["x"], state[enemy]["y"]) for enemy in ("enemy1", "enemy2"))
        clock[pair] = None if pair in clock else state["frame"]
    return clock


class Game:  # its output goes to this script's
    def __init__(self, *args, size=(640, 530), program=None, cwd=None, env=None, stderr=None,
                 stdout=None):
        self.proc = spawn([program or os.path.join(BUILD, "flagrun"), *args], cwd=cwd or BUILD,
                          env={**ENV, **(env or {})}, stderr=stderr, stdout=stdout)
        self.show(size)

    def show(self, size):  # waits for the window in that size, drawn, and gives it the keys
        self.size = size
        self.window = poll(self.focused_window, "no drawn %dx%d window of flagrun" % size, 20)
        self.shown = time.monotonic()

    # Only a mapped, viewable window takes the focus and the keys, and only a drawn one is the
    # game's last (SDL may show a window and then make it anew) and reads the keys: the window
    # opens before the sprites and fonts are loaded, and a key tapped before then is lost.
    def focused_window(self):
        check(self.proc.poll() is None, "flagrun ended before its window")
        found = xdotool("search", "--onlyvisible", "--pid", str(self.proc.pid)).stdout
        for window in found.split():
            raw = grab(window, self.size)
            drawn = raw is not None and raw.count(0) < len(raw)  # a new window is all black
            if drawn and xdotool("windowfocus", "--sync", window).returncode == 0:
                return window
        return None

    def screenshot(self):  # the window's pixels, packed RGB
        raw = grab(self.window, self.size)
        check(raw is not None, "the window is gone")
        return raw

    def keys(self, *steps):  # an xdotool command line: keydown X, sleep S, key Y, ...
        result = xdotool(*steps)
        check(result.returncode == 0, "xdotool %s: %r" % (steps, result.stderr))

    def ends_with(self, status, seconds=10):  # returns when it ended
        code = self.proc.wait(seconds)
        check(code == status, "exit status %d, not %d" % (code, status))
        return time.monotonic()

    def escape(self):
        self.keys("key", "Escape")
        self.ends_with(0)


def frame_shown(game):  # (frame, time): read off the enemies' places, at the capture's middle
    def read():
        before = time.monotonic()
        frame = enemy_clock().get(frozenset(find("redtl.bmp", game.screenshot())))
        return None if frame is None else (frame, (before + time.monotonic()) / 2)
    return poll(read, "no frame read off the enemies", 30)


# Player 1 right and Player 2 down from where they were, neither the other way.
def each_moved_by_his_key(game, player1, player2):
    now = players(game.screenshot())
    return now and now[0][1] == player1[1] and now[0][0] >= player1[0] + 5 and \
        now[1][0] == player2[0] and now[1][1] >= player2[1] + 5


# The installed game records where it was started. Each key is held a few frames: one tapped
# between two frames is never seen. The paused frames must not be recorded: the enemies would
# move on in them, and the replay end elsewhere. A played demo's time shows that P pauses.
def the_installed_game_takes_keys_and_p_and_records():  # a record that replays in sync
    prefix = os.path.join(TMP, "games dir", "prefix")  # the launcher must quote its paths
    run(CMAKE, "--install", BUILD, "--prefix", prefix)
    game = Game("--record", os.path.basename(DEMO), program=prefix + "/games/flagrun", cwd=TMP)
    player1, player2 = poll(lambda: players(game.screenshot()), "the players are not in sight")
    game.keys("keydown", "Right", "sleep", "0.3", "keyup", "Right",
              "keydown", "s", "sleep", "0.3", "keyup", "s")
    poll(lambda: each_moved_by_his_key(game, player1, player2),
         "Right did not move Player 1 alone and S Player 2 down alone", 5)
    shots = ("lazer1.bmp", "grenade1.bmp")
    check(not any(find(name, game.screenshot()) for name in shots), "a shot flies unasked")
    game.keys("keydown", "space", "sleep", "0.15", "keyup", "space",
              "keydown", "Shift_L", "sleep", "0.15", "keyup", "Shift_L")
    poll(lambda: all(find(name, game.screenshot()) for name in shots), "no laser and grenade", 5)
    game.keys("key", "p", "sleep", "0.8", "key", "p", "sleep", "1")
    game.escape()
    lines = open(DEMO).read().splitlines()
    replayed = replay(DEMO)[-1].decode()
    check(lines[-1] == "# final state: " + replayed, "replayed %r: %r" % (replayed, lines[-1]))


# A played demo takes its frames at 60 a second, and its pause, no more, no less. Keys pressed
# during play are not played: the demo ends in sync, with status 0, not 3. Escape ends it early.
def a_played_demo_keeps_time():
    seconds = sum(int(line.split()[0]) for line in open(DEMO) if not line.startswith("#")) / 60
    game = Game("--play", DEMO)
    game.keys("keydown", "Left", "keydown", "w", "sleep", "0.3", "keyup", "Left", "keyup", "w",
              "key", "p", "sleep", "1.5", "key", "p")
    took = game.ends_with(0, seconds + 15) - game.shown
    print("%.2f s of frames and a 1.5 s pause took %.2f s" % (seconds, took), flush=True)
    check((seconds + 1.5) * 0.95 - 0.2 <= took <= (seconds + 1.5) * 1.05 + 0.5, "not on time")
    game = Game("--play", DEMO)
    game.keys("key", "Escape")
    check(game.ends_with(0) - game.shown < seconds / 2, "Escape did not end it early")


def pitches(raw):  # each 10 ms of 16-bit stereo sound: its pitch by zero crossings, 0 if quiet
    samples = array.array("h", raw)
    mono = [left + right for left, right in zip(samples[0::2], samples[1::2])]
    found = []
    for start in range(0, len(mono) - 441, 441):
        window = mono[start:start + 441]
        crossings = sum((a < 0) != (b < 0) for a, b in zip(window, window[1:]))
        found.append(crossings * 50 if max(map(abs, window)) > 2000 else 0)
    return found


def longest_run(values, low, high):  # the most values in a row from low to high
    best = run = 0
    for value in values:
        run = run + 1 if low <= value <= high else 0
        best = max(best, run)
    return best


# Player 1's laser falls from some 1.8 kHz: nothing else in the first seconds of a game sounds
# that high for 30 ms, though the enemies' shots sound too. Read from SDL's disk driver.
def space_leaves_player_ones_laser_in_the_sound():
    for press in (False, True):
        sound = os.path.join(TMP, "sound.raw")
        game = Game(env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": sound})
        time.sleep(1)
        if press:
            game.keys("keydown", "space", "sleep", "0.1", "keyup", "space")
        time.sleep(1)
        game.escape()
        heard = pitches(open(sound, "rb").read())
        laser = longest_run(heard, 1400, 2200)
        print("Space %s: %d of %d windows sound, a laser's pitch in %d in a row"
              % ("pressed" if press else "not pressed", sum(map(bool, heard)), len(heard), laser))
        check(sum(map(bool, heard)) > 0, "no sound at all")
        check((laser >= 3) == press, "the laser's pitch %s" % ("missing" if press else "unasked"))


def keeps_60_frames_a_second_read_off_the_screen_with_or_without_vsync():
    for name, env in (("vsync asked for", {}), ("vsync off", {"SDL12COMPAT_SYNC_TO_VBLANK": "0"})):
        game = Game(env=env)
        first_frame, first_time = frame_shown(game)
        time.sleep(5.5)
        last_frame, last_time = frame_shown(game)
        rate = (last_frame - first_frame) / (last_time - first_time)
        print("%s: %.2f frames a second" % (name, rate), flush=True)
        check(57 <= rate <= 63, "%s: %.1f frames a second" % (name, rate))
        game.escape()


def resample(raw, size, new_size):  # packed RGB, point-sampled to another size
    return run("convert", "-size", "%dx%d" % size, "-depth", "8", "rgb:-",
               "-sample", "%dx%d!" % new_size, "rgb:-", stdin=raw)


def exact_blocks(raw, size):  # every game pixel of a scaled capture one colour
    return resample(resample(raw, size, GAME), GAME, size) == raw


SCALE, METHOD, UHD = "SDL12COMPAT_WINDOW_SCALING", "SDL12COMPAT_SCALE_METHOD", (3840, 2160)
GAME = (640, 530)
# A start on a desktop, its window's size, and whether the user asks to smooth the picture.
Window = collections.namedtuple("Window", "name desktop args env size smooth")
WINDOWS = [
    Window("4K: the largest scale in 90%", UHD, (), {}, (1920, 1590), False),
    Window("--scale 2", UHD, ("--scale", "2"), {}, (1280, 1060), False),
    Window("user's variables win", UHD, (), {SCALE: "2", METHOD: "linear"}, (1280, 1060), True),
    Window("--scale beats the variable", UHD, ("--scale=4",), {SCALE: "2"}, (2560, 2120), False),
]


def each_window_has_its_size_and_exact_blocks():  # every game pixel, unless smoothed
    for case in WINDOWS:
        use_screen(*case.desktop)
        game = Game(*case.args, size=case.size, env=case.env)  # drawn
        check(exact_blocks(game.screenshot(), case.size) != case.smooth, case.name)
        game.escape()


def loads_opengl(game):
    with open("/proc/%d/maps" % game.proc.pid) as maps:
        return "/libGL.so" in maps.read()


def frame_and_capture(game):  # a capture, and its frame as the enemies' places tell it
    def read():
        raw = game.screenshot()
        frame = enemy_clock().get(frozenset(find("redtl.bmp", resample(raw, game.size, GAME))))
        return frame and (frame, raw)
    return poll(read, "no frame read off the enemies", 30)


# Whatever the path, the window shows the game's own frame, each pixel an exact 2x2 block: the
# capture is the replay's screenshot of the same frame, scaled. Only OpenGL loads libGL.
def each_path_shows_the_games_own_pixels():
    use_screen(*UHD)
    for path, env in PATHS.items():
        game = Game("--scale", "2", size=(1280, 1060), env=env)
        check(loads_opengl(game) == (path == "opengl"), "%s: the other renderer" % path)
        frame, raw = frame_and_capture(game)
        shot = os.path.join(TMP, "frame.bmp")
        replay("--screenshot", "%d:%s" % (frame, shot), "-", stdin=b"%d\n" % frame)
        expected = run("convert", shot, "-depth", "8", "rgb:-")
        check(raw == resample(expected, GAME, game.size), "%s: not frame %d, scaled" % (path, frame))
        game.escape()


def black_columns(raw, x, count, width=1280):  # every row of a capture black from x on
    rows = range(0, len(raw), width * 3)
    return all(raw[row + x * 3:row + (x + count) * 3] == bytes(count * 3) for row in rows)


def full_screen_letterboxes():  # and F11 switches, even while paused, on either path
    use_screen(1280, 800)  # 640x530 scaled to 800 rows: 966 columns, 157 black ones each side
    wm = spawn([sys.executable, os.path.join(HERE, "fullscreen_wm.py")], env=ENV,
               stdout=subprocess.PIPE)
    check(wm.stdout.readline() == b"ready\n", "the window manager did not start")
    for path, env in PATHS.items():
        game = Game("--fullscreen", size=(1280, 800), env=env)  # drawn
        raw = game.screenshot()
        sides_black = black_columns(raw, 0, 150) and black_columns(raw, 1130, 150)
        check(sides_black and not black_columns(raw, 160, 10), "%s: not 800 rows high" % path)
        game.keys("key", "p", "key", "F11")
        game.show((640, 530))
        game.keys("key", "F11")
        game.show((1280, 800))
        game.escape()


def free_udp_port():  # one the system picks on loopback, free again for the game to take
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.bind(("127.0.0.1", 0))
        return sock.getsockname()[1]


def shows_pause(game):  # the "Paused" panel's text in the HUD's yellow, below any notice
    band = game.screenshot()[232 * 640 * 3:248 * 640 * 3]
    return any(band[at:at + 3] == b"\xff\xff\x00" for at in range(0, len(band), 3))


# Two games online, each in its window with its keys. Each side's player answers to either set
# of keys: D on the host moves Player 1, Down on the joiner Player 2. P on the host pauses both
# on the same frame, pixel for pixel; Escape on the joiner ends both, and each records the game.
def two_windows_play_online_pause_and_leave_together():
    use_screen(1300, 768)  # room for both windows side by side, neither covering the other
    port = free_udp_port()
    homes = [os.path.join(TMP, side) for side in ("host", "joiner")]
    log = open(os.path.join(TMP, "host.err"), "w+")
    envs = [{"XDG_STATE_HOME": home, "SDL_VIDEO_WINDOW_POS": "%d,0" % x}  # not centred
            for home, x in zip(homes, (0, 650))]
    host = Game("--host", str(port), env=envs[0], stderr=log)
    joiner = Game("--join", "127.0.0.1:%d" % port, env=envs[1])
    for game in (host, joiner):
        frame_shown(game)  # the enemies move: the link is up
    player1, player2 = players(host.screenshot())
    host.keys("windowfocus", "--sync", host.window, "keydown", "d", "sleep", "0.3", "keyup", "d")
    joiner.keys("windowfocus", "--sync", joiner.window,
                "keydown", "Down", "sleep", "0.3", "keyup", "Down")

    def settled():  # the players stand still, alike on both sides: each has the other's keys
        seen = [players(game.screenshot()) for game in (host, joiner)]
        time.sleep(0.2)
        return seen[0] and seen[0] == seen[1] == players(host.screenshot())
    poll(settled, "the two sides do not agree on the players", 5)
    check(each_moved_by_his_key(host, player1, player2),
          "D did not move Player 1 alone and Down Player 2 down alone")
    host.keys("windowfocus", "--sync", host.window, "key", "p")
    poll(lambda: shows_pause(host) and shows_pause(joiner), "no pause on both sides", 5)
    check(host.screenshot() == joiner.screenshot(), "the two sides show different pauses")
    joiner.keys("windowfocus", "--sync", joiner.window, "key", "Escape")
    joiner.ends_with(0)
    host.ends_with(0)
    log.seek(0)
    check("flagrun: the other player left\n" in log.read(), "the host was not told")
    log.close()
    ends = [open(os.path.join(home, "flagrun", "online.demo")).read().splitlines()[-1]
            for home in homes]
    check(ends[0] == ends[1], "the two sides recorded other ends: %r" % ends)
    replayed = replay(os.path.join(homes[0], "flagrun", "online.demo"))[-1].decode()
    check(ends[0] == "# final state: " + replayed, "replayed %r: %r" % (replayed, ends[0]))

# Player 1's laser moved to X: Space fires nothing, X fires, and the demo names the action as
# ever (by its default key), so that it replays in sync anywhere. The file is only read.
def a_rebound_laser_fires_on_its_key_and_the_demo_replays():
    config = os.path.join(TMP, "rebound.conf")
    with open(config, "w") as file:
        file.write("# Player 1 fires with X\nkey_p1_laser = x\n")
    game = Game("--config", config, "--record", DEMO)
    poll(lambda: players(game.screenshot()), "the players are not in sight")
    game.keys("keydown", "space", "sleep", "0.15", "keyup", "space")
    deadline = time.monotonic() + 1
    while time.monotonic() < deadline:
        check(not find("lazer1.bmp", game.screenshot()), "Space still fires a laser")
    game.keys("keydown", "x", "sleep", "0.15", "keyup", "x")
    poll(lambda: find("lazer1.bmp", game.screenshot()), "X fires no laser", 5)
    game.escape()
    lines = open(DEMO).read().splitlines()
    check(any("space" in line.split() for line in lines if line[0].isdigit()), "no laser recorded")
    replayed = replay(DEMO)[-1].decode()
    check(lines[-1] == "# final state: " + replayed, "replayed %r: %r" % (replayed, lines[-1]))
    check(open(config).read() == "# Player 1 fires with X\nkey_p1_laser = x\n", "the file changed")


# The first clean end writes the whole default file. M then rewrites the mute line alone,
# keeping the player's comment and unknown line, and the next game starts muted: firing and
# the enemies' shots leave the disk driver's file silent.
def m_is_kept_on_its_own_line_and_the_next_game_starts_muted():
    path = os.path.join(ENV["XDG_CONFIG_HOME"], "flagrun", "flagrun.conf")
    Game().escape()
    written = open(path).read().splitlines()
    check("mute = no" in written and "key_p1_laser = space" in written, "no default file")
    mine = ["# my own settings", *written, "a_later_setting = 1"]
    with open(path, "w") as file:
        file.write("\n".join(mine) + "\n")
    game = Game()
    game.keys("key", "m", "sleep", "0.3")
    game.escape()
    after = open(path).read().splitlines()
    changed = [(a, b) for a, b in zip(mine, after) if a != b]
    check(len(after) == len(mine) and changed == [("mute = no", "mute = yes")],
          "the file changed otherwise: %r" % changed)
    sound = os.path.join(TMP, "muted.raw")
    game = Game(env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": sound})
    game.keys("sleep", "1", "keydown", "space", "sleep", "0.1", "keyup", "space", "sleep", "1")
    game.escape()
    heard = pitches(open(sound, "rb").read())
    sounding = sum(map(bool, heard))
    check(len(heard) > 100 and not sounding, "sound in %d of %d windows" % (sounding, len(heard)))
    check(open(path).read().splitlines() == after, "a game that changed nothing wrote the file")


# The key test tells every key held at once, in the window and on its output.
def the_key_test_names_the_keys_held_together():
    with open(os.path.join(TMP, "held"), "w+") as held:
        game = Game("--key-test", stdout=held)
        game.keys("keydown", "x", "keydown", "w", "keydown", "Control_L", "sleep", "0.3",
                  "keyup", "x", "keyup", "w", "keyup", "Control_L")
        game.escape()
        held.seek(0)
        check("keys held: w, x, left ctrl\n" in held.read(), "not all three keys told")

GROUPS = {  # each group's tests, in order
    "keys_and_demos": [the_installed_game_takes_keys_and_p_and_records, a_played_demo_keeps_time,
                       space_leaves_player_ones_laser_in_the_sound],
    "pace": [keeps_60_frames_a_second_read_off_the_screen_with_or_without_vsync],
    "window_geometry": [each_window_has_its_size_and_exact_blocks, full_screen_letterboxes,
                        each_path_shows_the_games_own_pixels],
    "online": [two_windows_play_online_pause_and_leave_together],
    "settings": [a_rebound_laser_fires_on_its_key_and_the_demo_replays,
                 m_is_kept_on_its_own_line_and_the_next_game_starts_muted,
                 the_key_test_names_the_keys_held_together],
}
if len(sys.argv) != 4 or sys.argv[1] not in GROUPS:
    sys.exit("Usage: e2e_test.py %s BUILD_DIR CMAKE" % "|".join(GROUPS))
BUILD, CMAKE, HERE = os.path.abspath(sys.argv[2]), sys.argv[3], os.path.dirname(__file__)
TMP = tempfile.mkdtemp(prefix="flagrun-e2e-")
DEMO = os.path.join(TMP, "my game.demo")
try:  # the first failure ends the group
    for test in GROUPS[sys.argv[1]]:
        use_screen(1024, 768)
        ENV["XDG_CONFIG_HOME"] = os.path.join(TMP, test.__name__)  # settings of its own
        test()
        stop(CHILDREN)
        print("ok  ", test.__name__, flush=True)
finally:
    stop(CHILDREN)
    stop(SERVERS)
    shutil.rmtree(TMP, ignore_errors=True)
