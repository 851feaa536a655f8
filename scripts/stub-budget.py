#!/usr/bin/env python3
"""Where a stub's bytes go, from the linker map that the win32 and win64 builds write beside it.

Usage: stub-budget.py BUILD_DIR   (reads sfxstub.map and the stub .exe there)
Prints a Markdown table: zlib, our code (with the start-up and runtime part), import table,
relocation table, resources, headers, and the padding that rounds each section up to the file
alignment.
"""
import glob
import os
import re
import struct
import sys

build = sys.argv[1]
stub = [p for p in glob.glob(os.path.join(build, "sfxstub*.exe"))][0]
data = open(stub, "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
optional = pe + 24
magic = struct.unpack_from("<H", data, optional)[0]
headers = struct.unpack_from("<I", data, optional + 60)[0]  # SizeOfHeaders, same place in both

# Input-section lines: " .name  0xADDR  0xSIZE  file", the name sometimes on a line of its own.
line_re = re.compile(r"^\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$")
own_re = re.compile(r"^ (\.\S+)\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(\S.*)$")
out_re = re.compile(r"^(\.\w+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+")
runtime = ("Start.cpp", "Runtime.cpp", "Bytes.cpp", "Crc32.cpp", "libgcc")
sums = {"zlib": 0, "runtime": 0, "ours": 0, "imports": 0, "relocations": 0, "resources": 0}
section = None
pending = None
in_map = False
for line in open(os.path.join(build, "sfxstub.map")):
    line = line.rstrip("\n")
    if line.startswith("Linker script and memory map"):
        in_map = True
        continue
    if not in_map:
        continue
    m = out_re.match(line)
    if m:
        section = m.group(1)
        continue
    if section not in (".text", ".data", ".rdata", ".idata", ".reloc", ".rsrc"):
        continue
    m = own_re.match(line)
    if m:
        size, who = int(m.group(3), 16), m.group(4)
    else:
        m = line_re.match(line)
        if not (m and pending):
            pending = line.startswith(" .") and len(line.split()) == 1
            continue
        size, who = int(m.group(2), 16), m.group(3)
    pending = False
    if section == ".idata" or "libkernel32" in who or "libuser32" in who:
        sums["imports"] += size
    elif section == ".reloc":
        sums["relocations"] += size
    elif section == ".rsrc":
        sums["resources"] += size
    elif "libsfxzlib" in who or "libz.a" in who:
        sums["zlib"] += size
    elif any(r in who for r in runtime):
        sums["runtime"] += size
    else:
        sums["ours"] += size

total = len(data)
padding = total - headers - sum(sums.values())
rows = [
    ("zlib's inflater", sums["zlib"]),
    ("our code and data", sums["ours"] + sums["runtime"]),
    ("  of which start-up, heap and byte routines", sums["runtime"]),
    ("import table (kernel32, user32, advapi32)", sums["imports"]),
    ("relocation table", sums["relocations"]),
    ("resources (the icon and the manifest)", sums["resources"]),
    ("headers", headers),
    ("section padding to 512 bytes", padding),
]
print(f"| {os.path.basename(stub)} | bytes |")
print("| --- | ---: |")
for name, value in rows:
    print(f"| {name} | {value:,} |")
print(f"| **total** | **{total:,}** |")
