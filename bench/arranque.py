#!/usr/bin/env python3
"""Start-up time of the window against a minimal Qt Widgets window, side by side.

Runs under a real X server (use xvfb-run). For each run it starts the program and waits for
the X server's MapNotify of its top-level window, reported by `xev -root -event
substructure`; the time from starting the process to that event is the start-up time. The
two programs alternate so that both see the same machine state.

    xvfb-run -a -s "-screen 0 1280x1024x24" python3 bench/arranque.py \
        build/bench/ui/colvero build/bench/bench/ventana_minima [runs]

A baseline may carry arguments in the same word ("build/.../ventana_minima --texto").
"""
import os
import selectors
import statistics
import subprocess
import sys
import time


def start_xev():
    # A fresh X server may refuse the first client for a moment: try again.
    for _ in range(10):
        xev = subprocess.Popen(
            ["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        time.sleep(0.3)  # let xev select its events before the program maps anything
        if xev.poll() is None:
            return xev
    sys.exit("xev cannot connect to the X server")


def one_run(program):
    xev = start_xev()
    env = dict(os.environ, LANG="C", LC_ALL="C")
    t0 = time.monotonic()
    proc = subprocess.Popen(program.split(), env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    # Raw reads: a buffered reader could hold the MapNotify line while select() waits.
    fd = xev.stdout.fileno()
    sel = selectors.DefaultSelector()
    sel.register(fd, selectors.EVENT_READ)
    elapsed = None
    seen = b""
    deadline = t0 + 20
    while time.monotonic() < deadline and elapsed is None:
        if sel.select(timeout=0.05):
            seen += os.read(fd, 65536)
            if b"MapNotify" in seen:
                elapsed = time.monotonic() - t0
    proc.kill()
    proc.wait()
    xev.kill()
    xev.wait()
    if elapsed is None:
        sys.exit(f"{program}: no window was mapped within 20 s")
    return elapsed


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, baseline = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    one_run(program)  # warm the page cache for both
    one_run(baseline)
    times = {program: [], baseline: []}
    for _ in range(runs):
        for p in (program, baseline):
            times[p].append(one_run(p))
    for p, t in times.items():
        print(f"{p}: median {statistics.median(t) * 1000:.1f} ms, "
              f"min {min(t) * 1000:.1f} ms, max {max(t) * 1000:.1f} ms ({runs} runs)")
    ratio = statistics.median(times[program]) / statistics.median(times[baseline])
    print(f"ratio of medians: {ratio:.2f} (goal: below 1.5)")


if __name__ == "__main__":
    main()
