#!/usr/bin/env bash
# make test: builds the stubs, sfxpack and sfxpack.exe and the tests, and runs every test. The
# Wine prefix, made once per machine, is made while the code compiles rather than after it.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
bash scripts/wine-prefix.sh >build/wine-prefix.log 2>&1 &
prefix=$!
make --no-print-directory win32 win64 winpack asan
# A prefix that failed is made again, and its failure shown, by the wine.prefix test.
wait "$prefix" || true
ctest --preset asan -j2
