#!/usr/bin/env python3
"""Builds a deterministic synthetic tree for the benchmarks: FOLDERS folders (default
30,000) holding FILES files (default 300,000) of assorted types and sizes, with some hard
links and symbolic links among them. Same arguments, same tree."""
import os
import random
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: make_tree.py ROOT [FOLDERS] [FILES]")
    root = sys.argv[1]
    folders = int(sys.argv[2]) if len(sys.argv) > 2 else 30000
    files = int(sys.argv[3]) if len(sys.argv) > 3 else 300000
    rng = random.Random(20261205)
    os.makedirs(root, exist_ok=True)
    paths = [root]
    depths = [0]
    for i in range(folders):
        # Parents drawn from the recent folders make deep and wide branches alike; no
        # branch goes deeper than 12.
        p = max(0, len(paths) - 1 - int(rng.expovariate(1 / 40)))
        while depths[p] >= 12:
            p = rng.randrange(len(paths))
        path = os.path.join(paths[p], "d%05d" % i)
        os.mkdir(path)
        paths.append(path)
        depths.append(depths[p] + 1)
    types = ["txt", "jpg", "so", "py", "h", "c", "png", "gz", "json", "", "TXT", "Jpg"]
    made = []
    for i in range(files):
        folder = paths[rng.randrange(len(paths))]
        kind = rng.random()
        ext = types[rng.randrange(len(types))]
        name = "f%06d%s" % (i, "." + ext if ext else "")
        path = os.path.join(folder, name)
        if kind < 0.02 and made:
            os.link(made[rng.randrange(len(made))], path)
        elif kind < 0.03:
            os.symlink(name, path)
        else:
            fd = os.open(path, os.O_CREAT | os.O_WRONLY, 0o644)
            size = int(rng.paretovariate(1.2) * 200)
            if size:
                os.ftruncate(fd, size)
            os.close(fd)
            made.append(path)
    print("%d folders, %d files in %s" % (folders, files, root))


if __name__ == "__main__":
    main()
