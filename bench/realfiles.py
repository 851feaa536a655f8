#!/usr/bin/env python3
"""Copies a payload of real files into a folder: shared libraries, documentation and Python modules
as a Debian system carries them, about a third each. Each group fills its share of the total with
files of 16 KiB to 16 MiB, taken in the order of their paths' MD5 sums while they still fit:
spread over the alphabet, and the same system always gives the same payload.

Usage: realfiles.py OUT_DIR TOTAL_BYTES
Writes OUT_DIR/<group>/<path with '/' turned to '_'> and prints the count and bytes picked.
"""
import glob
import hashlib
import os
import shutil
import sys

Smallest, Largest = 16 << 10, 16 << 20
# Each group: a name, its share of the total, and the files it draws from.
# The last group takes whatever the others leave.
Groups = [
    ("py", 1 / 3, lambda: glob.glob("/usr/lib/python3*/**/*.py", recursive=True)),
    ("doc", 1 / 3, lambda: glob.glob("/usr/share/doc/**/*", recursive=True)),
    ("lib", 1 / 3, lambda: glob.glob("/usr/lib/x86_64-linux-gnu/*.so*")),
]


def Pick(paths, budget):
    picked, used, seen = [], 0, set()
    for path in sorted(paths, key=lambda p: hashlib.md5(p.encode()).hexdigest()):
        if os.path.islink(path) or not os.path.isfile(path):
            continue
        status = os.stat(path)
        if status.st_ino in seen or not Smallest <= status.st_size <= Largest or used + status.st_size > budget:
            continue
        seen.add(status.st_ino)
        picked.append(path)
        used += status.st_size
    return picked, used


def Main(out, total):
    count = size = 0
    for name, share, paths in Groups:
        budget = int(total * share) if name != Groups[-1][0] else total - size
        picked, used = Pick(paths(), budget)
        os.makedirs(os.path.join(out, name), exist_ok=True)
        for path in picked:
            shutil.copyfile(path, os.path.join(out, name, path.strip("/").replace("/", "_")))
        count += len(picked)
        size += used
    print(count, size)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    Main(sys.argv[1], int(sys.argv[2]))
