"""The section of bench/results.md on the stubs' memory and time with big installers
(bench/stubmemory.sh measured them); writes out/stubmemory.dat for bench/stubmemory.gp."""
import os
import statistics

Sizes = ["10MiB", "500MiB", "1.5GiB"]
Stubs = [("win32", "sfxstub.exe (PE32)"), ("win64", "sfxstub64.exe (PE32+)")]


def Section(table, out):
    md = []
    w = md.append
    if "stubmem.win64.10MiB" not in table:
        return md
    peak = {(s, z): table["stubmem.%s.%s" % (s, z)][0]["peak"] / 1024.0 for s, _ in Stubs for z in Sizes}
    wall = {(s, z): table["stubmem.%s.%s" % (s, z)][0]["wall"] for s, _ in Stubs for z in Sizes}
    w("## The stubs with installers of every size")
    w("")
    w("Each installer holds a stored member of noise as large as the installer and a deflated member of "
      "text two thirds of that; `bench/stubmemory.sh` packs it with `sfxpack create`, runs each stub on it "
      "under Wine (one run, the set-up program's start included) and compares every member it unpacked. "
      "Peak memory is the Wine process's peak resident set (`ru_maxrss`), Wine's own libraries included.")
    w("")
    w("| Installer | %s peak (MiB) | %s time (s) | %s peak (MiB) | %s time (s) |" % (
        Stubs[0][1], Stubs[0][1], Stubs[1][1], Stubs[1][1]))
    w("| --- | ---: | ---: | ---: | ---: |")
    for z in Sizes:
        w("| %s | %.1f | %.2f | %.1f | %.2f |" % (z, peak["win32", z], wall["win32", z], peak["win64", z],
                                                 wall["win64", z]))
    w("")
    for s, name in Stubs:
        w("- %s: the 1.5 GiB installer's peak is %+.1f MiB from the 10 MiB one's." % (
            name, peak[s, "1.5GiB"] - peak[s, "10MiB"]))
    before = [r["wall"] for r in table.get("stubtime.before", [])]
    after = [r["wall"] for r in table.get("stubtime.after", [])]
    if before and after:
        b, a = statistics.median(before), statistics.median(after)
        w("- The PE32+ stub on one deflated member of 1 GiB, %d alternating runs each, whole run medians: "
          "%.2f s holding the member whole (the stub before streaming), %.2f s streaming it: **%.3f×** "
          "the time. Peaks: %.0f MiB before, %.0f MiB after." % (
              len(after), b, a, a / b, max(r["peak"] for r in table["stubtime.before"]) / 1024.0,
              max(r["peak"] for r in table["stubtime.after"]) / 1024.0))
    w("")
    w("![The stubs' peak memory by installer size](stubmemory.png)")
    w("")
    with open(os.path.join(out, "stubmemory.dat"), "w") as f:
        for z in Sizes:
            f.write('"%s" %.1f %.1f\n' % (z, peak["win32", z], peak["win64", z]))
    return md
