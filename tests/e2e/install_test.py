#!/usr/bin/env python3
"""flagrun installed like a desktop game: the install tree, the launcher
started from elsewhere in a real X window, the menu entry and the Debian
package.

Usage: install_test.py BUILD_DIR CMAKE CPACK [unittest arguments...]

BUILD_DIR is a configured and built tree; CMAKE and CPACK are the cmake and
cpack programs that configured it.
"""

import os
import shutil
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import xsession  # noqa: E402
from xsession import Game, Sprite, XServer  # noqa: E402

BUILD_DIR = None
CMAKE = None
CPACK = None
SERVER = None

# What an installation holds, relative to its prefix.
LAUNCHER = "bin/flagrun"
PROGRAM = "libexec/flagrun/flagrun"
DATA = "share/flagrun"
DESKTOP_ENTRY = "share/applications/flagrun.desktop"
ICON = "share/icons/hicolor/64x64/apps/flagrun.png"
FONT_FILES = ["data/%s/%s" % (font, name) for font in ("font1", "font2")
              for name in ("font.ini", "font.raw", "font.dat")]


def run(args, **kwargs):
    result = subprocess.run(args, capture_output=True, timeout=120, **kwargs)
    if result.returncode != 0:
        raise AssertionError("%s failed (%d):\n%s%s" % (
            " ".join(args), result.returncode, result.stdout.decode(errors="replace"),
            result.stderr.decode(errors="replace")))
    return result.stdout.decode(errors="replace")


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise AssertionError("%s is not a PNG file" % path)
    return struct.unpack(">II", head[16:24])


def desktop_entry(path):
    values = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                values[key] = value
    return values


class InstalledGameCase(unittest.TestCase):
    def temp_dir(self, prefix):
        path = xsession.make_temp_dir(prefix)
        self.addCleanup(xsession.remove_temp_dir, path)
        return path

    def start_installed(self, program, cwd):
        """Starts an installed launcher with another working directory and
        checks that the game comes up with its sprites, then quits it."""
        game = Game(SERVER, run_dir=None, program=program, cwd=cwd)
        self.addCleanup(game.close)
        game.find_window()
        data = os.path.join(os.path.dirname(os.path.dirname(os.path.realpath(program))),
                            DATA)
        body = Sprite(os.path.join(data, "Graphics", "bluedr.bmp"))
        shot = game.wait_drawn(body, count=2)
        self.assertEqual(sorted(body.find(shot)), [(0, 0), (50, 50)])
        self.assertTrue(game.alive())
        game.tap("Escape")
        self.assertEqual(game.wait_exit(), 0, game.output())
        self.assertEqual(os.listdir(cwd), [], "the game wrote into the working directory")


class InstallTest(InstalledGameCase):
    @classmethod
    def setUpClass(cls):
        # A prefix with a space in it: the launcher must quote every path.
        cls.base = xsession.make_temp_dir("flagrun-install-")
        cls.prefix = os.path.join(cls.base, "games dir", "prefix")
        run([CMAKE, "--install", BUILD_DIR, "--prefix", cls.prefix])

    @classmethod
    def tearDownClass(cls):
        xsession.remove_temp_dir(cls.base)

    def path(self, relative):
        return os.path.join(self.prefix, relative)

    def test_tree_holds_program_launcher_assets_entry_and_icon(self):
        for relative in (LAUNCHER, PROGRAM):
            self.assertTrue(os.access(self.path(relative), os.X_OK), relative)
        with open(self.path(LAUNCHER), "rb") as f:
            self.assertEqual(f.readline(), b"#!/bin/sh\n")
        data = self.path(DATA)
        self.assertTrue(os.path.isfile(os.path.join(data, "bluedr.bmp")))
        self.assertEqual(sorted(os.listdir(os.path.join(data, "Graphics"))),
                         sorted(xsession.SPRITE_FILES))
        for relative in FONT_FILES:
            self.assertTrue(os.path.isfile(os.path.join(data, relative)), relative)
        # the installed assets are the built ones
        for relative in ["bluedr.bmp"] + ["Graphics/" + n for n in xsession.SPRITE_FILES] \
                + FONT_FILES:
            with open(os.path.join(data, relative), "rb") as a, \
                    open(os.path.join(BUILD_DIR, relative), "rb") as b:
                self.assertEqual(a.read(), b.read(), relative)
        self.assertEqual(png_size(self.path(ICON)), (64, 64))

    def test_desktop_entry_is_valid_and_starts_the_game_by_name(self):
        entry = self.path(DESKTOP_ENTRY)
        run(["desktop-file-validate", entry])
        values = desktop_entry(entry)
        self.assertEqual(values.get("Type"), "Application")
        self.assertEqual(values.get("Name"), "flagrun")
        self.assertEqual(values.get("Exec"), "flagrun")
        self.assertEqual(values.get("Icon"), "flagrun")
        self.assertTrue(values.get("Comment"))
        self.assertEqual(set(values.get("Categories", "").strip(";").split(";")),
                         {"Game", "ArcadeGame"})
        # Exec names the launcher in bindir, Icon the icon's file name
        self.assertTrue(os.path.isfile(self.path("bin/" + values["Exec"])))
        self.assertTrue(self.path(ICON).endswith("/" + values["Icon"] + ".png"))

    def test_launcher_runs_the_game_from_another_directory(self):
        self.start_installed(self.path(LAUNCHER), self.temp_dir("flagrun-cwd-"))

    def test_launcher_runs_through_a_symbolic_link(self):
        links = self.temp_dir("flagrun-links-")
        link = os.path.join(links, "flagrun")
        os.symlink(self.path(LAUNCHER), link)
        self.start_installed(link, self.temp_dir("flagrun-cwd-"))

    def test_moved_installation_still_runs(self):
        moved = os.path.join(self.temp_dir("flagrun-moved-"), "elsewhere")
        shutil.copytree(self.prefix, moved, symlinks=True)
        self.start_installed(os.path.join(moved, LAUNCHER), self.temp_dir("flagrun-cwd-"))


class DebianPackageTest(InstalledGameCase):
    def test_package_holds_the_installation_and_depends_on_sdl(self):
        out = self.temp_dir("flagrun-deb-")
        # The package's configuration as the build wrote it, over a staged
        # installation: cpack's own install step would first bring the whole
        # build tree up to date, which is the build's job, not this test's.
        stage = os.path.join(out, "stage")
        run([CMAKE, "--install", BUILD_DIR, "--prefix", os.path.join(stage, "usr")])
        run([CPACK, "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"), "-G", "DEB",
             "-B", out, "-D", "CPACK_INSTALL_CMAKE_PROJECTS=",
             "-D", "CPACK_INSTALLED_DIRECTORIES=%s;/" % stage], cwd=out)
        packages = [n for n in os.listdir(out) if n.endswith(".deb")]
        self.assertEqual(len(packages), 1, os.listdir(out))
        package = os.path.join(out, packages[0])
        fields = run(["dpkg-deb", "-f", package, "Package", "Depends", "Section"])
        self.assertIn("Package: flagrun", fields)
        self.assertIn("Section: games", fields)
        self.assertRegex(fields, r"Depends:.*libsdl1\.2")
        root = os.path.join(out, "root")
        run(["dpkg-deb", "-x", package, root])
        prefix = os.path.join(root, "usr")
        for relative in (LAUNCHER, PROGRAM, DESKTOP_ENTRY, ICON, DATA + "/bluedr.bmp"):
            self.assertTrue(os.path.isfile(os.path.join(prefix, relative)), relative)
        # the unpacked tree runs where it lies
        self.start_installed(os.path.join(prefix, LAUNCHER), self.temp_dir("flagrun-cwd-"))


def main():
    global BUILD_DIR, CMAKE, CPACK, SERVER
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    BUILD_DIR = os.path.abspath(sys.argv[1])
    CMAKE, CPACK = sys.argv[2], sys.argv[3]
    argv = [sys.argv[0]] + sys.argv[4:]
    xsession.exit_cleanly_on_signals()
    SERVER = XServer()
    started = time.monotonic()
    try:
        SERVER.start()
        program = unittest.main(argv=argv, exit=False, verbosity=2)
    finally:
        SERVER.stop()
    result = program.result
    sys.stderr.write("install tests took %.1f s\n" % (time.monotonic() - started))
    print(xsession.summary_line(result))
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
