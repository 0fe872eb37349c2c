#!/usr/bin/env python3
"""Start-up of the whole process: the program against a bare toolkit window.

Each round starts the program (on the sample program folder of the build) and
the reference (a bare main window with the same four menus), in alternating
order, and takes for each one the time from the launch to its first complete
frame and its peak resident memory. Prints the medians, their ratios and
whether they are within the goal (1.3 times the reference).

    python3 bench/startup_process.py [--build build] [--rounds 20] [--platform offscreen|xcb]

With --platform xcb the processes use the display in DISPLAY (e.g. Xvfb).

The program starts helper threads and the reference does not, so the load of
the rest of the machine weighs on the two differently: on a shared virtual
machine the ratio of a 20-round run can move by a tenth or more from one run
to the next. For a verdict, take 100 rounds or more.
"""
import argparse
import os
import select
import statistics
import sys
import tempfile
import time

GOAL = 1.3


def run_once(argv, env, timeout_s=30.0):
    """Launches argv; returns (ms to first frame, peak RSS in MiB)."""
    r, w = os.pipe()
    null = os.open(os.devnull, os.O_WRONLY)
    t0 = time.monotonic_ns()
    pid = os.posix_spawn(argv[0], argv, env,
                         file_actions=[(os.POSIX_SPAWN_DUP2, w, 1), (os.POSIX_SPAWN_DUP2, null, 2),
                                       (os.POSIX_SPAWN_CLOSE, r)])
    os.close(w)
    os.close(null)
    out = b""
    deadline = time.monotonic() + timeout_s
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            os.kill(pid, 9)
            break
        ready, _, _ = select.select([r], [], [], left)
        if not ready:
            continue
        chunk = os.read(r, 4096)
        if not chunk:
            break
        out += chunk
    os.close(r)
    _, status, usage = os.wait4(pid, 0)
    frame_ns = None
    for line in out.decode(errors="replace").splitlines():
        if line.startswith("first-frame-ns "):
            frame_ns = int(line.split()[1])
    if frame_ns is None:
        raise RuntimeError("%s: no first frame (status %d)" % (argv[0], status))
    return (frame_ns - t0) / 1e6, usage.ru_maxrss / 1024.0


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(here, "..", "build"))
    ap.add_argument("--rounds", type=int, default=20)
    ap.add_argument("--platform", default="offscreen", choices=["offscreen", "xcb"])
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    program = [os.path.join(build, "bench", "startup_probe_program"), os.path.join(build, "app")]
    bare = [os.path.join(build, "bench", "startup_probe_bare")]
    for exe in (program[0], bare[0]):
        if not os.access(exe, os.X_OK):
            sys.exit("missing %s: build the benchmarks first" % exe)

    runtime = tempfile.TemporaryDirectory()   # the single-instance lock of these runs
    env = dict(os.environ)
    env["QT_QPA_PLATFORM"] = args.platform
    env["XDG_RUNTIME_DIR"] = runtime.name
    env.setdefault("LANG", "it_IT.UTF-8")

    results = {"program": [], "bare": []}
    run_once(program, env)   # warm the file cache for both
    run_once(bare, env)
    for i in range(args.rounds):
        order = [("program", program), ("bare", bare)]
        if i % 2:
            order.reverse()
        for name, argv in order:
            results[name].append(run_once(argv, env))

    def med(name, k):
        return statistics.median(x[k] for x in results[name])

    print("start-up, %d interleaved rounds, platform %s" % (args.rounds, args.platform))
    print("%-10s %14s %14s" % ("", "first frame", "peak memory"))
    for name in ("program", "bare"):
        print("%-10s %11.1f ms %10.1f MiB" % (name, med(name, 0), med(name, 1)))
    t_ratio = med("program", 0) / med("bare", 0)
    m_ratio = med("program", 1) / med("bare", 1)
    print("%-10s %13.2fx %13.2fx   (goal %.1fx: %s)" % (
        "ratio", t_ratio, m_ratio, GOAL, "met" if t_ratio <= GOAL and m_ratio <= GOAL else "NOT met"))


if __name__ == "__main__":
    main()
