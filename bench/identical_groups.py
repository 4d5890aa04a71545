#!/usr/bin/env python3
"""Holds the groups of `--report identical --format json` against jdupes' (blank lines
between groups), as sets of paths. Arguments: ROOT, our JSON file, jdupes' output file.
Prints the two counts and the groups only one of them has."""
import json
import os
import sys


def main():
    root, ours_file, theirs_file = sys.argv[1:4]
    ours = set()
    for group in json.load(open(ours_file))["groups"]:
        ours.add(frozenset(os.path.join(root, g["folder"].replace("\\", "/").lstrip("/"),
                                        g["name"]) for g in group["files"]))
    theirs, group = set(), []
    for line in open(theirs_file, encoding="utf-8", errors="surrogateescape"):
        line = line.rstrip("\n")
        if line:
            group.append(os.path.normpath(line))
        elif group:
            theirs.add(frozenset(group))
            group = []
    if group:
        theirs.add(frozenset(group))
    print("identical groups: ours %d, jdupes %d, %s" %
          (len(ours), len(theirs), "the same" if ours == theirs else "DIFFERENT"))
    for g in sorted(ours - theirs, key=sorted)[:5]:
        print("  only ours:", sorted(g)[:3])
    for g in sorted(theirs - ours, key=sorted)[:5]:
        print("  only jdupes':", sorted(g)[:3])


if __name__ == "__main__":
    main()
