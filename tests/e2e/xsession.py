"""Running flagrun in a real X window for end-to-end tests.

An Xvfb server of our own, the game started from a run directory, its
window found and focused, real key events through XTEST (xdotool),
screenshots of the window (ImageMagick's import) and a little sprite
matching to read positions off those screenshots.

Everything started here is a child of the test process and is stopped by
pid; the X server, every game and every temporary directory are cleaned up
also when a test fails or the run is interrupted.
"""

import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time

WINDOW_SIZE = (640, 530)
SCREEN = "1024x768x24"

# The sprite files of the game, all under Graphics/ in the run directory.
SPRITE_FILES = [
    "bg.bmp",
    "bluedr.bmp",
    "redtl.bmp",
    "flagb.bmp",
    "flagr.bmp",
    "lazer1.bmp",
    "lazer2.bmp",
    "bluedr-dead.bmp",
    "reddr-dead.bmp",
    "roadblock.bmp",
    "grenade1.bmp",
    "explosion1.bmp",
    "black.bmp",
    "black2.bmp",
]


class E2EError(AssertionError):
    """A failure of the program under test or of the test harness."""


# Every child and temporary directory still alive, so that a signal can
# clean up what the tests' own clean-ups will not get to.
_children = set()
_temp_dirs = set()


def make_temp_dir(prefix):
    path = tempfile.mkdtemp(prefix=prefix)
    _temp_dirs.add(path)
    return path


def remove_temp_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    _temp_dirs.discard(path)


def _abandon_on_signal(signum, _frame):
    for proc in list(_children):
        if proc.poll() is None:
            proc.kill()
    for path in list(_temp_dirs):
        shutil.rmtree(path, ignore_errors=True)
    os._exit(128 + signum)


def exit_cleanly_on_signals():
    """On SIGTERM, SIGINT or SIGHUP (a runner's timeout, Ctrl-C) kill the X
    server and the games and remove the temporary directories first."""
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, _abandon_on_signal)


def _die_with_parent():
    """Run in a child before exec: the kernel kills the child when the test
    process goes away, even by SIGKILL from a test runner's timeout."""
    try:
        import ctypes

        libc = ctypes.CDLL(None, use_errno=True)
        pr_set_pdeathsig = 1
        libc.prctl(pr_set_pdeathsig, signal.SIGKILL)
    except (OSError, AttributeError):
        pass


def _wait_process(proc, timeout):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None


def _spawn(args, **kwargs):
    proc = subprocess.Popen(args, preexec_fn=_die_with_parent, **kwargs)
    _children.add(proc)
    return proc


def _stop_process(proc, grace=2.0):
    """Stops one child by its pid: SIGTERM, then SIGKILL if it lingers."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        if _wait_process(proc, grace) is None:
            proc.kill()
            proc.wait()
    _children.discard(proc)


class XServer:
    """A private Xvfb. -displayfd lets the server pick a free display number
    and tells us once it accepts connections, so there is no probing and no
    race with other servers on the machine."""

    def __init__(self):
        self.proc = None
        self.display = None
        self._log = None

    def start(self, timeout=20.0):
        read_end, write_end = os.pipe()
        self._log = tempfile.TemporaryFile()
        try:
            self.proc = _spawn(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
                 "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                pass_fds=(write_end,))
        finally:
            os.close(write_end)
        deadline = time.monotonic() + timeout
        number = b""
        try:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.proc.poll() is not None:
                    raise E2EError("Xvfb did not start: " + self.log())
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise E2EError("Xvfb closed its display pipe: " + self.log())
                number += chunk
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()
        return self

    def log(self):
        if self._log is None:
            return ""
        self._log.seek(0)
        return self._log.read().decode(errors="replace")[-2000:]

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        # No sound is ever played; a machine without a sound card must
        # still get through the audio part of SDL's start-up.
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("SDL12COMPAT_SYNC_TO_VBLANK", None)
        if extra:
            env.update(extra)
        return env

    def stop(self):
        if self.proc is not None:
            _stop_process(self.proc)
            self.proc = None
        if self._log is not None:
            self._log.close()
            self._log = None

    def tool(self, *args, timeout=10.0, check=True):
        """Runs an X client (xdotool, import) against this server."""
        result = subprocess.run(list(args), env=self.env(), capture_output=True,
                                timeout=timeout)
        if check and result.returncode != 0:
            raise E2EError("%s failed (%d): %s" % (
                " ".join(args), result.returncode,
                result.stderr.decode(errors="replace")))
        return result


class Shot:
    """A screenshot of the window: width, height and packed RGB bytes."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    @classmethod
    def from_ppm(cls, data):
        # P6, then width, height and maxval separated by white space, then
        # one white space character and the raster.
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise E2EError("unexpected screenshot format %r" % fields)
        width, height = int(fields[1]), int(fields[2])
        raster = data[pos + 1:pos + 1 + width * height * 3]
        if len(raster) != width * height * 3:
            raise E2EError("short screenshot raster")
        return cls(width, height, raster)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, x, y, w, h):
        """The bytes of a rectangle, row after row."""
        rows = []
        for row in range(y, y + h):
            i = (row * self.width + x) * 3
            rows.append(self.rgb[i:i + w * 3])
        return b"".join(rows)

    def save(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(self.rgb)


class Sprite:
    """A 24-bit BMP sprite and a matcher for it on screenshots.

    Sprites are opaque rectangles whose pure black pixels are erasing
    margins; only the coloured pixels identify a sprite, so a match needs
    every one of them to be exactly on screen and ignores the black ones.
    """

    def __init__(self, path):
        self.name = os.path.basename(path)
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM":
            raise E2EError("%s is not a BMP file" % path)
        offset = struct.unpack_from("<I", data, 10)[0]
        width, height = struct.unpack_from("<ii", data, 18)
        bits = struct.unpack_from("<H", data, 28)[0]
        if bits != 24:
            raise E2EError("%s: expected a 24-bit BMP, got %d bits" % (path, bits))
        bottom_up = height > 0
        height = abs(height)
        stride = (width * 3 + 3) & ~3
        self.width = width
        self.height = height
        self.rows = []
        for row in range(height):
            src = offset + ((height - 1 - row) if bottom_up else row) * stride
            bgr = data[src:src + width * 3]
            rgb = bytearray(width * 3)
            rgb[0::3] = bgr[2::3]
            rgb[1::3] = bgr[1::3]
            rgb[2::3] = bgr[0::3]
            self.rows.append(bytes(rgb))
        # The coloured pixels, as runs per row: (row, first column, bytes).
        self.runs = []
        for row, rgb in enumerate(self.rows):
            col = 0
            while col < width:
                if rgb[col * 3:col * 3 + 3] == b"\0\0\0":
                    col += 1
                    continue
                start = col
                while col < width and rgb[col * 3:col * 3 + 3] != b"\0\0\0":
                    col += 1
                self.runs.append((row, start, rgb[start * 3:col * 3]))
        if not self.runs:
            raise E2EError("%s has no coloured pixel to look for" % path)
        # The longest run is the anchor searched for; the others confirm.
        self.anchor = max(self.runs, key=lambda run: len(run[2]))

    def find(self, shot, area=None):
        """Top-left corners of every complete, exact occurrence on the
        screenshot, optionally only those inside area = (x0, y0, x1, y1)."""
        anchor_row, anchor_col, anchor_bytes = self.anchor
        found = []
        start = 0
        data = shot.rgb
        while True:
            i = data.find(anchor_bytes, start)
            if i < 0:
                break
            start = i + 1
            if i % 3:
                continue
            pixel = i // 3
            x = pixel % shot.width - anchor_col
            y = pixel // shot.width - anchor_row
            if x < 0 or y < 0 or x + self.width > shot.width or y + self.height > shot.height:
                continue
            if area and not (area[0] <= x < area[2] and area[1] <= y < area[3]):
                continue
            if all(self._run_matches(shot, x, y, run) for run in self.runs):
                found.append((x, y))
        return found

    @staticmethod
    def _run_matches(shot, x, y, run):
        row, col, rgb = run
        i = ((y + row) * shot.width + x + col) * 3
        return shot.rgb[i:i + len(rgb)] == rgb


class Game:
    """One run of the game in a run directory, with its window."""

    def __init__(self, server, run_dir, program=None, cwd=None, env=None):
        self.server = server
        self.run_dir = run_dir
        self.program = program or os.path.join(run_dir, "flagrun")
        self.cwd = cwd or run_dir
        self.window = None
        self.last_shot = None
        self._out = tempfile.TemporaryFile()
        self.proc = _spawn([self.program], cwd=self.cwd, env=server.env(env),
                           stdin=subprocess.DEVNULL, stdout=self._out,
                           stderr=subprocess.STDOUT)
        self._held = set()

    # --- process ---------------------------------------------------------

    def output(self):
        self._out.seek(0)
        return self._out.read().decode(errors="replace")

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10.0):
        status = _wait_process(self.proc, timeout)
        if status is None:
            raise E2EError("flagrun did not end within %.0f s" % timeout)
        return status

    def close(self):
        """Releases held keys and stops the game if it still runs."""
        for key in list(self._held):
            self.server.tool("xdotool", "keyup", key, check=False)
        self._held.clear()
        _stop_process(self.proc)
        self._out.close()

    # --- window ----------------------------------------------------------

    def find_window(self, timeout=15.0):
        """Waits for the game's 640x530 top-level window and focuses it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.alive():
                raise E2EError("flagrun ended with status %s before showing a window; "
                               "output: %r" % (self.proc.returncode, self.output()))
            result = self.server.tool("xdotool", "search", "--pid", str(self.proc.pid),
                                      check=False)
            for line in result.stdout.decode().split():
                if self._window_size(line) == WINDOW_SIZE:
                    self.window = line
                    self.focus()
                    return self.window
            time.sleep(0.05)
        raise E2EError("no 640x530 window of flagrun appeared")

    def _window_size(self, window):
        result = self.server.tool("xdotool", "getwindowgeometry", "--shell", window,
                                  check=False)
        values = dict(line.split("=", 1) for line in result.stdout.decode().split()
                      if "=" in line)
        try:
            return int(values["WIDTH"]), int(values["HEIGHT"])
        except (KeyError, ValueError):
            return None

    def focus(self):
        # There is no window manager: XSetInputFocus directly, and wait
        # until the server reports the focus on our window.
        self.server.tool("xdotool", "windowfocus", "--sync", self.window, timeout=10.0)

    def wait_drawn(self, sprite, count=1, timeout=10.0):
        """Screenshots until the sprite is on screen: the first frames have
        been drawn and flipped."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot()
            if len(sprite.find(shot)) >= count:
                return shot
            if time.monotonic() > deadline:
                raise E2EError("%s never appeared on screen" % sprite.name)
            time.sleep(0.05)

    # --- input -----------------------------------------------------------

    def key_down(self, key):
        self.server.tool("xdotool", "keydown", key)
        self._held.add(key)

    def key_up(self, key):
        self.server.tool("xdotool", "keyup", key)
        self._held.discard(key)

    def hold(self, key, seconds):
        self.key_down(key)
        time.sleep(seconds)
        self.key_up(key)

    def tap(self, key):
        self.server.tool("xdotool", "key", key)

    def request_close(self):
        """Asks the window to close as a window manager does: a
        WM_DELETE_WINDOW ClientMessage of the WM_PROTOCOLS kind."""
        from Xlib import X, display, protocol  # python3-xlib

        dpy = display.Display(self.server.display)
        try:
            window = dpy.create_resource_object("window", int(self.window))
            protocols = dpy.intern_atom("WM_PROTOCOLS")
            delete = dpy.intern_atom("WM_DELETE_WINDOW")
            advertised = window.get_wm_protocols() or []
            if delete not in advertised:
                raise E2EError("the window does not take part in WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(
                window=window, client_type=protocols,
                data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event, event_mask=X.NoEventMask)
            dpy.sync()
        finally:
            dpy.close()

    # --- screen ----------------------------------------------------------

    def screenshot(self):
        result = self.server.tool("import", "-window", self.window, "-depth", "8", "ppm:-",
                                  timeout=15.0)
        shot = Shot.from_ppm(result.stdout)
        if (shot.width, shot.height) != WINDOW_SIZE:
            raise E2EError("screenshot is %dx%d" % (shot.width, shot.height))
        self.last_shot = shot
        return shot


def copy_run_dir(run_dir, destination):
    """Copies what the game needs to run: the program and its assets."""
    os.makedirs(destination, exist_ok=True)
    shutil.copy2(os.path.join(run_dir, "flagrun"), destination)
    shutil.copy2(os.path.join(run_dir, "bluedr.bmp"), destination)
    shutil.copytree(os.path.join(run_dir, "Graphics"), os.path.join(destination, "Graphics"))
    shutil.copytree(os.path.join(run_dir, "data"), os.path.join(destination, "data"))
    return destination


def summary_line(result):
    """The closing 'N passed, N failed' line for a unittest result."""
    # A failing subtest is reported under its own entry; count its test once.
    failed_tests = {getattr(test, "test_case", test).id()
                    for test, _ in result.failures + result.errors}
    failed = len(failed_tests) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped
    line = "%d passed, %d failed" % (passed, failed)
    if skipped:
        line += ", %d skipped" % skipped
    return line
