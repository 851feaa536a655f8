#!/usr/bin/env python3
"""Writes the installers that sfxpack's memory is measured on, each member streamed through zlib
so that the gigabytes never sit in this process's memory, and prints one line per measurement:
LABEL COMMAND INSTALLER.

Usage: memory.py STUB OUT_DIR
"""
import os
import struct
import sys
import zlib

MiB = 1 << 20
GiB = 1 << 30


def Text(value):
    return struct.pack("<i", len(value)) + value


def List(values):
    return struct.pack("<i", len(values)) + b"".join(Text(v) for v in values)


def Table(values):
    return struct.pack("<i", len(values)) + b"".join(struct.pack("<i", v) for v in values)


class Installer:
    """The stub, the streams back to back, then the directory naming entries that point at them."""

    def __init__(self, path, stub):
        self.out = open(path, "wb")
        self.out.write(stub)
        self.entries = []  # name, offset, stored size, method

    def deflated(self, declared, chunks):
        """Appends a deflated stream (its size prefix first); returns its offset and stored size."""
        offset = self.out.tell()
        self.out.write(struct.pack("<i", declared))
        packer = zlib.compressobj(1)
        for chunk in chunks:
            self.out.write(packer.compress(chunk))
        self.out.write(packer.flush())
        return offset, self.out.tell() - offset

    def raw(self, data):
        offset = self.out.tell()
        self.out.write(data)
        return offset, len(data)

    def entry(self, name, placed, method):
        self.entries.append((name, placed[0], placed[1], method))

    def close(self, setup):
        names = [e[0] for e in self.entries]
        directory_offset = self.out.tell()
        self.out.write(Text(setup) + Text(setup) + List(names[1:]) + List(names[1:]) + List(names) +
                       Table([e[1] for e in self.entries]) + Table([e[2] for e in self.entries]) +
                       Table([e[3] for e in self.entries]) + Text(b""))
        self.out.write(struct.pack("<ii", directory_offset, 9610))
        self.out.close()


def Repeated(total, block):
    for at in range(0, total, len(block)):
        yield block[:min(len(block), total - at)]


def Main(stub_path, out):
    os.makedirs(out, exist_ok=True)
    stub = open(stub_path, "rb").read()
    lines = []

    def Make(label, commands, build):
        path = os.path.join(out, label + ".exe")
        installer = Installer(path, stub)
        build(installer)
        installer.close(b"setup.exe")
        lines.extend("%s %s %s" % (label, command, path) for command in commands)

    garbage = os.urandom(2100000)

    def Garbage(installer):  # 2.1 MB of noise behind a zlib header, declaring 2 GiB - 1
        installer.entry(b"setup.exe", installer.raw(struct.pack("<i", 2 * GiB - 1) + b"\x78\xda" + garbage), 2)

    def Zeros(installer):  # 1 GiB of zeros, declared truthfully
        installer.entry(b"setup.exe", installer.deflated(GiB, Repeated(GiB, bytes(16 * MiB))), 2)

    def SharedBad(installer):  # ten names on one garbage stream
        placed = installer.raw(struct.pack("<i", 2 * GiB - 1) + b"\x78\xda" + garbage)
        for i in range(10):
            installer.entry(b"setup.exe" if i == 0 else b"copy%d.dat" % i, placed, 2)

    def SharedGiB(installer):  # twenty names on one 1 GiB stream
        placed = installer.deflated(GiB, Repeated(GiB, bytes(16 * MiB)))
        for i in range(20):
            installer.entry(b"setup.exe" if i == 0 else b"copy%d.dat" % i, placed, 2)

    block = os.urandom(16384)

    def Large(installer):  # 1.5 GiB: a 16 KiB block repeated, so the stream is small and sound
        installer.entry(b"setup.exe", installer.deflated(3 * GiB // 2, Repeated(3 * GiB // 2, block)), 2)

    noise = os.urandom(64 * MiB)

    def NoCheck(installer):  # 320 MiB of noise, deflated without its check value: looked past too
        offset = installer.out.tell()
        installer.out.write(struct.pack("<i", 320 * MiB) + b"\x78\x01")
        packer = zlib.compressobj(1, zlib.DEFLATED, -15)
        for _ in range(5):
            installer.out.write(packer.compress(noise))
        installer.out.write(packer.flush())
        installer.entry(b"setup.exe", (offset, installer.out.tell() - offset), 2)

    def Stored(installer):  # a 200 MiB installer: one stored member of noise
        installer.entry(b"setup.exe", installer.raw(os.urandom(200 * MiB)), 0)

    Make("garbage-declaring-2GiB", ["verify", "sbom", "extract"], Garbage)
    Make("zeros-1GiB", ["verify", "sbom", "extract"], Zeros)
    Make("10-names-one-bad-stream", ["verify", "sbom", "extract"], SharedBad)
    Make("20-names-one-1GiB-stream", ["verify", "sbom"], SharedGiB)
    Make("member-1.5GiB", ["verify", "sbom", "extract"], Large)
    Make("no-check-320MiB", ["verify", "sbom", "extract"], NoCheck)
    Make("stored-200MiB", ["verify", "sbom", "extract"], Stored)
    print("\n".join(lines))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    Main(*sys.argv[1:])
