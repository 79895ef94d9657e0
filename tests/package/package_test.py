#!/usr/bin/env python3
# The Debian package of BUILD_DIR, and the launcher of a build whose paths hold shell syntax.
import os, re, shutil, subprocess, sys, tempfile

APP_ID = "io.github.flagrun.flagrun"
DATA = "usr/share/games/flagrun/"
PACKAGED = {"usr/games/flagrun", "usr/libexec/flagrun/flagrun", DATA + "bluedr.bmp",
            "usr/share/applications/%s.desktop" % APP_ID, "usr/share/man/man6/flagrun.6.gz",
            "usr/share/metainfo/%s.metainfo.xml" % APP_ID, "usr/share/doc/flagrun/copyright",
            "usr/share/doc/flagrun/changelog.gz"}
ICONS = {"usr/share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, APP_ID)
         for n in (16, 32, 48, 64, 128, 256)}
DATA_FOLDERS = ("Graphics", "Sounds", "data/font1", "data/font2")  # every file the build made in them
DESKTOP_ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(*args, timeout=120, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout, **kwargs)
    check(result.returncode == 0, "%s failed:\n%s%s" % (args, result.stdout, result.stderr))
    return result.stdout


def lintian_shows_no_error_warning_or_hardening_tag():
    tags = run("lintian", "-I", "--pedantic", DEB).splitlines()  # stderr: "rather not as root"
    bad = [tag for tag in tags if tag.startswith(("E:", "W:")) or "hardening" in tag]
    check(bad == [], "lintian: %s" % bad)


def the_package_holds_the_launcher_program_data_docs_and_icons():
    listing = run("dpkg-deb", "-c", DEB).splitlines()  # mode, owner, size, date, time, path
    files = {line.split(None, 5)[5][2:] for line in listing if not line.startswith("d")}
    expected = PACKAGED | ICONS
    for folder in DATA_FOLDERS:
        expected |= {DATA + folder + "/" + file for file in os.listdir(os.path.join(BUILD, folder))}
    check(files == expected, "missing %s; unexpected %s" % (expected - files, files - expected))
    launcher = [line for line in listing if line.endswith(" ./usr/games/flagrun")]
    check(launcher[0].startswith("-rwxr-xr-x"), "the launcher is not executable by all")


def it_depends_on_sdl12_compat_not_classic_sdl():
    depends = run("dpkg-deb", "-f", DEB, "Depends").strip()
    compat = re.search(r"(^|, )libsdl1\.2-compat-shim\b", depends)
    check(compat and "libsdl1.2debian" not in depends, "Depends: " + depends)


def its_metainfo_and_menu_entry_validate():
    metainfo = os.path.join(ROOT, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)
    report = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    check(not re.search(r"^[EW]:", report, re.M), report)
    entry = os.path.join(ROOT, "usr/share/applications/%s.desktop" % APP_ID)
    run("desktop-file-validate", entry)
    check("\nExec=/usr/games/flagrun\n" in open(entry).read(), "Exec of " + entry)


def exec_words(value):  # an Exec value's arguments, as the desktop entry format reads them
    value = re.sub(r"\\([sntr\\])", lambda match: DESKTOP_ESCAPES[match[1]], value)
    words = re.findall(r'"((?:[^"\\]|\\.)*)"|(\S+)', value)
    return [re.sub(r'\\(["`$\\])', r"\1", quoted) or bare for quoted, bare in words]


def plays_a_demo_where_it_was_started(launcher, cwd, path="/usr/bin:/bin"):
    with open(os.path.join(cwd, "a demo"), "w") as demo:  # a font not found would end it
        demo.write(DEMO)
    env = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy", "PATH": path}
    run(*launcher, "--play", "a demo", cwd=cwd, env=env, timeout=30)  # status 0: in sync


# The menu entry's Exec names the launcher of the prefix; the launcher runs from there, and
# through a link on PATH to a copy moved elsewhere, and no shell ever runs its paths.
def the_launcher_runs_from_any_path_through_the_menu_entry_or_a_link():
    entry = os.path.join(PREFIX, DATADIR, "applications", APP_ID + ".desktop")
    run("desktop-file-validate", entry)
    value = re.search(r"^Exec=(.*)$", open(entry).read(), re.M)[1]
    check(exec_words(value) == [PREFIX + "/games/flagrun"], "Exec=%s" % value)
    plays_a_demo_where_it_was_started(exec_words(value), cwd=TMP)
    moved = os.path.join(TMP, "moved 'prefix'")
    os.rename(PREFIX, moved)
    os.symlink(os.path.join(moved, "games/flagrun"), os.path.join(TMP, "flagrun"))
    plays_a_demo_where_it_was_started(["flagrun"], cwd=TMP, path=TMP + ":/usr/bin:/bin")
    ran = [name for name in os.listdir(TMP) if name.startswith("ran-")]
    check(ran == [], "shell code in the install paths ran: %r" % ran)


if len(sys.argv) != 4:
    sys.exit("Usage: package_test.py BUILD_DIR SOURCE_DIR CMAKE")
BUILD, SOURCE, CMAKE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
TMP = tempfile.mkdtemp(prefix="flagrun-package-")
ROOT, MINI = os.path.join(TMP, "root"), os.path.join(TMP, "build")
# Every piece of shell syntax here would leave a ran-* file in TMP if a shell ever ran it.
DATADIR = "share/x$(touch %s/ran-datadir)y`touch %s/ran-backquote`'q z" % (TMP, TMP)
PREFIX = os.path.join(TMP, "pre fix $(touch %s/ran-prefix)" % TMP)
try:  # the first failure ends the run
    run("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", TMP, timeout=600)
    debs = [name for name in os.listdir(TMP) if name.endswith(".deb")]
    check(len(debs) == 1, "cpack made %s" % debs)
    DEB = os.path.join(TMP, debs[0])
    run("dpkg-deb", "-x", DEB, ROOT)
    run(CMAKE, "-S", SOURCE, "-B", MINI, "-DCMAKE_BUILD_TYPE=Release", "-DFLAGRUN_TESTS=OFF",
        "-DFLAGRUN_BENCHMARKS=OFF", "-DCMAKE_INSTALL_DATADIR=" + DATADIR)
    run(CMAKE, "--build", MINI, "--target", "flagrun-docs", timeout=600)
    # Its program and assets are BUILD's: the paths differ, the compiled code would not.
    shutil.copy2(os.path.join(BUILD, "flagrun"), MINI)
    shutil.copy2(os.path.join(BUILD, "bluedr.bmp"), MINI)
    for folder in ("Graphics", "Sounds", "data", "icons"):
        shutil.copytree(os.path.join(BUILD, folder), os.path.join(MINI, folder))
    run(CMAKE, "--install", MINI, "--prefix", PREFIX)
    replayed = run(os.path.join(BUILD, "flagrun-replay"), "-", input="30\n", cwd=BUILD)
    DEMO = "30\n# final state: " + replayed.splitlines()[-1] + "\n"
    for test in [lintian_shows_no_error_warning_or_hardening_tag,
                 the_package_holds_the_launcher_program_data_docs_and_icons,
                 it_depends_on_sdl12_compat_not_classic_sdl, its_metainfo_and_menu_entry_validate,
                 the_launcher_runs_from_any_path_through_the_menu_entry_or_a_link]:
        test()
finally:
    shutil.rmtree(TMP, ignore_errors=True)
