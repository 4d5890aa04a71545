#!/usr/bin/env python3
"""Builds a deterministic tree for the identical-content searches: about MEGABYTES
(default 400) of files from 0 bytes to 64 MiB in 200 folders, a fifth of the bytes in
copies of other files, and many files that share a size without sharing their content
(half of those differ from another file in their last byte only, so that no search can
decide them early). No hard links: jdupes leaves them out by default. Same arguments,
same tree."""
import os
import random
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: make_dup_tree.py ROOT [MEGABYTES]")
    root = sys.argv[1]
    budget = (int(sys.argv[2]) if len(sys.argv) > 2 else 400) << 20
    rng = random.Random(20261206)
    os.makedirs(root, exist_ok=True)
    folders = [root]
    for i in range(200):
        path = os.path.join(folders[rng.randrange(len(folders))], "d%03d" % i)
        os.mkdir(path)
        folders.append(path)
    originals = []  # (path, size) of files with content of their own
    written = copied = 0
    n = 0
    while written < budget:
        path = os.path.join(folders[rng.randrange(len(folders))], "f%05d" % n)
        n += 1
        if originals and copied < written // 5:
            source, size = originals[rng.randrange(len(originals))]
            with open(source, "rb") as f:
                data = f.read()
            copied += size
        else:
            kind = rng.random()
            if originals and kind < 0.15:
                source, size = originals[rng.randrange(len(originals))]
                with open(source, "rb") as f:
                    data = f.read()
                if size and kind < 0.075:  # all but the last byte alike
                    data = data[:-1] + bytes([(data[-1] + 1) % 256])
                else:
                    data = rng.randbytes(size)
            else:
                # Mostly small, some large: 0 bytes to 64 MiB.
                top = rng.choices([16, 22, 26], weights=[90, 9, 1])[0]
                size = int(2 ** rng.uniform(0, top)) - 1
                data = rng.randbytes(size)
            if size:
                originals.append((path, size))
        with open(path, "wb") as f:
            f.write(data)
        written += len(data)
    print("%d files, %d MiB (%d MiB in copies) in %s" % (n, written >> 20, copied >> 20, root))


if __name__ == "__main__":
    main()
