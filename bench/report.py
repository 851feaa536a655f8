#!/usr/bin/env python3
"""Turns one benchmark run (bench/out) into bench/results.md and the plot's data.

Usage: report.py OUT_DIR RESULTS_MD
"""
import json
import os
import re
import statistics
import sys

import packreport
import stubreport

MiB = 1 << 20
ReplacedStubSize = 80384  # the image size of the installer stub this one replaces


class Runs:
    """The rows of one contender in the stopwatch's table."""

    def __init__(self, rows):
        self.rows = rows

    def column(self, name):
        return [row[name] for row in self.rows]

    def median(self, name):
        return statistics.median(self.column(name))


def ReadTable(path):
    table = {}
    for line in open(path):
        label, rnd, wall, user, system, peak, start, end = line.split()
        row = dict(round=int(rnd), wall=float(wall), cpu=float(user) + float(system), peak=int(peak),
                   start=float(start), end=float(end))
        table.setdefault(label, []).append(row)
    return table


def ReadFacts(path):
    facts = {}
    for line in open(path):
        key, _, value = line.rstrip("\n").partition(" ")
        facts[key] = value
    return facts


def WineMarks(trace_path):
    """Wine's timestamps of the wait cursor and of the start of the set-up program, in seconds."""
    start = end = None
    for line in open(trace_path, errors="replace"):
        if start is None and re.match(r"^\d+\.\d+:[0-9a-f]+:trace:cursor:LoadCursorA .*#7f02", line):
            start = float(line.split(":", 1)[0])
        if end is None and re.match(r"^\d+\.\d+:[0-9a-f]+:trace:process:CreateProcessInternalW .*setupprobe", line):
            end = float(line.split(":", 1)[0])
    return start, end


def Seconds(value):
    return "%.3f" % value if value < 10 else "%.1f" % value


def Main(out, results_path):
    table = ReadTable(os.path.join(out, "times.txt"))
    facts = ReadFacts(os.path.join(out, "facts.txt"))
    listing = json.load(open(os.path.join(out, "installer.json")))
    tiny = json.load(open(os.path.join(out, "tiny.json")))
    members = listing["members"]
    total = sum(m["unpacked"] for m in members)
    timed = {label: Runs([r for r in rows if r["round"] > 0]) for label, rows in table.items()}

    # The stub's extraction under Wine, cut out of each full run by Wine's own timestamps.
    wine_phases = []
    for row in table.get("wine", []):
        start, end = WineMarks(os.path.join(out, "wine.%d.trace" % row["round"]))
        if start is None or end is None or not row["start"] <= start <= end <= row["end"]:
            sys.exit("report: the Wine trace of round %d lacks its marks or they lie outside the run" % row["round"])
        wine_phases.append(dict(startup=start - row["start"], extract=end - start, rest=row["end"] - end))
    extract = Runs([dict(wall=p["extract"]) for p in wine_phases])

    floor = timed["floor"].median("wall")
    rows = []  # label, runs, median, low, high, MB/s or None, ratio or None, plot label

    def Add(label, runs, plot, per_byte=True):
        median = runs.median("wall")
        walls = runs.column("wall")
        rows.append((label, len(walls), median, min(walls), max(walls),
                     total / median / 1e6 if per_byte else None, median / floor if per_byte else None, plot))

    Add("**floor**: one read, one `inflate`, one write per member (`bench/Floor.cpp`)", timed["floor"], "floor")
    Add("**host**: the stub's own code built for Linux (`bench/HostExtract.cpp`, sfxcore)", timed["host"], "host")
    Add("**sfxpack extract -q**: the host tool, optimised build (libdeflate whole where a member fits, "
        "zlib streaming otherwise)", timed["sfxpack"], "sfxpack")
    Add("`unzip -o -q` on the zip", timed["unzip"], "unzip")
    Add("`%s x` on the zip" % facts["7z"].split()[0], timed["7z"], facts["7z"].split()[0])
    Add("**stub under Wine, extraction only**: wait cursor to the set-up program's start, "
        "from Wine's trace timestamps", extract, "stub/Wine extraction")
    Add("**stub under Wine, whole run**: warm wineserver, Wine+qemu start-up and the set-up "
        "program's start included", timed["wine"], "stub/Wine whole run")
    Add("bare stub under Wine, no archive: Wine+qemu start-up and exit only", timed["wine-bare"], None,
        per_byte=False)

    host = timed["host"].median("wall")
    sfxpack = timed["sfxpack"].median("wall")
    unzip = timed["unzip"].median("wall")
    sevenzip = timed["7z"].median("wall")
    stub_extract = extract.median("wall")
    stub_whole = timed["wine"].median("wall")
    bare = timed["wine-bare"].median("wall")

    # Peak memory: members pass through two buffers of a fixed size, so the model is the same
    # program's peak on a tiny installer, whatever the members weigh.
    predicted = table["host-tiny"][0]["peak"] * 1024
    # Whole KiB: with an even number of runs the median may fall between two.
    measured = int(round(timed["host"].median("peak"))) * 1024
    peaks = {label: int(round(timed[label].median("peak"))) for label in ("floor", "host", "sfxpack", "unzip", "7z")}

    def Instructions(label):
        return int(facts["instructions." + label])

    per_mib = {label: Instructions(label) / (total / MiB) for label in ("floor.1", "host.1", "unzip", "7z")}

    kinds = {}
    for line in open(os.path.join(out, "payload", "members.txt")):
        name, kind, size = line.split()
        kinds.setdefault(kind, [0, 0])
        kinds[kind][0] += 1
        kinds[kind][1] += int(size)
    stored_by_kind = {}
    for line in open(os.path.join(out, "payload", "members.txt")):
        name, kind, _ = line.split()
        stored_by_kind[kind] = stored_by_kind.get(kind, 0) + next(m["stored"] for m in members if m["name"] == name)

    md = []
    w = md.append
    w("# Benchmarks")
    w("")
    w("Made by `make bench` (`bench/run`) on %s. Every figure below comes from that one run; the "
      "contenders were timed side by side, alternating, on the same files." % facts["date"])
    w("")
    w("## Machine")
    w("")
    w("- CPU: %s, %s cores; kernel %s; %s." % (facts["cpu"], facts["cores"], facts["kernel"], facts["os"]))
    w("- zlib %s (the system library, used by the floor, the host build and Python's zipfile); %s; %s; "
      "%s %s." % (facts["zlib"], facts["compiler"], facts["unzip"], facts["7z"].split()[0], facts["7z"].split()[1]))
    if "qemu" in facts:
        w("- %s. The kernel can't run 32-bit x86 programs, so Wine's 32-bit loader, and with it the stub, "
          "runs under %s user-mode emulation (binfmt_misc), with `QEMU_RESERVED_VA=%s`. Every i386 "
          "instruction is translated, and each Wine process spends tens of seconds starting." %
          (facts["wine"], facts["qemu"].replace(" version", ""), facts["qemu.va"]))
    else:
        w("- %s, running the stub natively." % facts["wine"])
    busy_before, busy_after = float(facts["busy.before"]), float(facts["busy.after"])
    w("- Other work's share of the cores, sampled for 2 s with the benchmark idle: %.1f %% before the timed "
      "rounds, %.1f %% after (load average %s before, %s after, still counting the benchmark's own "
      "preparation). %s" % (
          busy_before, busy_after, facts["load.before"].replace(" ", ", "), facts["load.after"].replace(" ", ", "),
          "Other work was running and may have disturbed the timings." if max(busy_before, busy_after) > 10 else
          "Nothing else of note was running."))
    w("- Warm page cache: the installer and zip were just written; every contender writes into an empty "
      "folder on the same %s file system, with no `fsync` (none of them asks for one)." % facts["filesystem"])
    w("")
    w("## Payload")
    w("")
    w("%d members, %s bytes unpacked: the set-up program (`setupprobe.exe`, %s bytes) and 40 seeded "
      "members totalling %s bytes (%g MiB): %s. `sfxpack create` packed them at level 9 into a %s-byte "
      "installer (members it could not shrink are stored); the peers' zip (Python's `zipfile`, level 9, "
      "stored where sfxpack stored) is %s bytes." % (
          len(members), format(total, ","), format(members[0]["unpacked"], ","),
          format(total - members[0]["unpacked"], ","), (total - members[0]["unpacked"]) / MiB,
          "; ".join("%d %s (%.1f MiB, packed to %.0f %%)" % (
              kinds[k][0], {"text": "text-like", "binary": "machine-code-like",
                            "random": "already-compressed (noise)"}[k], kinds[k][1] / MiB,
              100.0 * stored_by_kind[k] / kinds[k][1]) for k in ("text", "binary", "random")),
          format(listing["size"], ","), format(os.path.getsize(os.path.join(out, "payload.zip")), ",")))
    w("")
    w("## Extraction speed")
    w("")
    w("%d timed rounds; each round runs floor, host, sfxpack, unzip and 7-Zip once, starting with a different one "
      "each round, after an untimed first round whose outputs were checked byte for byte. Times are wall "
      "clock from process start to exit, medians over the rounds; MB/s is unpacked bytes (10^6) per "
      "second; the ratio is the median time over the floor's." % int(facts["rounds"]))
    w("")
    w("| Contender | Runs | Median time (s) | Range (s) | MB/s | Time ÷ floor |")
    w("| --- | ---: | ---: | ---: | ---: | ---: |")
    for label, n, median, low, high, rate, ratio, _ in rows:
        w("| %s | %d | %s | %s – %s | %s | %s |" % (
            label, n, Seconds(median), Seconds(low), Seconds(high),
            "%.1f" % rate if rate is not None else "—", "%.2f" % ratio if ratio is not None else "—"))
    w("")
    if wine_phases:
        p = wine_phases[0]
        w("The Wine whole run splits, by Wine's own timestamps (`WINEDEBUG=+timestamp,+cursor,+process`), "
          "into %s s of Wine+qemu start-up before the stub's wait cursor, %s s of extraction, and %s s "
          "starting the set-up program (Wine's `CreateProcess` returns once the new process, itself "
          "emulated, has started) and exiting. The bare stub, with no archive, takes %s s." % (
              Seconds(p["startup"]), Seconds(p["extract"]), Seconds(p["rest"]), Seconds(bare)))
        w("")
    if int(facts["rounds"]) > len(timed["wine"].rows):
        def Times(n):
            return "once" if n == 1 else "%d times" % n

        w("Under emulation a Wine run takes %s s bare and %s s with the installer, so to keep `make bench` "
          "within ten minutes the installer runs under Wine %s, between the native rounds, and the bare "
          "stub %s (`SFX_BENCH_WINE_RUNS` sets more). The extraction figure is measured inside the run, "
          "so start-up noise does not enter it." % (
              Seconds(bare), Seconds(stub_whole), Times(len(timed["wine"].rows)), Times(len(timed["wine-bare"].rows))))
        w("")
    w("![Throughput per contender](throughput.png)")
    w("")
    w("## Ratios")
    w("")
    w("- host / floor: **%.3f** (time)." % (host / floor))
    w("- stub under Wine / host: **%.2f** for the extraction alone, **%.0f** for the whole run." % (
        stub_extract / host, stub_whole / host))
    w("- host / unzip: **%.2f**; host / 7-Zip: **%.2f** (below 1: the host is faster)." % (
        host / unzip, host / sevenzip))
    w("- sfxpack extract / unzip: **%.2f**; sfxpack extract / 7-Zip: **%.2f** (below 1: sfxpack is "
      "faster)." % (sfxpack / unzip, sfxpack / sevenzip))
    w("")
    w("## Size, memory, instructions")
    w("")
    stub_size = int(facts["stub.size"])
    w("- **Bare stub**: %s bytes, against %s for the installer stub this one replaces (%.1f %%, %s bytes "
      "less), added to every installer." % (format(stub_size, ","), format(ReplacedStubSize, ","),
                                           100.0 * stub_size / ReplacedStubSize,
                                           format(ReplacedStubSize - stub_size, ",")))
    w("- **Peak memory of the host extraction** (`ru_maxrss`): %s KiB measured; model %s KiB, the same "
      "program on a tiny installer: every member passes through the same two buffers (1 MiB out, 256 KiB "
      "in), whatever its size. Measured minus model: %+d KiB (%+.1f %%)." % (
          format(measured // 1024, ","), format(predicted // 1024, ","),
          (measured - predicted) // 1024, 100.0 * (measured - predicted) / predicted))
    w("  Peaks of the others, for comparison: floor %s KiB, sfxpack extract %s KiB, unzip %s KiB, "
      "7-Zip %s KiB." % (format(peaks["floor"], ","), format(peaks["sfxpack"], ","), format(peaks["unzip"], ","),
                        format(peaks["7z"], ",")))
    same_floor = Instructions("floor.1") == Instructions("floor.2")
    same_host = Instructions("host.1") == Instructions("host.2")
    w("- **Instructions per MiB unpacked** (`valgrind --tool=callgrind`, whole process, the same "
      "installer): floor %s, host %s (host / floor %.4f); unzip %s, 7-Zip %s. Two runs each of floor "
      "and host: %s / %s and %s / %s instructions, %s." % (
          format(round(per_mib["floor.1"]), ","), format(round(per_mib["host.1"]), ","),
          per_mib["host.1"] / per_mib["floor.1"], format(round(per_mib["unzip"]), ","),
          format(round(per_mib["7z"]), ","), format(Instructions("floor.1"), ","),
          format(Instructions("floor.2"), ","), format(Instructions("host.1"), ","),
          format(Instructions("host.2"), ","),
          "identical" if same_floor and same_host else "differing by %s and %s" % (
              Instructions("floor.2") - Instructions("floor.1"), Instructions("host.2") - Instructions("host.1"))))
    w("")
    mem = [(label[4:], rows[0]) for label, rows in table.items() if label.startswith("mem.")]
    if mem:
        w("## sfxpack's memory on large and hostile installers")
        w("")
        w("One run each of the optimised sfxpack (`bench/memory.py` makes the installers); peak resident "
          "memory is `ru_maxrss`, which counts the mapped installer's pages too. The bound is 64 MiB "
          "beyond the directory's own tables, which are a few bytes here. `sbom` is `list --sbom`, which "
          "streams each member through its SHA-256 as `verify` streams it through the check.")
        w("")
        w("| Installer | Command | Time (s) | Peak (MiB) | Exit |")
        w("| --- | --- | ---: | ---: | ---: |")
        for label, row in mem:
            case, command = label.rsplit(".", 1)
            w("| %s | %s | %s | %.1f | %s |" % (case, command, Seconds(row["wall"]), row["peak"] / 1024.0,
                                                 facts.get("exit.mem." + label, "?")))
        w("")
    w("## Figures more than 5 % off the floor")
    w("")
    explained = False
    cpu = {label: timed[label].median("cpu") for label in ("floor", "host", "unzip", "7z")}
    if abs(host / floor - 1) > 0.05:
        explained = True
        w("- **host** (%.2f × floor): it runs %.4f × the floor's instructions and %.3f s of CPU against "
          "the floor's %.3f s, so the gap is not in its code; see the run-to-run range above." % (
              host / floor, per_mib["host.1"] / per_mib["floor.1"], cpu["host"], cpu["floor"]))
    if abs(unzip / floor - 1) > 0.05:
        explained = True
        w("- **unzip** (%.2f × floor): %s instructions per MiB, %.2f × the floor's, and %.3f s of CPU against "
          "%.3f s. It does not use zlib: Info-ZIP's own inflater runs through a 32 KiB window, a CRC-32 "
          "goes over every byte, and the output leaves in 64 KiB writes rather than one per member." % (
              unzip / floor, format(round(per_mib["unzip"]), ","), per_mib["unzip"] / per_mib["floor.1"],
              cpu["unzip"], cpu["floor"]))
    if abs(sevenzip / floor - 1) > 0.05:
        explained = True
        faster = sevenzip < floor
        w("- **7-Zip** (%.2f × floor): %s instructions per MiB, %.2f × the floor's, %.3f s of CPU against "
          "%.3f s. %s" % (
              sevenzip / floor, format(round(per_mib["7z"]), ","), per_mib["7z"] / per_mib["floor.1"],
              cpu["7z"], cpu["floor"],
              "It does not use zlib: its own inflater runs %s the floor's instructions (as callgrind "
              "counts them) in %s CPU time, so it retires them faster than zlib %s's inflate does. "
              "The floor is the limit of our design with *this* zlib; a faster inflater would move it. "
              "7-Zip also computes a CRC-32 over every byte and writes in 32 and 128 KiB pieces." % (
                  "more than" if per_mib["7z"] > per_mib["floor.1"] else "fewer than",
                  "less" if cpu["7z"] < cpu["floor"] else "more", facts["zlib"])
              if faster else
              "It does not use zlib: its own inflater, a CRC-32 over every byte, output in 32 and "
              "128 KiB writes, and a larger program to start."))
    emulated = ""
    if "floor-qemu" in timed:
        floor_qemu = timed["floor-qemu"].median("wall")
        emulated = (" As a control, the floor itself (64-bit, this zlib) run under qemu-x86_64's user-mode "
                    "emulation takes %s s, %.1f × its native time: that much is translation alone. The "
                    "remaining %.1f × is the stub being 32-bit code (i386 has 8 general registers, and "
                    "zlib's bit buffer is 32 bits wide there) and its file access going through Wine; "
                    "this run does not separate the two." % (
                        Seconds(floor_qemu), floor_qemu / floor, stub_extract / floor_qemu))
    w("- **stub under Wine, extraction only** (%.1f × floor): the same work as the host, but as 32-bit "
      "x86 code (the stub and MinGW's zlib) translated by qemu at run time, with file access through "
      "Wine.%s" % (stub_extract / floor, emulated))
    explained = True
    w("- **stub under Wine, whole run** (%.0f × floor): almost all of it is Wine+qemu starting two "
      "emulated processes, the stub and then the set-up program; see the split above. The bare stub "
      "alone takes %s s. These costs belong to the emulated environment, not to the stub's work." % (
          stub_whole / floor, Seconds(bare)))
    if not explained:
        w("None besides the Wine figures.")
    w("")
    md.extend(packreport.Section(table, facts, out))
    md.extend(stubreport.Section(table, out))
    w("Elapsed time of this `make bench`, from `bench/run`'s start to the report: %s s (the win32 build "
      "before it not included)%s." % (facts["elapsed.before.report"],
                                      ", of which %s s packing" % facts["pack.elapsed"] if "pack.elapsed" in facts
                                      else ""))
    w("")

    with open(results_path, "w") as f:
        f.write("\n".join(md))
    with open(os.path.join(out, "throughput.dat"), "w") as f:
        # The bar is the median; the whiskers span the slowest and the fastest run.
        for label, n, median, low, high, rate, ratio, plot in rows:
            if plot:
                f.write('"%s" %.3f %.3f %.3f\n' % (plot, rate, total / high / 1e6, total / low / 1e6))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    Main(*sys.argv[1:])
