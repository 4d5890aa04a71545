#!/usr/bin/env python3
"""Times commands side by side, taking turns: round r runs every command once, in an order
that rotates from round to round, so that a machine that slows down or speeds up during the
run (a busy host, a warming cache) weighs on every command alike. One command's runs in a
row, as hyperfine does, would hand all of such a drift to whichever command ran then.

Reads "name|command" lines on stdin and writes hyperfine's JSON shape ({"results": [{"command":
name, "times": [seconds...]}]}) for table.py. A command that prints "...: N ms from the start
of the scan to the pie, shown at M ms of the monotonic clock" on stderr (the program's
--timing) also gets the rows "NAME, from the scan's start" with those figures and "NAME,
from the process start" from the moment it was started to the pie.

  timer.py --runs N [--warmup N] [--prepare SHELL_COMMAND] --export FILE < commands
"""
import argparse
import json
import re
import shlex
import subprocess
import sys
import time

TIMING = re.compile(rb": ([0-9.]+) ms from the start of the scan to the pie")
SHOWN = re.compile(rb"shown at ([0-9.]+) ms of the monotonic clock")


def run(argv, prepare):
    if prepare:
        subprocess.run(prepare, shell=True, check=True)
    began = time.perf_counter()
    launched = time.monotonic_ns()  # the clock the program's stamp reads
    done = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE)
    took = time.perf_counter() - began
    if done.returncode != 0:
        sys.exit("timer: %s failed (%d): %s" % (shlex.join(argv), done.returncode,
                                                 done.stderr.decode(errors="replace")))
    found = TIMING.search(done.stderr)
    shown = SHOWN.search(done.stderr)
    return (took, float(found.group(1)) / 1000 if found else None,
            (float(shown.group(1)) * 1e6 - launched) / 1e9 if shown else None)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, required=True)
    parser.add_argument("--warmup", type=int, default=0)
    parser.add_argument("--prepare")
    parser.add_argument("--export", required=True)
    args = parser.parse_args()
    commands = []
    for line in sys.stdin:
        if line.strip():
            name, command = line.rstrip("\n").split("|", 1)
            commands.append((name, shlex.split(command)))

    for _ in range(args.warmup):
        for _, argv in commands:
            run(argv, args.prepare)
    times = {name: [] for name, _ in commands}
    inner = {}
    for r in range(args.runs):
        shift = r % len(commands)
        for name, argv in commands[shift:] + commands[:shift]:
            took, scan, shown = run(argv, args.prepare)
            times[name].append(took)
            for key, figure in ((", from the process start", shown),
                                (", from the scan's start", scan)):
                if figure is not None:
                    inner.setdefault(name + key, []).append(figure)

    results = []
    for name, _ in commands:
        results.append({"command": name, "times": times[name]})
        for key in (name + ", from the process start", name + ", from the scan's start"):
            if key in inner:
                results.append({"command": key, "times": inner[key]})
    with open(args.export, "w") as out:
        json.dump({"results": results}, out)


if __name__ == "__main__":
    main()
