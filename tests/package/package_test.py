#!/usr/bin/env python3
# The Debian package and the installed launcher, checked as a maintainer and a user would.
#
#   package_test.py deb BUILD_DIR SOURCE_DIR            builds the .deb from BUILD_DIR
#   package_test.py launcher BUILD_DIR SOURCE_DIR CMAKE  installs a build whose paths hold
#                                                        shell syntax, and starts the game
import gzip
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

APP_ID = "io.github.flagrun.flagrun"
ICON_SIZES = [16, 32, 48, 64, 128, 256]
GAME_ENV = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy", "PATH": "/usr/bin:/bin"}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*args, timeout=120, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout, **kwargs)
    output = result.stdout + result.stderr
    check(result.returncode == 0, "%s failed (%d):\n%s" % (args, result.returncode, output))
    return result.stdout


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# --- the Debian package -------------------------------------------------------------------------


def build_deb():
    run("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", TMP)
    debs = [name for name in os.listdir(TMP) if name.endswith(".deb")]
    check(len(debs) == 1, "cpack made %r" % debs)
    deb = os.path.join(TMP, debs[0])
    run("dpkg-deb", "-x", deb, ROOT)
    return deb


def field(control, name):
    match = re.search(r"^%s: (.*)$" % name, control, re.M)
    check(match is not None, "no %s field in:\n%s" % (name, control))
    return match.group(1)


def lintian_shows_no_error_warning_or_hardening_tag():
    # lintian says on stderr that it would rather not run as root; the tags come on stdout.
    tags = run("lintian", "-I", "--pedantic", DEB).splitlines()
    print("lintian -I --pedantic:", *tags or ["(no tags)"], sep="\n  ")
    for tag in tags:
        check(not tag.startswith(("E:", "W:")), "lintian: " + tag)
        check("hardening" not in tag, "lintian: " + tag)


def packaged_files():
    listing = run("dpkg-deb", "-c", DEB).splitlines()
    files = {}
    for line in listing:
        mode = line.split()[0]
        path = line.split(None, 5)[5]
        if not mode.startswith("d"):
            files[path.removeprefix("./")] = mode
    return files


def expected_files():
    data = "usr/share/games/flagrun/"
    expected = {
        "usr/games/flagrun",
        "usr/libexec/flagrun/flagrun",
        "usr/share/applications/%s.desktop" % APP_ID,
        "usr/share/metainfo/%s.metainfo.xml" % APP_ID,
        "usr/share/man/man6/flagrun.6.gz",
        "usr/share/doc/flagrun/copyright",
        "usr/share/doc/flagrun/changelog.gz",
        data + "bluedr.bmp",
    }
    for size in ICON_SIZES:
        expected.add("usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID))
    for folder in ["Graphics", "data/font1", "data/font2"]:
        for name in os.listdir(os.path.join(BUILD, folder)):
            expected.add(data + folder + "/" + name)
    return expected


def package_holds_the_launcher_data_docs_and_every_icon_size():
    files = packaged_files()
    expected = expected_files()
    missing = sorted(expected - set(files))
    unexpected = sorted(set(files) - expected)
    check(missing == [] and unexpected == [], "missing %s; unexpected %s" % (missing, unexpected))
    launcher_mode = files["usr/games/flagrun"]
    check(launcher_mode == "-rwxr-xr-x", "launcher mode " + launcher_mode)
    for size in ICON_SIZES:
        icon_dir = "usr/share/icons/hicolor/%dx%d/apps" % (size, size)
        path = os.path.join(ROOT, icon_dir, APP_ID + ".png")
        with open(path, "rb") as icon:
            header = icon.read(24)
        check(header[:16] == b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", "%s is not a PNG" % path)
        check(struct.unpack(">II", header[16:24]) == (size, size), "%s: size" % path)


def control_names_sdl12_compat_the_games_section_and_one_version():
    control = run("dpkg-deb", "-f", DEB)
    depends = field(control, "Depends")
    check(re.search(r"(^|, )libsdl1\.2-compat-shim\b", depends), "Depends: " + depends)
    check("libsdl1.2debian" not in depends, "Depends: " + depends)
    check(field(control, "Section") == "games", "Section: " + field(control, "Section"))
    version = field(control, "Version")
    with gzip.open(os.path.join(ROOT, "usr/share/doc/flagrun/changelog.gz"), "rt") as changelog:
        check(changelog.readline().startswith("flagrun (%s) " % version), "changelog version")
    metainfo = read_text(os.path.join(ROOT, "usr/share/metainfo/%s.metainfo.xml" % APP_ID))
    check('<release version="%s"' % version in metainfo, "metainfo release version")
    with gzip.open(os.path.join(ROOT, "usr/share/man/man6/flagrun.6.gz"), "rt") as page:
        check('"flagrun %s"' % version in page.read(), "man page version")


# A system with only what is essential or required, and what those need: what a fresh
# Debian 12 holds before the game comes.
def minimal_dpkg_status(path):
    stanzas = [s for s in read_text("/var/lib/dpkg/status").split("\n\n") if s.strip()]
    installed = {}
    provided_by = {}
    for stanza in stanzas:
        fields = dict(re.findall(r"^([\w-]+): (.*(?:\n .*)*)", stanza, re.M))
        if "installed" not in fields.get("Status", "").split():
            continue
        installed[fields["Package"]] = (stanza, fields)
        for name in fields.get("Provides", "").split(","):
            if name.strip():
                provided_by.setdefault(name.split()[0], fields["Package"])
    wanted = [name for name, (_, fields) in installed.items()
              if fields.get("Essential") == "yes" or fields.get("Priority") == "required"]
    kept = set()
    while wanted:
        name = wanted.pop()
        if name in kept:
            continue
        kept.add(name)
        fields = installed[name][1]
        relations = fields.get("Pre-Depends", "") + "," + fields.get("Depends", "")
        for relation in relations.split(","):
            for alternative in relation.split("|"):
                dependency = alternative.split("(")[0].strip().split(":")[0]
                if dependency in provided_by and dependency not in installed:
                    dependency = provided_by[dependency]
                if dependency in installed:
                    wanted.append(dependency)
                    break
    with open(path, "w") as status:
        status.write("\n\n".join(installed[name][0] for name in sorted(kept)) + "\n")


def apt_on_a_fresh_system_brings_sdl12_compat_not_classic_sdl():
    lists = "/var/lib/apt/lists"
    if not any(name.endswith("_Packages") or "_Packages." in name for name in os.listdir(lists)):
        print("  no apt package lists (apt-get update has not run): apt's choice not simulated")
        return
    status = os.path.join(TMP, "status")
    minimal_dpkg_status(status)
    plan = run("apt-get", "--simulate", "-o", "Debug::NoLocking=1",
               "-o", "Dir::State::status=" + status, "install", DEB, cwd=TMP)
    installs = re.findall(r"^Inst (\S+)", plan, re.M)
    check("flagrun" in installs, "apt would not install the game:\n" + plan)
    check("libsdl1.2-compat-shim" in installs, "apt would not install sdl12-compat:\n" + plan)
    check("libsdl1.2debian" not in installs, "apt would install classic SDL 1.2:\n" + plan)


def metainfo_desktop_entry_and_man_page_validate():
    metainfo = os.path.join(ROOT, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)
    report = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    check(not re.search(r"^[EW]:", report, re.M), report)
    entry = os.path.join(ROOT, "usr/share/applications/%s.desktop" % APP_ID)
    run("desktop-file-validate", entry)
    check("\nExec=/usr/games/flagrun\n" in read_text(entry), "Exec of " + entry)
    page = os.path.join(ROOT, "usr/share/man/man6/flagrun.6.gz")
    result = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page],
                            capture_output=True, text=True, timeout=60)
    check(result.returncode == 0 and result.stderr == "", "man: " + result.stderr)


# --- the launcher ---------------------------------------------------------------------------------


def desktop_exec_words(value):
    """The argument vector of an Exec value, as the desktop entry format reads it."""
    string_escapes = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}
    unescaped = re.sub(r"\\([sntr\\])", lambda m: string_escapes[m.group(1)], value)
    words = []
    for quoted, bare in re.findall(r'"((?:[^"\\]|\\.)*)"|(\S+)', unescaped):
        words.append(re.sub(r'\\(["`$\\])', r"\1", quoted) if quoted else bare)
    return [word.replace("%%", "%") for word in words]


def signal_handlers_installed(pid):
    with open("/proc/%d/status" % pid) as status:
        caught = int(re.search(r"^SigCgt:\s*(\w+)", status.read(), re.M).group(1), 16)
    return caught & (1 << (signal.SIGTERM - 1)) != 0


def started_game(args, cwd, env):
    """Starts the game through the launcher and waits until SDL is up in the real program."""
    game = subprocess.Popen(args, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 20
    while True:
        if game.poll() is not None:
            raise Failure("%s ended: %r" % (args, game.stdout.read()))
        check(time.monotonic() < deadline, "%s: the game never started" % args)
        try:
            program = os.readlink("/proc/%d/exe" % game.pid)
            if program.endswith("/libexec/flagrun/flagrun") and signal_handlers_installed(game.pid):
                return game
        except OSError:
            pass  # between the launcher and the program
        time.sleep(0.01)


def runs_in_its_data_directory(args, prefix, cwd, env=GAME_ENV):
    game = started_game(args, cwd, env)
    try:
        working = os.readlink("/proc/%d/cwd" % game.pid)
        program = os.readlink("/proc/%d/exe" % game.pid)
    finally:
        # SDL turns SIGTERM into a quit request, which the game's own loop answers.
        game.send_signal(signal.SIGTERM)
        output = game.communicate(timeout=20)[0]
    check(working == os.path.join(prefix, DATADIR, "games/flagrun"), "working directory " + working)
    check(program == os.path.join(prefix, "libexec/flagrun/flagrun"), "program " + program)
    check(game.returncode == 0, "exit status %d: %r" % (game.returncode, output))


def install_with_shell_syntax_in_its_paths():
    run(CMAKE, "-S", SOURCE, "-B", MINI, "-DCMAKE_BUILD_TYPE=Release", "-DFLAGRUN_TESTS=OFF",
        "-DFLAGRUN_BENCHMARKS=OFF", "-DCMAKE_INSTALL_DATADIR=" + DATADIR)
    run(CMAKE, "--build", MINI, "--parallel", "2", "--target", "flagrun", "flagrun-docs",
        timeout=600)
    run(CMAKE, "--install", MINI, "--prefix", PREFIX)


def menu_entry_starts_the_game_with_the_launcher_off_path():
    entry = os.path.join(PREFIX, DATADIR, "applications", APP_ID + ".desktop")
    run("desktop-file-validate", entry)
    value = re.search(r"^Exec=(.*)$", read_text(entry), re.M).group(1)
    args = desktop_exec_words(value)
    check(args == [os.path.join(PREFIX, "games/flagrun")], "Exec=%s reads as %r" % (value, args))
    runs_in_its_data_directory(args, PREFIX, cwd=TMP)


def a_link_on_path_starts_the_game():
    bin_dir = os.path.join(TMP, "bin")
    os.mkdir(bin_dir)
    os.symlink(os.path.join(PREFIX, "games/flagrun"), os.path.join(bin_dir, "flagrun"))
    env = dict(GAME_ENV, PATH=bin_dir + ":" + GAME_ENV["PATH"])
    runs_in_its_data_directory(["flagrun"], PREFIX, cwd=bin_dir, env=env)


def a_moved_installation_still_starts():
    moved = os.path.join(TMP, "moved 'prefix'")
    shutil.copytree(PREFIX, moved, symlinks=True)
    runs_in_its_data_directory([os.path.join(moved, "games/flagrun")], moved, cwd=TMP)
    shutil.rmtree(moved)


def uninstall_removes_every_installed_file():
    run(CMAKE, "--build", MINI, "--target", "uninstall")
    left = [os.path.join(d, f) for d, _, files in os.walk(PREFIX) for f in files]
    check(left == [], "left after uninstall: %r" % left)
    for own in [os.path.join(DATADIR, "games/flagrun"), "libexec/flagrun", "share/doc/flagrun"]:
        check(not os.path.exists(os.path.join(PREFIX, own)), own + " left after uninstall")


def nothing_in_the_paths_was_run():
    ran = [name for name in os.listdir(TMP) if name.startswith("ran-")]
    check(ran == [], "shell code in the install paths ran: %r" % ran)


TESTS = {
    "deb": [lintian_shows_no_error_warning_or_hardening_tag,
            package_holds_the_launcher_data_docs_and_every_icon_size,
            control_names_sdl12_compat_the_games_section_and_one_version,
            apt_on_a_fresh_system_brings_sdl12_compat_not_classic_sdl,
            metainfo_desktop_entry_and_man_page_validate],
    "launcher": [menu_entry_starts_the_game_with_the_launcher_off_path,
                 a_link_on_path_starts_the_game,
                 a_moved_installation_still_starts,
                 uninstall_removes_every_installed_file,
                 nothing_in_the_paths_was_run],
}
if len(sys.argv) < 4 or sys.argv[1] not in TESTS:
    sys.exit("Usage: package_test.py deb|launcher BUILD_DIR SOURCE_DIR [CMAKE]")
BUILD = os.path.abspath(sys.argv[2])
SOURCE = os.path.abspath(sys.argv[3])
CMAKE = sys.argv[4] if len(sys.argv) > 4 else "cmake"
TMP = tempfile.mkdtemp(prefix="flagrun-package-")
ROOT = os.path.join(TMP, "root")
MINI = os.path.join(TMP, "build")
# Every piece of shell syntax here would leave a ran-* file in TMP if a shell ever ran it.
DATADIR = "share/x$(touch %s/ran-datadir)y`touch %s/ran-backquote`'q z" % (TMP, TMP)
PREFIX = os.path.join(TMP, "pre fix $(touch %s/ran-prefix)" % TMP)
results = []
try:
    if sys.argv[1] == "deb":
        DEB = build_deb()
    else:
        install_with_shell_syntax_in_its_paths()
    for test in TESTS[sys.argv[1]]:
        try:
            test()
            results.append(True)
        except Exception:
            results.append(False)
            traceback.print_exc()
        print("ok  " if results[-1] else "FAIL", test.__name__, flush=True)
except Exception:
    results.append(False)
    traceback.print_exc()
finally:
    shutil.rmtree(TMP, ignore_errors=True)
print("%d passed, %d failed" % (results.count(True), results.count(False)))
sys.exit(0 if results and all(results) else 1)
