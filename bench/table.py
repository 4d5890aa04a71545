#!/usr/bin/env python3
"""Prints the benchmark table: median time, ratio to the floor, peak memory and bytes per
entry above each tool's idle size. Arguments: hyperfine JSON, memory file, entries."""
import json
import statistics
import sys


def main():
    times = {r["command"]: statistics.median(r["times"])
             for r in json.load(open(sys.argv[1]))["results"]}
    memory = {}
    for line in open(sys.argv[2]):
        name, peak, idle = line.strip().split("|")
        memory[name] = (int(peak), int(idle))
    entries = int(sys.argv[3])
    floor = times["floor"]
    print("%d entries" % entries)
    print("%-16s %10s %9s %11s %12s" % ("tool", "median s", "x floor", "peak MiB", "B/entry"))
    for name, t in times.items():
        peak, idle = memory[name]
        per_entry = max(0, peak - idle) * 1024 / entries
        print("%-16s %10.3f %9.2f %11.1f %12.1f" % (name, t, t / floor, peak / 1024, per_entry))


if __name__ == "__main__":
    main()
