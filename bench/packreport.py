"""The packing part of bench/results.md (from bench/pack.sh's rows and facts) and the data of its
plot, bench/packing.png. Used by report.py."""
import json
import os
import statistics

MiB = 1 << 20
Names = [("sfx-default", None), ("sfx-max", None), ("zip-9", "`zip -q -9 -r`"),
         ("7z-mx9", "`7zz a -tzip -mx9`"), ("7z-mx5", "`7zz a -tzip -mx5`")]
Payloads = [("bench", "the benchmark payload"), ("real", "real files")]
PieceSize = 16 * MiB
Headroom = 64 * MiB


def Median(rows, key):
    return statistics.median(row[key] for row in rows)


def Sizes(facts, name, payload):
    return [int(v) for k, v in facts.items() if k.startswith("packsize.%s.%s." % (name, payload))]


def Bound(facts, listing):
    """64 MiB, plus per worker one piece's input and output: a member's, or a piece's if larger."""
    largest = max(m["unpacked"] for m in listing["members"])
    return Headroom + int(facts["jobs"]) * 2 * min(largest, PieceSize)


def Label(name, facts):
    if name == "sfx-default":
        return "`sfxpack create` (default level %s)" % facts["level.default"]
    if name == "sfx-max":
        return "`sfxpack create --level %s`" % facts["level.max"]
    return dict(Names)[name]


def PayloadTable(table, facts, payload, w):
    rows = {name: table["pack.%s.%s" % (name, payload)] for name, _ in Names}
    zip_time = Median(rows["zip-9"], "wall")
    zip_size = statistics.median(Sizes(facts, "zip-9", payload))
    w("| Packer | Runs | Median time (s) | Range (s) | CPU (s) | Peak memory (MiB) | Output (bytes) | "
      "Time ÷ zip -9 | Size ÷ zip -9 |")
    w("| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    result = {}
    for name, _ in Names:
        runs = rows[name]
        walls = [r["wall"] for r in runs]
        size = statistics.median(Sizes(facts, name, payload))
        time = statistics.median(walls)
        result[name] = dict(time=time, cpu=Median(runs, "cpu"), size=size, peak=max(r["peak"] for r in runs) * 1024)
        w("| %s | %d | %.2f | %.2f – %.2f | %.2f | %.1f | %s | %.2f | %.4f |" % (
            Label(name, facts), len(runs), time, min(walls), max(walls), Median(runs, "cpu"),
            max(r["peak"] for r in runs) / 1024.0, format(int(size), ","), time / zip_time, size / zip_size))
    w("")
    return result


def Verdicts(results, facts, bounds, w):
    for payload, title in Payloads:
        r = results[payload]
        default, best, zip9, seven = r["sfx-default"], r["sfx-max"], r["zip-9"], r["7z-mx9"]
        sums = set(v for k, v in facts.items() if k.startswith("packsum.") and ".%s." % payload in k)
        w("- **%s**: at the default level, %.2f × zip -9's time and %s bytes %s its output (%s); at "
          "level %s, %s bytes %s 7-Zip's -mx9 output in %.2f × its time (%s). Peak memory %.1f MiB "
          "against the bound of %.1f MiB (%s). Each installer unpacked byte for byte; every round and "
          "`-j 1` gave the same bytes (%s)." % (
              title[0].upper() + title[1:], default["time"] / zip9["time"], format(abs(int(zip9["size"] - default["size"])), ","),
              "under" if default["size"] <= zip9["size"] else "OVER",
              "met" if default["time"] <= 0.6 * zip9["time"] and default["size"] <= zip9["size"] else "NOT MET",
              facts["level.max"], format(abs(int(seven["size"] - best["size"])), ","),
              "under" if best["size"] <= seven["size"] else "OVER", best["time"] / seven["time"],
              "met" if best["size"] <= seven["size"] and best["time"] < seven["time"] else "NOT MET",
              max(default["peak"], best["peak"]) / MiB, bounds[payload] / MiB,
              "within" if max(default["peak"], best["peak"]) <= bounds[payload] else "OVER",
              "one checksum per level over the rounds" if len(sums) == 2 else "CHECKSUMS DIFFER"))


BomBound = 1.15


def BomCost(table, facts, w):
    """create --sbom against create alone, paired round by round."""
    if "bom.plain" not in table:
        return
    plain = {r["round"]: r for r in table["bom.plain"]}
    sbom = {r["round"]: r for r in table["bom.sbom"]}
    rounds = sorted(set(plain) & set(sbom))
    ratios = [sbom[r]["wall"] / plain[r]["wall"] for r in rounds]
    cpu = [sbom[r]["cpu"] / plain[r]["cpu"] for r in rounds]
    ratio = statistics.median(ratios)
    w("- **The bill of materials** (`create --sbom`, the same default-level create otherwise, on the benchmark "
      "payload; %d rounds, the two one after the other in each, the first alternating): median %.2f s against "
      "%.2f s alone, CPU %.2f s against %.2f s. Median of the rounds' ratios **%.3f ×** (range %.3f – %.3f), "
      "CPU %.3f ×; the bound is %.2f × (%s). `list --sbom` on the installer gave the document's bytes (%s)." % (
          len(rounds), statistics.median(r["wall"] for r in sbom.values()),
          statistics.median(r["wall"] for r in plain.values()), statistics.median(r["cpu"] for r in sbom.values()),
          statistics.median(r["cpu"] for r in plain.values()), ratio, min(ratios), max(ratios),
          statistics.median(cpu), BomBound, "met" if ratio <= BomBound else "NOT MET",
          "yes" if facts.get("bom.same") == "yes" else "NO"))


def SweepTable(table, facts, w):
    w("| Level | bench: time (s) | CPU (s) | output (bytes) | real: time (s) | CPU (s) | output (bytes) |")
    w("| ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
    for level in range(1, int(facts["level.max"]) + 1):
        cells = []
        for payload, _ in Payloads:
            row = table["sweep.%d.%s" % (level, payload)][0]
            cells += ["%.2f" % row["wall"], "%.2f" % row["cpu"],
                      format(int(facts["sweepsize.%d.%s" % (level, payload)]), ",")]
        bold = "**%d**" % level if str(level) == facts["level.default"] else str(level)
        w("| %s | %s |" % (bold, " | ".join(cells)))
    zips = [table["pack.zip-9.%s" % p] for p, _ in Payloads]
    w("| zip -9 (median) | %.2f | %.2f | | %.2f | %.2f | |" % (
        Median(zips[0], "wall"), Median(zips[0], "cpu"), Median(zips[1], "wall"), Median(zips[1], "cpu")))
    w("")


def Section(table, facts, out):
    """The markdown lines of the packing section; writes out/packing.dat for the plot."""
    md = []
    w = md.append
    if "pack.sfx-default.bench" not in table:
        return md
    listings = {p: json.load(open(os.path.join(out, "pack-%s.json" % p))) for p, _ in Payloads}
    bounds = {p: Bound(facts, listings[p]) for p, _ in Payloads}
    w("## Packing")
    w("")
    w("`sfxpack create` (%s workers, one per core) against zip and 7-Zip's zip writer, %s timed rounds on "
      "each payload, the five packers in a different order each round; each packs one folder holding the "
      "same files (the set-up program and project file among them). Times are wall clock from start to "
      "exit, medians; CPU is user and system time summed over threads; peak memory is `ru_maxrss`, the "
      "highest of the rounds. The benchmark payload is %d files, %s bytes; the real files are %d files, "
      "%s bytes, shared libraries, documentation and Python modules of this system about a third each "
      "(`bench/realfiles.py`)." % (
          facts["jobs"], len(table["pack.zip-9.bench"]), int(facts["payload.files.bench"]),
          format(int(facts["payload.bytes.bench"]), ","), int(facts["payload.files.real"]),
          format(int(facts["payload.bytes.real"]), ",")))
    w("")
    results = {}
    for payload, title in Payloads:
        w("### %s" % title[0].upper() + title[1:])
        w("")
        results[payload] = PayloadTable(table, facts, payload, w)
    w("![Packing: time against size](packing.png)")
    w("")
    Verdicts(results, facts, bounds, w)
    BomCost(table, facts, w)
    large = table["pack.large"][0]
    large_bound = Headroom + int(facts["jobs"]) * 2 * PieceSize
    w("- **One member of %s bytes** (the benchmark payload twice, deflated in 16 MiB pieces): %.2f s, peak "
      "memory %.1f MiB against the bound of %.1f MiB (%s): memory follows the pieces, not the member." % (
          format(int(facts["large.bytes"]), ","), large["wall"], large["peak"] / 1024.0, large_bound / MiB,
          "within" if large["peak"] * 1024 <= large_bound else "OVER"))
    w("")
    w("The bound is 64 MiB plus, per worker, one member's input and output, or one 16 MiB piece's for a "
      "larger member: workers take pieces in order, at most one each beyond those the writer has "
      "written, and more only while the pieces done early stay within 24 MiB of input.")
    w("")
    w("### Levels")
    w("")
    w("Each level once, `-j %s`. The default is the highest level whose CPU time alone, without the second "
      "core's help, stays under half of zip -9's on both payloads, so that it stays under 0.6 × zip -9's "
      "time even on a machine whose other cores are busy; the next levels buy a few tenths of a per cent "
      "for up to twice the work." % facts["jobs"])
    w("")
    SweepTable(table, facts, w)
    zip_cpu = [Median(table["pack.zip-9.%s" % p], "cpu") for p, _ in Payloads]
    under = [level for level in range(1, int(facts["level.max"]) + 1)
             if all(table["sweep.%d.%s" % (level, p)][0]["cpu"] < 0.5 * zip_cpu[i] for i, (p, _) in enumerate(Payloads))]
    w("By this run's sweep the highest such level is %s (the default is %s)." % (
        max(under) if under else "none", facts["level.default"]))
    w("")
    with open(os.path.join(out, "packing.dat"), "w") as f:
        for payload, _ in Payloads:
            zip_size = results[payload]["zip-9"]["size"]
            for level in range(1, int(facts["level.max"]) + 1):
                row = table["sweep.%d.%s" % (level, payload)][0]
                f.write("%.3f %.3f \"%d\"\n" % (
                    row["cpu"], 100.0 * int(facts["sweepsize.%d.%s" % (level, payload)]) / zip_size, level))
            f.write("\n\n")
        for payload, _ in Payloads:
            zip_size = results[payload]["zip-9"]["size"]
            for name in ("zip-9", "7z-mx9", "7z-mx5"):
                r = results[payload][name]
                f.write("%.3f %.3f \"%s\"\n" % (r["cpu"], 100.0 * r["size"] / zip_size, name))
            f.write("\n\n")
    return md
