#!/usr/bin/env bash
# Prepares the Wine prefix that the end-to-end tests, the demo and the benchmarks share, once,
# and leaves its wineserver running so that each later run starts quickly. Prints the prefix.
# Usage: scripts/wine-prefix.sh [PREFIX]   (default: build/wine)
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$(realpath -m "${1:-build/wine}")"
export WINEDEBUG=-all
# No Mono, no Gecko, no menu entries: none is needed, and each would slow the first boot.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

if [ ! -f "$WINEPREFIX/.sfx-ready" ]; then
  echo "wine-prefix: preparing $WINEPREFIX (the first time takes a few minutes)" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # The relay trace is limited to the calls the tests read.
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
    /d 'user32.MessageBoxA;kernel32.CreateProcessA;kernel32.Sleep;kernel32.ExitProcess;kernel32.WaitForInputIdle;user32.LoadCursorA;user32.SetCursor' \
    >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.sfx-ready"
fi
# A persistent server: it outlives every run until killed with `wineserver -k`. When one is
# already running this fails, which is fine.
wineserver -p 2>/dev/null || true
echo "$WINEPREFIX"
