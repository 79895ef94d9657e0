#!/usr/bin/env python3
# Online games through relay.py's bad network, each side playing a random script: both must end
# well and record demos with the same final state that replay in sync. Prints each game's 99th
# percentile correction depth and the traffic each way.
import argparse, concurrent.futures, os, random, re, shutil, subprocess, sys
import tempfile, threading, time
from relay import Relay

KEYS = {"host": ["up", "down", "left", "right", "space", "ralt"],
        "join": ["w", "a", "s", "d", "lctrl", "lshift"]}
SUMMARY = re.compile(r"online game of \d+ frames: .*\(99th percentile (\d+) frames")
PORTS_TAKEN = set()
PORT_LOCK = threading.Lock()


def script(rng, keys, frames):  # random held keys, changing every 5 to 60 frames; no Escape
    lines = []
    while frames > 0:
        count = min(frames, rng.randint(5, 60))
        lines.append(" ".join([str(count)] + [key for key in keys if rng.random() < 0.4]))
        frames -= count
    return "\n".join(lines) + "\n"


# Whether a UDP socket holds the port, read from the kernel's table: binding it to find out
# could take it from a host starting at that moment.
def held(port):
    with open("/proc/net/udp") as table:
        return any(line.split()[1].endswith(":%04X" % port) for line in list(table)[1:])


# The host's port, below the kernel's ephemeral range so that no socket bound to port 0 (the
# relay's, the joiner's) takes it before the host does. Not from the game's seed, which gives
# the same scripts whatever ports are free.
def host_port():
    with open("/proc/sys/net/ipv4/ip_local_port_range") as ports:
        first_ephemeral = int(ports.read().split()[0])
    with PORT_LOCK:
        for _ in range(100):
            port = random.randrange(10000, first_ephemeral)
            if port not in PORTS_TAKEN and not held(port):
                PORTS_TAKEN.add(port)
                return port
    raise AssertionError("no free loopback port")


# Starts one side ("host" or "join") playing a new script, in a directory of its own, NAME (the
# side's by default), with the game's rejoin token kept in WORK; PREFIX runs it (as nsenter does).
def start(options, work, side, rng, address, name=None, prefix=()):
    name = name or side
    os.makedirs(os.path.join(work, name))
    replay = os.path.join(work, name + ".replay")
    with open(replay, "w") as out:
        out.write(script(rng, KEYS[side], 60 * options.seconds))
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
               XDG_STATE_HOME=os.path.join(work, name), XDG_RUNTIME_DIR=work)
    with open(os.path.join(work, name + ".log"), "wb") as log:
        command = [*prefix, options.build + "/flagrun", "--" + side, address, "--play", replay]
        return subprocess.Popen(command, cwd=options.build, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=log)


def play(options, game):  # one game's 99th percentiles and bytes per second, or AssertionError
    seed = options.seed + game
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="flagrun-online-%d-" % game)
    port = host_port()
    relay = Relay(port, seed=seed)
    relay_thread = threading.Thread(target=relay.run, args=(options.seconds + 60,))
    relay_thread.start()
    deadline = time.monotonic() + options.seconds + 30
    host = start(options, work, "host", rng, str(port))
    while not held(port) and host.poll() is None and time.monotonic() < deadline:
        time.sleep(0.01)  # the joiner comes once the host holds its port
    joiner = start(options, work, "join", rng, "127.0.0.1:%d" % relay.port)
    try:
        statuses = [proc.wait(max(0, deadline - time.monotonic())) for proc in (host, joiner)]
    finally:  # on a timeout too, which then fails the game
        host.kill()
        joiner.kill()
        relay.stopping.set()
        relay_thread.join()
    problems, p99s, finals = ended(options, work, statuses)
    if problems:
        raise AssertionError("its files are in %s:\n  %s" % (work, "\n  ".join(problems)))
    shutil.rmtree(work)
    return p99s, relay.rate("up"), relay.rate("down")


# What went wrong in a game whose sides ended with these statuses (each must end well, with a
# summary, its demo replaying in sync on the same final state); 99th percentiles; final states.
def ended(options, work, statuses, sides=KEYS):
    problems, p99s, finals = [], [], []
    for side, status in zip(sides, statuses):
        with open(os.path.join(work, side + ".log"), errors="replace") as log:
            errors = log.read()
        problems += [side + ": " + line for line in errors.splitlines() if "out of sync" in line]
        if status != 0:
            problems.append("%s exit status %s: %r" % (side, status, errors[-400:]))
        summary = SUMMARY.search(errors)
        if not summary:
            problems.append(side + " printed no summary")
        p99s.append(int(summary[1]) if summary else None)
        demo = os.path.join(work, side, "flagrun", "online.demo")
        replay = subprocess.run([options.build + "/flagrun-replay", demo], cwd=options.build,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)
        if replay.returncode != 0:
            problems.append("%s's demo replays with status %d: %s"
                            % (side, replay.returncode, replay.stderr.decode().strip()))
        if os.path.exists(demo):
            with open(demo) as lines:
                finals.append([line for line in lines if line.startswith("# final state:")])
    if len(finals) != len(sides) or finals.count(finals[0]) != len(sides) or len(finals[0]) != 1:
        problems.append("the demos' final states differ or are missing")
    return problems, p99s, finals


def main():
    parser = argparse.ArgumentParser(description="Online games through a bad network.")
    for name, default in (("games", 2), ("seconds", 10), ("jobs", 1), ("seed", 1)):
        parser.add_argument("--" + name, type=int, default=default)  # game N has seed SEED + N
    parser.add_argument("--build", default="build", help="the build directory")
    options = parser.parse_args()
    options.build = os.path.abspath(options.build)
    results = []
    with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
        futures = {pool.submit(play, options, game): game for game in range(options.games)}
        for future in concurrent.futures.as_completed(futures):
            try:
                (host_p99, join_p99), up, down = future.result()
            except Exception as failure:  # reported; the other games go on
                game = futures[future]
                print("game %d (seed %d) failed: %s" % (game, options.seed + game, failure),
                      flush=True)
                continue
            results.append((max(host_p99, join_p99), up * 8 / 1000, down * 8 / 1000))
            print("game %d: p99 correction depth %d (host) %d (joiner); joiner to host %.0f B/s, "
                  "back %.0f B/s" % (futures[future], host_p99, join_p99, up, down), flush=True)
    for index, name in enumerate(["joiner to host", "host to joiner"], 1):
        kbits = [result[index] for result in results] or [0]
        print("%s: mean %.1f kbit/s, max %.1f kbit/s (goal: at most 44)"
              % (name, sum(kbits) / len(kbits), max(kbits)))
    print("highest p99 correction depth: %d frames" % max([0] + [result[0] for result in results]))
    if len(results) < options.games:
        print("FAILED: %d of %d games" % (options.games - len(results), options.games))
    return 0 if len(results) == options.games else 1


if __name__ == "__main__":
    sys.exit(main())
