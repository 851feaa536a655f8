#!/usr/bin/env bash
# Runs each libFuzzer target for FUZZ_SECONDS (60 by default) on a scratch copy of the corpus.
# Fails on any crash, leak, hang (over 1 s per input) or sanitizer report, and copies the input
# that did it into tests/fuzz/regressions/ for `make test` to replay.
#   FUZZ_SECONDS  seconds per target (CI smoke pass: 30)
#   FUZZ_BUILD    the fuzz build folder (build/fuzz, as the fuzz preset makes it)
#   FUZZ_TARGETS  which targets to run (default: every one that was built)
#   FUZZ_MERGE=1  afterwards, merge inputs that reached new coverage into tests/fuzz/corpus
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build/fuzz}
targets=${FUZZ_TARGETS:-extract inspect differential}
fuzz=tests/fuzz

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sfxfuzz-run.XXXXXX")
# The extraction target makes and removes a handful of files per input: on a memory file system
# it runs about ten times faster than on disk.
roots=$(mktemp -d /dev/shm/sfxfuzz-roots.XXXXXX 2>/dev/null || mktemp -d "$scratch/roots.XXXXXX")
trap 'rm -rf "$scratch" "$roots"' EXIT

ran=0
failed=0
for target in $targets; do
  binary="$build/tests/fuzz/sfxfuzz_$target"
  if [ ! -x "$binary" ]; then
    # The inspect target needs the sfxpack library; a build without it has only the other.
    echo "fuzz: $binary not built, skipped"
    continue
  fi
  work="$scratch/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  # Seeds and past crashers both; the repository's corpus is never written by a plain run.
  cp "$fuzz"/corpus/* "$work/corpus/"
  find "$fuzz/regressions" -maxdepth 1 -type f ! -name '*.txt' ! -name '*.md' -exec cp {} "$work/corpus/" \;

  echo "fuzz: $target for ${seconds}s"
  left=$seconds
  stalls=0
  verdict=clean
  while :; do
    began=$SECONDS
    status=0
    # The targets make their drive roots under TMPDIR; the trap removes any a crash leaves.
    TMPDIR="$roots" "$binary" "$work/corpus" \
      -max_total_time="$left" -timeout=1 -rss_limit_mb=2048 -dict="$fuzz/archive.dict" \
      -artifact_prefix="$work/artifacts/" -print_final_stats=1 >>"$work/log" 2>&1 || status=$?
    left=$((left - (SECONDS - began)))
    if [ "$status" -eq 0 ] && [ -z "$(ls -A "$work/artifacts")" ]; then break; fi

    # The targets are deterministic, so a real hang comes back when its input runs alone again.
    # One that doesn't was the machine stalling (other programs had the CPU): it is reported,
    # not failed, and the run goes on for the time that is left. A third one fails the run.
    artifacts=("$work/artifacts"/*)
    if [ "${#artifacts[@]}" -eq 1 ] && [[ "$(basename "${artifacts[0]}")" == timeout-* ]] &&
       [ "$stalls" -lt 2 ] &&
       TMPDIR="$roots" "$binary" -timeout=1 -runs=3 "${artifacts[0]}" >>"$work/log" 2>&1; then
      stalls=$((stalls + 1))
      echo "fuzz: $target: an input took over 1 s once but not when run alone again; the machine stalled"
      rm -f "${artifacts[0]}"
      if [ "$left" -gt 0 ]; then continue; fi
      break
    fi
    verdict=failed
    break
  done
  ran=$((ran + 1))

  grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -1 || true
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/log" || true

  if [ "$verdict" = failed ]; then
    failed=1
    echo "fuzz: $target FAILED (exit $status); the end of its log:"
    tail -60 "$work/log"
    for artifact in "$work/artifacts"/*; do
      [ -e "$artifact" ] || continue
      kind=$(basename "$artifact" | cut -d- -f1)
      name="$fuzz/regressions/$target-$kind-$(sha1sum "$artifact" | cut -c1-8).bin"
      cp "$artifact" "$name"
      echo "fuzz: saved $name; rename it after what it found, fix the fault, commit both"
    done
    continue
  fi

  if [ "${FUZZ_MERGE:-0}" = 1 ]; then
    before=$(ls "$fuzz/corpus" | wc -l)
    TMPDIR="$roots" "$binary" -merge=1 -timeout=1 -rss_limit_mb=2048 \
      "$fuzz/corpus" "$work/corpus" >"$work/merge.log" 2>&1
    echo "fuzz: corpus $before -> $(ls "$fuzz/corpus" | wc -l) files"
  fi
done

if [ "$ran" -eq 0 ]; then
  echo "fuzz: no target built in $build; run: cmake --preset fuzz && cmake --build --preset fuzz" >&2
  exit 1
fi
exit "$failed"
