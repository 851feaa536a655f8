#!/usr/bin/env python3
"""Makes the Windows download: a zip of NAME=PATH entries, the same bytes from the same inputs.

The entries go in sorted by name, each with one fixed time (SOURCE_DATE_EPOCH when set) and
plain attributes, so that nothing of the machine or the moment reaches the zip. A manual page
(PATH ending in .1) goes in as plain text, as groff lays it out for a terminal.
"""
import os
import subprocess
import sys
import time
import zipfile


def Contents(path):
    if path.endswith(".1"):
        # -rHY=0: no word broken at a line's end; -P-cbou: no escape sequences, bold, underline or
        # overstriking, plain characters only.
        return subprocess.run(["groff", "-man", "-rHY=0", "-Tutf8", "-P-cbou", path], check=True, capture_output=True,
                              env=dict(os.environ, LC_ALL="C.UTF-8")).stdout
    with open(path, "rb") as file:
        return file.read()


def main(out, entries):
    stamp = time.gmtime(int(os.environ.get("SOURCE_DATE_EPOCH") or 315532800))[:6]  # 1980-01-01 by default
    pairs = sorted(entry.split("=", 1) for entry in entries)
    missing = [path for _, path in pairs if not os.path.isfile(path)]
    if missing:
        sys.exit("winzip: missing " + ", ".join(missing))
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    temporary = out + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, path in pairs:
            info = zipfile.ZipInfo(name, date_time=max(stamp, (1980, 1, 1, 0, 0, 0)))
            info.create_system = 0  # MS-DOS attributes: the same on any system that made it
            info.external_attr = 0x20  # "archive", as Windows' own zips mark a file
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, Contents(path), compresslevel=9)
    os.replace(temporary, out)
    print(out)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: winzip.py OUT.zip NAME=PATH...")
    main(sys.argv[1], sys.argv[2:])
