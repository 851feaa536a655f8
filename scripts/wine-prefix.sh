#!/usr/bin/env bash
# Prepares the Wine prefix that the end-to-end tests, the demo and the benchmarks share, once per
# machine and Wine version, and leaves its wineserver running so that each later run starts
# quickly. Prints the prefix.
# Usage: scripts/wine-prefix.sh [PREFIX]    makes it if needed, then prints it
#        scripts/wine-prefix.sh --path      prints where it is (or would be), nothing more
#   default: $SFX_WINE_PREFIX, else ${XDG_CACHE_HOME:-$HOME/.cache}/sfx/wine-<Wine's version>
# The prefix lives outside the clone so that every clean clone and CI run on a machine reuse it;
# making one costs minutes, since the 32-bit half of Wine boots under qemu on some kernels.
set -euo pipefail
cd "$(dirname "$0")/.."
wine64=/usr/lib/wine/wine64
version=$("$wine64" --version 2>/dev/null | awk '{print $1}' | tr -c 'A-Za-z0-9.\n-' _)
[ -n "$version" ] || version=wine-unknown
default="${SFX_WINE_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/sfx/$version}"
if [ "${1:-}" = --path ]; then realpath -m "$default"; exit 0; fi
export WINEPREFIX="$(realpath -m "${1:-$default}")"
export WINEDEBUG=-all
# No Mono, no Gecko, no menu entries: none is needed, and each would slow the first boot.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

# A prefix counts as made only when the marker is there and the pieces each run needs exist;
# anything less (a run killed half-way, a folder cleaned by hand) is made again from nothing.
ready() {
  [ -f "$WINEPREFIX/.sfx-ready" ] && [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/user.reg" ] &&
    [ -d "$WINEPREFIX/drive_c/windows/system32" ] && [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] &&
    grep -q 'RelayInclude.*kernel32.SetDefaultDllDirectories' "$WINEPREFIX/user.reg"
}

mkdir -p "$(dirname "$WINEPREFIX")"
# One maker at a time: a second caller waits for the first and then finds the prefix ready.
exec {lock}>"$WINEPREFIX.make-lock"
flock "$lock"
if ! ready; then
  echo "wine-prefix: preparing $WINEPREFIX (the first time takes a few minutes)" >&2
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # The relay trace is limited to the calls the tests read. (ready() looks for the entry added
  # last, so that a prefix made before it was added is made again.)
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
    /d 'user32.MessageBoxA;kernel32.CreateProcessA;kernel32.Sleep;kernel32.ExitProcess;kernel32.WaitForInputIdle;user32.LoadCursorA;user32.SetCursor;kernel32.SetDllDirectoryA;kernel32.SetDefaultDllDirectories' \
    >/dev/null 2>&1
  wineserver -w
  # One start with each loader, so that whatever Wine finishes lazily on a new prefix is done
  # before the first test's run rather than during it.
  "$wine64" cmd /c exit >/dev/null 2>&1 || true
  /usr/lib/wine/wine 'c:\windows\syswow64\cmd.exe' /c exit >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.sfx-ready"
  ready || { echo "wine-prefix: $WINEPREFIX is incomplete after wineboot" >&2; exit 1; }
fi
exec {lock}>&-
# A persistent server: it outlives every run until killed with `wineserver -k`. When one is
# already running this fails, which is fine.
wineserver -p 2>/dev/null || true
echo "$WINEPREFIX"
