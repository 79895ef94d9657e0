#!/usr/bin/env python3
# Online games as online_games.py plays them, on trial, each checked on its exact end: "crowd",
# "flood" (the same game plain, then flooded; the CPU time of each) and "linkdown".
import argparse, multiprocessing, os, random, re, shutil, signal, socket, subprocess
import sys, tempfile, threading, time
from pathlib import Path
from online_games import ended, held, host_port, start
from relay import Relay

FINAL = re.compile(r"final state: (\{.*\})")


def wait_for(test, seconds):  # whether test() came true within the seconds, polled every 10 ms
    deadline = time.monotonic() + seconds
    while not test() and time.monotonic() < deadline:
        time.sleep(0.01)
    return test()


def finish(proc, deadline):  # a game's exit status and CPU seconds; killed at the deadline
    flags = os.WEXITED | os.WNOHANG | os.WNOWAIT  # not reaped, so that /proc still has it
    wait_for(lambda: os.waitid(os.P_PID, proc.pid, flags), max(0, deadline - time.monotonic()))
    with open("/proc/%d/stat" % proc.pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    proc.kill()
    return proc.wait(), (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def players(options, work, rng, port, address, prefix=()):  # the joiner once the host has its port
    host = start(options, work, "host", rng, str(port))
    wait_for(lambda: held(port), 10)
    return [host, start(options, work, "join", rng, address, prefix=prefix)]


def check(options, work, procs, sides=("host", "join")):  # the final state; each side's CPU time
    deadline = time.monotonic() + options.seconds + 30
    ends = [finish(proc, deadline) for proc in procs]
    problems, _, finals = ended(options, work, [status for status, _ in ends], sides)
    if problems:
        raise AssertionError("its files are in %s:\n  %s" % (work, "\n  ".join(problems)))
    return FINAL.findall(finals[0][0])[0], [cpu for _, cpu in ends]


# The joiner, killed a third of the game in (5 s at most) and started again 2 s later, must be
# back within 2 s; eight watchers come at random, one leaves by SIGTERM, the others end on the
# host's final state.
def crowd(options, work, rng):
    port = host_port()
    address = "127.0.0.1:%d" % port
    procs = players(options, work, rng, port, address)
    kill = min(5, options.seconds / 3)
    events = [(kill, "kill"), (kill + 2, "again"), (0.8 * options.seconds, "leave")]
    events += [(rng.uniform(0.5, 0.6 * options.seconds), "watch") for _ in range(8)]
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    leaver, watchers, took = rng.randrange(8), [], 10.0
    for at, event in sorted(events):
        time.sleep(max(0, options.began + at - time.monotonic()))
        if event == "watch":
            with open(os.path.join(work, "watch%d.log" % len(watchers)), "wb") as log:
                command = [options.build + "/flagrun", "--watch", address]
                watchers.append(subprocess.Popen(command, cwd=options.build, env=env, stderr=log))
        elif event == "kill":
            procs[1].kill()
            procs[1].wait()
        elif event == "again":
            began = time.monotonic()
            procs[1] = start(options, work, "join", rng, address, name="again")
            host_log = Path(work, "host.log")
            if wait_for(lambda: "the other player is back" in host_log.read_text(), 10):
                took = time.monotonic() - began
        else:
            os.kill(watchers[leaver].pid, signal.SIGTERM)
    final, _ = check(options, work, procs[:1], ["host"])
    again = finish(procs[1], time.monotonic() + 30)[0]
    ends = [finish(watcher, time.monotonic() + 30)[0] for watcher in watchers]
    seen = [FINAL.findall(Path(work, "watch%d.log" % number).read_text()) for number in range(8)]
    wrong = [n for n in range(8) if ends[n] != 0 or seen[n] != ([] if n == leaver else [final])]
    print("crowd: back in the game %.3f s after starting again; watcher %d left by SIGTERM; "
          "watchers ending wrong: %s" % (took, leaver, wrong or "none"), flush=True)
    left = "the other player left" in Path(work, "again.log").read_text()
    if took > 2 or again != 0 or not left or wrong:
        raise AssertionError("the files are in " + work)


# 10,000 datagrams a second for 10 minutes at most, at the host's port (or with port 0 at this
# socket, which never reads them): random bytes of random lengths, and copies of a real game's
# ENet packets, a handshake's among them.
def flood(port, captured, sent):
    rng = random.Random(1)
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("127.0.0.1", 0))
    target = ("127.0.0.1", port or sock.getsockname()[1])
    began = time.monotonic()
    while time.monotonic() - began < 600:
        for _ in range(int((time.monotonic() - began) * 10000) - sent.value):
            junk = rng.randbytes(rng.randrange(1, 1400))
            sock.sendto(rng.choice([junk, rng.choice(captured)]), target)
            sent.value += 1
        time.sleep(0.002)


# The same game twice through a relay that only forwards (and captures), from when the joiner is
# playing flooded, the first time with the datagrams sent elsewhere, which costs the machine the
# same. It must end the same; the CPU times are printed.
def flood_trial(options, work, rng):
    seed = rng.random()
    runs = []
    for run in ("plain", "flooded"):
        into = os.path.join(work, run)
        port = host_port()
        relay = Relay(port, delay_ms=0, jitter_ms=0, loss=0, duplicate=0)  # for its captures
        threading.Thread(target=relay.run, args=(options.seconds + 60,)).start()
        procs = players(options, into, random.Random(seed), port, "127.0.0.1:%d" % relay.port)
        wait_for(lambda: os.path.exists(os.path.join(into, "flagrun")), 10)  # the joiner's token
        sent = multiprocessing.Value("q", 0, lock=False)
        target = port if run == "flooded" else 0
        flooder = multiprocessing.Process(target=flood, args=(target, relay.captured, sent))
        flooder.start()
        began = time.monotonic()
        try:
            runs.append(check(options, into, procs))
        finally:
            relay.stopping.set()
            flooder.kill()
            flooder.join(10)
        where = "the host" if target else "the flooder itself"
        print("flood: %s, %.0f datagrams a second at %s; CPU %.2f s host, %.2f s joiner"
              % (run, sent.value / (time.monotonic() - began), where, *runs[-1][1]), flush=True)
    (plain, (host, joiner)), (flooded, (host_flooded, joiner_flooded)) = runs
    ratios = (host_flooded / host, joiner_flooded / joiner)
    print("flood: CPU ratios %.3f host, %.3f joiner" % ratios, flush=True)
    if flooded != plain or host_flooded > 2.5 * host:  # some 1.2 to 1.7 in 6 s games
        raise AssertionError("the flooded game ended otherwise, or at a gross cost: " + work)


# Host and joiner in two network namespaces joined by a veth pair (run in unshare -Urn): the link
# is down for 20 s from 5 s in (half the game at most), which both must wait out.
def link_down(options, work, rng):
    holder = subprocess.Popen(["unshare", "-n", "sh", "-c", "echo; exec sleep %d"
                               % (options.seconds + 60)], stdout=subprocess.PIPE)
    holder.stdout.readline()  # once it has a network namespace of its own
    there = "nsenter --net=/proc/%d/ns/net " % holder.pid
    for command in ("ip link add va type veth peer name vb netns %d" % holder.pid,
                    "ip addr add 10.89.1.1/24 dev va", "ip link set va up",
                    there + "ip addr add 10.89.1.2/24 dev vb", there + "ip link set vb up"):
        subprocess.run(command.split(), check=True, timeout=10)
    port = host_port()
    procs = players(options, work, rng, port, "10.89.1.1:%d" % port, there.split())
    time.sleep(max(0, options.began + min(5, options.seconds / 2) - time.monotonic()))
    subprocess.run("ip link set va down".split(), check=True, timeout=10)
    time.sleep(20)
    subprocess.run("ip link set va up".split(), check=True, timeout=10)
    check(options, work, procs)
    holder.kill()
    print("linkdown: both waited out 20 s without the link and ended alike, in sync")


def main():
    trials = {"crowd": crowd, "flood": flood_trial, "linkdown": link_down}
    parser = argparse.ArgumentParser(description="Online games between processes on trial.")
    parser.add_argument("trial", choices=trials)
    for name, default in (("seconds", 10), ("repeats", 1), ("seed", 1)):
        parser.add_argument("--" + name, type=int, default=default)  # repeat N has seed SEED + N
    parser.add_argument("--build", default="build", type=os.path.abspath, help="build directory")
    options = parser.parse_args()
    if options.trial == "linkdown" and os.environ.get("FLAGRUN_TRIAL_INSIDE") != "1":
        if subprocess.run(["unshare", "-Urn", "true"], stderr=subprocess.DEVNULL).returncode != 0:
            print("SKIPPED: network namespaces are unavailable here (unshare -Urn fails)")
            return 77
        os.environ["FLAGRUN_TRIAL_INSIDE"] = "1"
        os.execvp("unshare", ["unshare", "-Urn", sys.executable] + sys.argv)
    failures = 0
    for repeat in range(options.repeats):
        work = tempfile.mkdtemp(prefix="flagrun-%s-%d-" % (options.trial, repeat))
        options.began = time.monotonic()
        try:
            trials[options.trial](options, work, random.Random(options.seed + repeat))
            shutil.rmtree(work)
        except AssertionError as failure:
            print("%s %d failed: %s" % (options.trial, repeat, failure), flush=True)
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
