#!/usr/bin/env bash
# The stubs under Wine on installers of 10 MiB, 500 MiB and 1.5 GiB: each stub's peak resident
# memory on each, side by side, and the PE32+ stub's time on a 1 GiB deflated member against the
# stub that held members whole (built once from BEFORE into build/stub-before), alternating runs.
# Usage: bench/stubmemory.sh OUT BIN PREFIX   (bench/run calls it; it appends to OUT/times.txt and
# the plot's data comes from there). Each installer: a stored member of noise of the
# installer's size and a deflated member of text two thirds of it, made, run and deleted in turn.
set -euo pipefail
shopt -s nullglob
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT=$1 BIN=$2 PREFIX=$3
BEFORE=${SFX_BENCH_STUB_BEFORE:-ee70e5a}
TABLE="$OUT/times.txt"
STOPWATCH="$BIN/bench/sfxstopwatch"
QEMU_VA=$(. "$ROOT/scripts/wine-env.sh" && echo "$QEMU_RESERVED_VA")
say() { printf '[bench stubs] %s\n' "$*" >&2; }

# The stub as it was before members were streamed, for the time ratio.
OLD="$ROOT/build/stub-before"
if [ ! -f "$OLD/build/win64/sfxstub64.exe" ]; then
  say "building the PE32+ stub of $BEFORE"
  rm -rf "$OLD"
  git -C "$ROOT" worktree prune
  git -C "$ROOT" worktree add -q --detach "$OLD" "$BEFORE"
  (cd "$OLD" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 >/dev/null)
fi

# NAME SIZE: a file of noise (seed 7) or text (a 1 MiB page repeated), a MiB at a time.
make_file() {
  python3 - "$@" <<'PY'
import random, sys
path, kind, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
rng, MiB = random.Random(7), 1 << 20
page = b"".join(b"%08d the quick brown fox jumps over the lazy dog\n" % i for i in range(MiB // 57 + 1))[:MiB]
with open(path, "wb") as out:
    for at in range(0, size, MiB):
        count = min(MiB, size - at)
        out.write(rng.randbytes(count) if kind == "noise" else page[:count])
PY
}

run_stub() {  # LABEL ROUND LOADER PREFIX INSTALLER_NAME: timed, then every member compared
  rm -rf "$4/drive_c/_setup" "$4/drive_c/probe.txt"
  env -u DISPLAY WINEPREFIX="$4" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    QEMU_RESERVED_VA="$QEMU_VA" "$STOPWATCH" "$TABLE" "$1" "$2" setarch -R "$3" "c:\\sfxbig\\$5" >/dev/null 2>&1
  for _ in $(seq 600); do [ -s "$4/drive_c/probe.txt" ] && break; sleep 0.5; done
  [ -s "$4/drive_c/probe.txt" ] || { say "$1: the set-up program did not run"; exit 1; }
  for member in "$WORK"/*.dat "$WORK"/*.txt; do
    cmp -s "$member" "$4/drive_c/_setup/${member##*/}" || { say "$1: ${member##*/} differs"; exit 1; }
  done
  sleep 2
  rm -rf "$4/drive_c/_setup" "$4/drive_c/probe.txt"
}

for spec in 10:10MiB 500:500MiB 1536:1.5GiB; do
  mib=${spec%%:*} label=${spec#*:}
  say "installers of $label"
  for stub in win32 win64; do
    if [ $stub = win32 ]; then exe="$ROOT/build/win32/sfxstub.exe" loader=/usr/lib/wine/wine prefix="$PREFIX-pe32"
    else exe="$ROOT/build/win64/sfxstub64.exe" loader=/usr/lib/wine/wine64 prefix="$PREFIX"; fi
    WORK="$prefix/drive_c/sfxbig"
    rm -rf "$WORK"; mkdir -p "$WORK"
    make_file "$WORK/noise.dat" noise $((mib << 20))
    make_file "$WORK/text.txt" text $((mib * 2 / 3 << 20))
    echo "bench project" >"$WORK/setup.lst"
    "$BIN/sfxpack" create -q -o "$WORK/setup.exe" --stub "$exe" --setup "$ROOT/build/$stub/setupprobe.exe" \
      --project "$WORK/setup.lst" --support "$WORK/noise.dat" --support "$WORK/text.txt"
    run_stub "stubmem.$stub.$label" 1 "$loader" "$prefix" setup.exe
    rm -rf "$WORK"
  done
done

say "the PE32+ stub before and after streaming: a 1 GiB deflated member, 3 alternating rounds"
WORK="$PREFIX/drive_c/sfxbig"
rm -rf "$WORK"; mkdir -p "$WORK"
make_file "$WORK/text.txt" text $((1024 << 20))
echo "bench project" >"$WORK/setup.lst"
"$BIN/sfxpack" create -q -o "$WORK/after.exe" --stub "$ROOT/build/win64/sfxstub64.exe" \
  --setup "$ROOT/build/win64/setupprobe.exe" --project "$WORK/setup.lst" --support "$WORK/text.txt"
"$BIN/sfxpack" restub -q -o "$WORK/before.exe" --stub "$OLD/build/win64/sfxstub64.exe" "$WORK/after.exe"
for round in 1 2 3; do
  run_stub stubtime.before "$round" /usr/lib/wine/wine64 "$PREFIX" before.exe
  run_stub stubtime.after "$round" /usr/lib/wine/wine64 "$PREFIX" after.exe
done
rm -rf "$WORK"
