#!/usr/bin/env python3
"""Soak run: the replay tool, built with AddressSanitizer and UndefinedBehaviorSanitizer,
plays a generated script of busy play for FRAMES frames and saves a screenshot every
FRAMES / 100 frames, which also draws every frame. It reports the peak memory of the first
and of the last tenth of the frames and fails on any sanitizer report, a wrong screenshot,
a wrong last frame, or a last tenth that needs more memory than the first.

    tools/soak/soak.py [--frames N] [--run-dir build-asan]
    tools/soak/soak.py --write-script FILE [--frames N]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

KEYS = ["up", "down", "left", "right", "w", "a", "s", "d", "space", "lctrl", "lshift", "ralt"]
TRIGGERS = ["space", "lctrl", "lshift", "ralt"]
SCREENSHOT_BYTES = 54 + 640 * 3 * 530
# The last tenth may take this much more than the first before it counts as growth: page
# rounding and the allocator's own bookkeeping, far below one screenshot (1 MB).
GROWTH_ALLOWANCE_KB = 512
# ASan holds freed memory back from reuse, up to 256 MB by default, which a long run shows as
# growth that is no leak. An 8 MB cap is reached within the first tenth: each screenshot
# frees about 2.4 MB, and ten are taken there.
ASAN_OPTIONS = "detect_leaks=1:fast_unwind_on_malloc=0:quarantine_size_mb=8"
POLL_SECONDS = 0.01


def busy_play(frames, seed=12345):
    """Script lines for exactly `frames` frames: both players always on the move, shooting
    and throwing, so that enemies die, players die, flags are carried and new games start."""
    state = seed
    lines = []
    left = frames
    while left > 0:
        state = (state * 1103515245 + 12345) % 2**31
        count = min(left, 1 + state % 90)
        held = [key for bit, key in enumerate(KEYS) if (state >> (bit + 7)) % 3 != 0]
        # Triggers are let go now and then, so that shots come back and fly again.
        if state % 4 == 0:
            held = [key for key in held if key not in TRIGGERS]
        lines.append(" ".join([str(count)] + held))
        left -= count
    return "\n".join(lines) + "\n"


def read_status(pid):
    """VmRSS and VmHWM of a running process in kB, or None once it has gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            fields = dict(line.split(":", 1) for line in status if ":" in line)
        return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])
    except (OSError, KeyError, ValueError):
        return None


def reset_peak(pid):
    """Restarts VmHWM from the current size; False where the kernel does not allow it."""
    try:
        with open(f"/proc/{pid}/clear_refs", "w") as clear:
            clear.write("5")
        return True
    except OSError:
        return False


def check_screenshot(path):
    with open(path, "rb") as shot:
        header = shot.read(2)
    return header == b"BM" and os.path.getsize(path) == SCREENSHOT_BYTES


def soak(frames, run_dir, suppressions):
    interval = frames // 100
    tenth = frames // 10
    work = tempfile.mkdtemp(prefix="flagrun-soak-")
    script = os.path.join(work, "busy.replay")
    with open(script, "w") as out:
        out.write(busy_play(frames))
    shots = [interval * i for i in range(1, 101)]
    command = [os.path.join(run_dir, "flagrun-replay"), "--every", str(tenth)]
    for frame in shots:
        command += ["--screenshot", f"{frame}:{os.path.join(work, f'shot-{frame}.bmp')}"]
    command.append(script)
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
               ASAN_OPTIONS=ASAN_OPTIONS, UBSAN_OPTIONS="print_stacktrace=1",
               LSAN_OPTIONS=f"suppressions={suppressions}:print_suppressions=0")
    trace_path = os.path.join(work, "trace.jsonl")
    err_path = os.path.join(work, "stderr.txt")
    problems = []
    started = time.monotonic()
    with open(trace_path, "wb") as trace, open(err_path, "wb") as err:
        child = subprocess.Popen(command, cwd=run_dir, env=env, stdout=trace, stderr=err)
        next_shot = 0
        first_peak = None
        last_peak = 0
        peak_reset = False
        measuring_last = False
        while child.poll() is None or next_shot < len(shots):
            # Read before the screenshots are looked at: if the final one is not there yet,
            # this sample was taken while the frames still ran, not during the exit.
            sample = read_status(child.pid)
            final_seen = False
            # Screenshots appear whole, in frame order: they tell how far the run has got.
            while next_shot < len(shots):
                frame = shots[next_shot]
                path = os.path.join(work, f"shot-{frame}.bmp")
                if not os.path.exists(path):
                    break
                if not check_screenshot(path):
                    problems.append(f"screenshot of frame {frame} is not a whole BMP")
                os.remove(path)
                next_shot += 1
                if frame == tenth:
                    # Read after the screenshot: the peak of every frame up to it.
                    after = read_status(child.pid)
                    first_peak = after[1] if after is not None else None
                if frame == frames - tenth:
                    peak_reset = reset_peak(child.pid)
                    measuring_last = True
                    sample = None
                if frame == frames:
                    final_seen = True
            if measuring_last and sample is not None and not final_seen:
                last_peak = max(last_peak, sample[1] if peak_reset else sample[0])
            if final_seen:
                measuring_last = False
            if child.poll() is not None and next_shot < len(shots):
                problems.append(f"no screenshot of frame {shots[next_shot]}")
                break
            time.sleep(POLL_SECONDS)
        child.wait()
    elapsed = time.monotonic() - started
    with open(err_path, errors="replace") as err:
        errors = err.read()
    with open(trace_path) as trace:
        lines = trace.read().splitlines()
    if child.returncode != 0:
        problems.append(f"exit status {child.returncode}")
    if errors:
        problems.append("standard error:\n" + errors)
    if not lines or not lines[-1].startswith(f'{{"frame":{frames},'):
        problems.append(f"the trace does not end at frame {frames}")
    if first_peak is None:
        problems.append("no memory sample in the first tenth")
        first_peak = 0
    if last_peak > first_peak + GROWTH_ALLOWANCE_KB:
        problems.append(f"memory grew from {first_peak} kB to {last_peak} kB")
    print(f"soak: {frames} frames in {elapsed:.1f} s ({frames / elapsed:.0f} frames/s), "
          f"100 screenshots; peak memory {first_peak} kB in frames 1-{tenth}, "
          f"{last_peak} kB in frames {frames - tenth + 1}-{frames}"
          f"{'' if peak_reset else ' (sampled)'}")
    for name in os.listdir(work):
        os.remove(os.path.join(work, name))
    os.rmdir(work)
    for problem in problems:
        print(f"soak: FAILED: {problem}", file=sys.stderr)
    return 1 if problems else 0


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=1_000_000)
    parser.add_argument("--run-dir", default=os.path.join(root, "build-asan"))
    parser.add_argument("--write-script", metavar="FILE")
    args = parser.parse_args()
    if args.frames < 1000 or args.frames % 100 != 0:
        parser.error("--frames must be a multiple of 100, at least 1000")
    if args.write_script:
        with open(args.write_script, "w") as out:
            out.write(busy_play(args.frames))
        return 0
    return soak(args.frames, os.path.abspath(args.run_dir), os.path.join(root, "tests/support/lsan.supp"))


if __name__ == "__main__":
    sys.exit(main())
