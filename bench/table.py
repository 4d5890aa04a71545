#!/usr/bin/env python3
"""Prints the benchmark table: median time, ratio to the floor, the median of the ratios taken
round by round (each run against the floor's run of the same round: a host that slows down
for a while weighs on both alike), seconds per million entries, peak memory and bytes per
entry above each tool's idle size.
Arguments: timer.py JSON, memory file ("-": none), entries, and "floor" (ratios to the
command named floor), "best-floor" (to the fastest command whose name starts with floor) or
the name of another command to hold the others against."""
import json
import statistics
import sys


def main():
    runs = {r["command"]: r["times"] for r in json.load(open(sys.argv[1]))["results"]}
    times = {name: statistics.median(figures) for name, figures in runs.items()}
    memory = {}
    if sys.argv[2] != "-":
        for line in open(sys.argv[2]):
            name, peak, idle = line.strip().split("|")
            memory[name] = (int(peak), int(idle))
    entries = int(sys.argv[3])
    if len(sys.argv) > 4 and sys.argv[4] == "best-floor":
        floor_name = min((n for n in times if n.startswith("floor")), key=times.get)
    else:
        floor_name = sys.argv[4] if len(sys.argv) > 4 else "floor"
    floor = times[floor_name]
    print("%d entries; ratios to %s" % (entries, floor_name))
    print("%-42s %9s %8s %8s %9s %9s %8s" % ("tool", "median s", "x floor", "paired", "s per M",
                                              "peak MiB", "B/entry"))
    for name, t in times.items():
        # Rounds line up only where every round gave a figure (a run that printed no pie
        # time has none).
        pairs = zip(runs[name], runs[floor_name])
        paired = ("%8.2f" % statistics.median(a / b for a, b in pairs)
                  if len(runs[name]) == len(runs[floor_name]) else "%8s" % "-")
        row = "%-42s %9.3f %8.2f %s %9.3f" % (name, t, t / floor, paired, t * 1e6 / entries)
        if name in memory:
            peak, idle = memory[name]
            row += " %9.1f %8.1f" % (peak / 1024, max(0, peak - idle) * 1024 / entries)
        print(row)


if __name__ == "__main__":
    main()
