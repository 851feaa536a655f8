#!/usr/bin/env bash
# The demo: packs an installer from the files in demo/, runs it under Wine without a display,
# shows what it unpacked and what the set-up program received, then runs it again with q.
set -euo pipefail
cd "$(dirname "$0")/.."

pack=build/release/sfxpack
out=build/demo
mkdir -p "$out"

echo "== Packing $out/demo-setup.exe"
"$pack" create -o "$out/demo-setup.exe" \
  --setup setup.exe=build/win32/demosetup.exe --project demo/demo.lst \
  --support demo/readme.txt --support demo/license.txt --support demo/colors.ini
"$pack" list "$out/demo-setup.exe"
"$pack" verify "$out/demo-setup.exe"

prefix=$(bash scripts/wine-prefix.sh)
# Wine's server and services end with the demo.
trap 'bash scripts/wine-prefix.sh --stop' EXIT
drive="$prefix/drive_c"
wine_run() {
  # One Wine run at a time in the shared prefix; the 32-bit loader may run under emulation.
  # -o: the lock is not handed down to a wineserver this run may start, which would hold it.
  (. scripts/wine-env.sh && flock -o "$prefix/.lock" env WINEPREFIX="$prefix" WINEDEBUG=-all setarch -R wine "$@")
}

rm -rf "$drive/_setup" "$drive/demo" "$drive/demo-received.txt"
mkdir -p "$drive/demo"
cp "$out/demo-setup.exe" "$drive/demo/"

echo
echo "== Running c:\\demo\\demo-setup.exe under Wine (the first start may take a minute)"
start=$(date +%s)
status=0
wine_run 'c:\demo\demo-setup.exe' || status=$?
echo "exit code: $status, $(( $(date +%s) - start )) s"
# The set-up program runs on by itself once started; give it a moment to write its note.
for _ in $(seq 1 300); do [ -s "$drive/demo-received.txt" ] && break; sleep 0.2; done
echo "c:\\_setup holds:"
(cd "$drive/_setup" && for f in *; do printf '  %-12s %7d bytes\n' "$f" "$(stat -c %s "$f")"; done)
echo "the set-up program received:"
printf '  %s\n' "$(cat "$drive/demo-received.txt")"

echo
echo "== Running c:\\demo\\demo-setup.exe q (clean-up)"
status=0
wine_run 'c:\demo\demo-setup.exe' q || status=$?
echo "exit code: $status"
if [ -e "$drive/_setup" ]; then
  echo "c:\\_setup is still there:"; ls -la "$drive/_setup"; exit 1
fi
echo "c:\\_setup is gone."
