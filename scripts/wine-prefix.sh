#!/usr/bin/env bash
# Prepares the Wine prefixes that the end-to-end tests, the demo and the benchmarks share, once
# per machine and Wine version, and leaves each one's wineserver running so that each later run
# starts quickly, until --stop ends them. Prints the prefix.
# Usage: scripts/wine-prefix.sh [--pe32|PREFIX]  makes it if needed, then prints it
#        scripts/wine-prefix.sh --path            prints where it is (or would be), nothing more
#        scripts/wine-prefix.sh --stop            ends the servers of both and what Wine runs in them
#   default: $SFX_WINE_PREFIX, else ${XDG_CACHE_HOME:-$HOME/.cache}/sfx/wine-<Wine's version>
#   --pe32: the same path with -pe32 behind it, a second drive C: in which the PE32 runs go on
#           beside the others (c:\_setup is one folder per prefix)
#   SFX_WINE32_QEMU=1: the 32-bit half boots under qemu, as on a kernel without i386 support
# The prefix lives outside the clone so that every clean clone and CI run on a machine reuse it.
set -euo pipefail
cd "$(dirname "$0")/.."
wine64=/usr/lib/wine/wine64
version=$("$wine64" --version 2>/dev/null | awk '{print $1}' | tr -c 'A-Za-z0-9.\n-' _)
[ -n "$version" ] || version=wine-unknown
default=$(realpath -m "${SFX_WINE_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/sfx/$version}")
case "${1:-}" in
  --path) echo "$default"; exit 0 ;;
  --pe32) set -- "$default-pe32" ;;
  --stop)
    # Only a prefix that exists has a server to stop; wineserver would make one otherwise.
    for prefix in "$default" "$default-pe32"; do
      [ ! -d "$prefix" ] || WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    done
    exit 0 ;;
esac
export WINEPREFIX="$(realpath -m "${1:-$default}")"
export WINEDEBUG=-all
. scripts/wine-env.sh

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
  # The 64-bit wineboot: the 32-bit one would boot the whole prefix under qemu where the kernel
  # can't run i386 programs, where only the 32-bit half's set-up needs to.
  emulate=()
  [ "${SFX_WINE32_QEMU:-}" != 1 ] || emulate=(bash scripts/emulate-i386.sh)
  ${emulate[@]+"${emulate[@]}"} setarch -R "$wine64" wineboot -i >/dev/null 2>&1
  # The relay trace is limited to the calls the tests read. (ready() looks for the entry added
  # last, so that a prefix made before it was added is made again.)
  setarch -R "$wine64" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
    /d 'user32.MessageBoxA;kernel32.CreateProcessA;kernel32.Sleep;kernel32.ExitProcess;kernel32.WaitForInputIdle;user32.LoadCursorA;user32.SetCursor;kernel32.SetDllDirectoryA;kernel32.SetDefaultDllDirectories' \
    >/dev/null 2>&1
  wineserver -w
  # One start, so that whatever Wine finishes lazily on a new prefix is done before the first
  # test's run rather than during it.
  setarch -R "$wine64" cmd /c exit >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.sfx-ready"
  ready || { echo "wine-prefix: $WINEPREFIX is incomplete after wineboot" >&2; exit 1; }
fi
exec {lock}>&-
# A persistent server: it outlives every run until killed with `wineserver -k`. When one is
# already running this fails, which is fine. The server makes every file and folder, so its umask
# decides their modes, which Wine reads back as access lists: with 000 a folder made without
# attributes is open to everyone, as one made in C:\ is on Windows.
(umask 000 && wineserver -p) 2>/dev/null || true
echo "$WINEPREFIX"
