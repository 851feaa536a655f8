#!/usr/bin/env bash
# make test: builds the stubs, sfxpack and sfxpack.exe and the tests, and runs every test. The
# Wine prefixes, made once per machine, are made while the code compiles rather than after it.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
(bash scripts/wine-prefix.sh && bash scripts/wine-prefix.sh --pe32) >build/wine-prefix.log 2>&1 &
prefixes=$!
# The servers end with the run, whatever ends it.
trap 'bash scripts/wine-prefix.sh --stop' EXIT
make --no-print-directory win32 win64 winpack asan
# A prefix that failed is made again, and its failure shown, by the wine.prefix tests.
wait "$prefixes" || true
ctest --preset asan -j2
