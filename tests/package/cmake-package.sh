#!/usr/bin/env bash
# The CMake package as an outside project meets it: installed from this build into a fresh prefix,
# the worked example (examples/cmake) cross-compiled for 64-bit and 32-bit Windows and packed, its
# rebuilds following its inputs; then the prefix moved elsewhere, packing still with its bill of
# materials (checked against the official CycloneDX schema), and mistakes in a call named at
# configure time.
# The example's installer stays in WORK for the Wine run (wine.CMakeExample).
#   cmake-package.sh SOURCE BUILD WORK
set -euo pipefail
src=$1 build=$2 work=$3
fail() { echo "cmake-package: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cp -r "$src/examples/cmake" "$work/source"

# The example: a first build packs, a second does nothing, a touched support file packs again.
cmake -S "$work/source" -B "$work/example" --toolchain "$src/cmake/mingw-x86_64.cmake" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
packs() { cmake --build "$work/example" 2>&1 | grep -c "Packing example-setup.exe" || true; }
[ "$(packs)" = 1 ] || fail "the first build did not pack the installer"
"$work/prefix/bin/sfxpack" verify -q "$work/example/example-setup.exe"
"$work/prefix/bin/sfxpack" list "$work/example/example-setup.exe" | grep -q "FileDescription.*Example set-up" ||
  fail "the installer lacks its version strings"
[ "$(packs)" = 0 ] || fail "a second build packed the installer again"
touch "$work/source/readme.txt"
[ "$(packs)" = 1 ] || fail "a touched support file did not remake the installer"
echo "changed" >>"$work/source/files/docs/manual.txt"
[ "$(packs)" = 1 ] || fail "a file changed in a FILES folder did not remake the installer"

# The example for 32-bit Windows, the stub's main platform: its pointers are 4 bytes and
# sfxpack's 8, yet the package is found. Each build packs its own stub, told by the optional
# header's magic: 010b for PE32, 020b for PE32+.
cmake -S "$work/source" -B "$work/example32" --toolchain "$src/cmake/mingw-i686.cmake" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null || fail "a 32-bit project did not find the package"
cmake --build "$work/example32" >/dev/null
magic() { od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1") + 24)) -N2 "$1" | tr -d ' '; }
[ "$(magic "$work/example/example-setup.exe") $(magic "$work/example32/example-setup.exe")" = "020b 010b" ] ||
  fail "STUB64 did not pack the PE32+ stub, or its absence the PE32 one"

# A prefix moved elsewhere: every path comes from the package's own place.
mv "$work/prefix" "$work/moved prefix"
mkdir -p "$work/call/in"
printf 'cmake_minimum_required(VERSION 3.20)\nproject(call LANGUAGES NONE)\n%s\n%s\n' \
  'find_package(sfx 1.0 CONFIG REQUIRED)' 'sfx_add_installer(call ALL ${CALL})' >"$work/call/CMakeLists.txt"
printf 'x' >"$work/call/in/setup.exe"
printf 'y' >"$work/call/in/setup.lst"
printf 'z' >"$work/call/in/表.txt"
# Configures the call with the arguments given and builds it; its output, and its status.
call() {
  rm -rf "$work/call/build"
  cmake -S "$work/call" -B "$work/call/build" -DCMAKE_PREFIX_PATH="$work/moved prefix" -DCALL="$1" 2>&1 &&
    cmake --build "$work/call/build" 2>&1
}
good="OUTPUT;out.exe;SETUP;in/setup.exe;PROJECT;in/setup.lst"
call "$good;FILES;in;CODEPAGE;932;LEVEL;9;SBOM;out.cdx.json" >/dev/null || fail "the moved prefix did not pack"
"$work/moved prefix/bin/sfxpack" verify -q --codepage 932 "$work/call/build/out.exe"
# The bill of materials is the build step's second output: made with the installer, valid, true to it.
bom="$work/call/build/out.cdx.json"
[ -s "$bom" ] || fail "SBOM wrote no bill of materials"
/usr/bin/python3 "$src/tests/tools/check-bom.py" "$(bash "$src/scripts/fetch-bom-schema.sh")" "$bom" ||
  fail "the bill of materials does not pass the schema"
"$work/moved prefix/bin/sfxpack" verify -q --sbom "$bom" "$work/call/build/out.exe" >/dev/null ||
  fail "the installer does not match its bill of materials"
grep -qF '"name": "表.txt"' "$bom" || fail "the bill of materials lacks the 932 name"
before=$(sha256sum <"$bom")
printf 'x2' >"$work/call/in/setup.exe"
grep -q "Packing out.exe" <<<"$(cmake --build "$work/call/build" 2>&1)" || fail "a changed set-up program did not repack"
[ "$(sha256sum <"$bom")" != "$before" ] || fail "the repacked installer's bill of materials is the old one"
"$work/moved prefix/bin/sfxpack" verify -q --sbom "$bom" "$work/call/build/out.exe" >/dev/null ||
  fail "the repacked installer does not match its bill of materials"
printf 'x' >"$work/call/in/setup.exe"

# Mistakes, each with what its message names; the last only sfxpack can see, when it runs.
while IFS='|' read -r arguments message; do
  if output=$(call "$arguments"); then fail "$arguments: accepted"; fi
  grep -qF "$message" <<<"$output" || fail "$arguments: no \"$message\" in: $output"
done <<EOF2
SETUP;s;PROJECT;p|sfx_add_installer(call): OUTPUT is required
OUTPUT;o;PROJECT;p|sfx_add_installer(call): SETUP is required
OUTPUT;o;SETUP;s|sfx_add_installer(call): PROJECT is required
$good;EXECUTION_LEVEL;asInvoker;MANIFEST;m.xml|EXECUTION_LEVEL and MANIFEST exclude each other
$good;LEVL;3|sfx_add_installer(call): unknown keyword LEVL
$good;SBOM;out.exe|sfx_add_installer(call): SBOM and OUTPUT name one file
$good;SUPPORT;in/表.txt|U+8868 '表' is not in code page 1252
EOF2
echo "cmake-package: sound"
