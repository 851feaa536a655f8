#!/usr/bin/env bash
# make bench's packing part (run by bench/run): sfxpack create at the default and the highest
# level against zip -9 and 7-Zip's zip at -mx9 and -mx5, on the benchmark payload and on a payload
# of real files, timed side by side in alternating rounds; then a level sweep, a check that every
# installer unpacks byte for byte and that -j 1 gives the same bytes, the cost of create --sbom
# against create alone (alternating rounds on the benchmark payload), and the peak memory of one
# member far larger than a piece.
# Usage: pack.sh OUT BIN STUB PROBE PAYLOAD   (appends to OUT/times.txt and OUT/facts.txt)
# Knobs: SFX_BENCH_PACK_ROUNDS (3), SFX_BENCH_REAL_BYTES (67108864), SFX_BENCH_SBOM_ROUNDS (9).
set -euo pipefail
OUT=$1 BIN=$2 STUB=$3 PROBE=$4 PAYLOAD=$5
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
ROUNDS=${SFX_BENCH_PACK_ROUNDS:-3}
SBOM_ROUNDS=${SFX_BENCH_SBOM_ROUNDS:-9}
REAL_BYTES=${SFX_BENCH_REAL_BYTES:-67108864}
TABLE="$OUT/times.txt"
FACTS="$OUT/facts.txt"
STOPWATCH="$BIN/bench/sfxstopwatch"
SFXPACK="$BIN/sfxpack"
SEVENZIP=$(command -v 7zz || command -v 7z)
MAX=12
BEGAN=$SECONDS

say() { printf '[bench pack %3ds] %s\n' $((SECONDS - BEGAN)) "$*" >&2; }
fact() { printf '%s %s\n' "$1" "$2" >>"$FACTS"; }

# Each payload is one folder holding the set-up program and project file too, so every tool packs
# the same files.
PACK="$OUT/pack"
rm -rf "$PACK"
mkdir -p "$PACK/bench" "$PACK/real" "$PACK/out" "$PACK/x"
while read -r name _; do cp "$PAYLOAD/$name" "$PACK/bench/"; done <"$PAYLOAD/members.txt"
cp "$PAYLOAD/setup.lst" "$PACK/bench/"
say "picking $REAL_BYTES bytes of real files"
read -r count bytes < <(python3 "$ROOT/bench/realfiles.py" "$PACK/real" "$REAL_BYTES")
echo "real payload" >"$PACK/real/setup.lst"
fact real.files "$count"
fact real.bytes "$bytes"
for payload in bench real; do
  cp "$PROBE" "$PACK/$payload/setupprobe.exe"
  fact "payload.files.$payload" "$(find "$PACK/$payload" -type f | wc -l)"
  fact "payload.bytes.$payload" "$(find "$PACK/$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')"
done
DEFAULT=$("$SFXPACK" create --help | sed -n 's/.*(default \([0-9]*\)).*/\1/p' | head -1)
fact level.default "$DEFAULT"
fact level.max "$MAX"
fact jobs "$(nproc)"
fact zip "$(zip -v | sed -n 's/^This is \(Zip [0-9.]*\).*/\1/p' | head -1)"

output() {  # NAME PAYLOAD
  case $1 in sfx-*) echo "$PACK/out/$1.$2.exe" ;; *) echo "$PACK/out/$1.$2.zip" ;; esac
}

sfxcreate() {  # LABEL ROUND PAYLOAD OUTPUT OPTIONS...
  local label=$1 round=$2 payload=$3 out=$4; shift 4
  "$STOPWATCH" "$TABLE" "$label" "$round" "$SFXPACK" create -q -o "$out" --stub "$STUB" \
    --setup "$PACK/$payload/setupprobe.exe" --project "$PACK/$payload/setup.lst" "$PACK/$payload" "$@"
}

pack() {  # NAME PAYLOAD ROUND
  local out; out=$(output "$1" "$2")
  rm -f "$out"  # zip and 7-Zip would add to an archive already there
  case $1 in
    sfx-default) sfxcreate "pack.$1.$2" "$3" "$2" "$out" ;;
    sfx-max) sfxcreate "pack.$1.$2" "$3" "$2" "$out" --level "$MAX" ;;
    zip-9) (cd "$PACK/$2" && "$STOPWATCH" "$TABLE" "pack.$1.$2" "$3" zip -q -9 -r "$out" .) ;;
    7z-mx9) (cd "$PACK/$2" && "$STOPWATCH" "$TABLE" "pack.$1.$2" "$3" "$SEVENZIP" a -tzip -mx9 -bd -bso0 "$out" .) ;;
    7z-mx5) (cd "$PACK/$2" && "$STOPWATCH" "$TABLE" "pack.$1.$2" "$3" "$SEVENZIP" a -tzip -mx5 -bd -bso0 "$out" .) ;;
  esac
  fact "packsize.$1.$2.$3" "$(stat -c %s "$out")"
  case $1 in sfx-*) fact "packsum.$1.$2.$3" "$(sha256sum <"$out" | cut -c1-16)" ;; esac
}

names=(sfx-default sfx-max zip-9 7z-mx9 7z-mx5)
say "timing $ROUNDS rounds of ${names[*]} on each payload"
for round in $(seq "$ROUNDS"); do
  for payload in bench real; do
    # Each round starts with the next contender, so each runs early and late alike.
    for k in 0 1 2 3 4; do pack "${names[(k + round) % 5]}" "$payload" "$round"; done
  done
done

say "checking every installer byte for byte, and -j 1 against the default"
for payload in bench real; do
  for name in sfx-default sfx-max; do
    rm -rf "$PACK/x" && mkdir -p "$PACK/x"
    "$SFXPACK" verify -q "$(output "$name" "$payload")"
    "$SFXPACK" extract -q "$(output "$name" "$payload")" -d "$PACK/x"
    (cd "$PACK/$payload" && find . -type f -printf '%P\n' | sort) | while read -r file; do
      cmp -s "$PACK/$payload/$file" "$PACK/x/$file" || { say "$name.$payload: $file differs"; exit 1; }
    done
  done
  sfxcreate "pack.sfx-default-j1.$payload" 1 "$payload" "$PACK/out/j1.exe" -j 1
  cmp -s "$PACK/out/j1.exe" "$(output sfx-default "$payload")" || { say "-j 1 gave other bytes"; exit 1; }
  fact "same.j1.$payload" yes
done

# The bill of materials' cost: the same create with and without --sbom, one after the other in
# each round, the one that goes first alternating, so that both see the same machine.
say "timing $SBOM_ROUNDS rounds of create and create --sbom on the benchmark payload"
for round in $(seq "$SBOM_ROUNDS"); do
  order=(plain sbom)
  [ $((round % 2)) -eq 1 ] || order=(sbom plain)
  for kind in "${order[@]}"; do
    rm -f "$PACK/out/bom.exe" "$PACK/out/bom.cdx.json"
    if [ "$kind" = sbom ]; then
      sfxcreate "bom.sbom" "$round" bench "$PACK/out/bom.exe" --sbom "$PACK/out/bom.cdx.json"
    else
      sfxcreate "bom.plain" "$round" bench "$PACK/out/bom.exe"
    fi
  done
done
cmp -s "$PACK/out/bom.exe" "$(output sfx-default bench)" || { say "create --sbom gave other installer bytes"; exit 1; }
"$SFXPACK" list --sbom "$PACK/out/bom.exe" | cmp -s - "$PACK/out/bom.cdx.json" ||
  { say "list --sbom gave other bytes than create --sbom"; exit 1; }
fact bom.same yes

say "sweeping the levels once on each payload"
for payload in bench real; do
  for level in $(seq 1 "$MAX"); do
    sfxcreate "sweep.$level.$payload" 1 "$payload" "$PACK/out/sweep.exe" --level "$level"
    fact "sweepsize.$level.$payload" "$(stat -c %s "$PACK/out/sweep.exe")"
  done
done

say "packing one member made of the benchmark payload twice, for the memory bound"
mkdir -p "$PACK/large"
cp "$PROBE" "$PACK/large/setupprobe.exe"
echo "large" >"$PACK/large/setup.lst"
cat "$PACK/bench"/*.* "$PACK/bench"/*.* >"$PACK/large/large.bin"
sfxcreate "pack.large" 1 large "$PACK/out/large.exe"
fact large.bytes "$(stat -c %s "$PACK/large/large.bin")"
fact large.stored "$(stat -c %s "$PACK/out/large.exe")"
"$SFXPACK" verify -q "$PACK/out/large.exe"
"$SFXPACK" list --json "$PACK/out/sfx-default.bench.exe" >"$OUT/pack-bench.json"
"$SFXPACK" list --json "$PACK/out/sfx-default.real.exe" >"$OUT/pack-real.json"
fact pack.elapsed "$((SECONDS - BEGAN))"
rm -rf "$PACK"
