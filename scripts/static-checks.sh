#!/usr/bin/env bash
# Static checks over src/ and tools/: the include layers (scripts/include-layers.py), cppcheck and
# clang-tidy (bugprone and cert, see .clang-tidy and tools/.clang-tidy); the documents' links
# (scripts/check-links.py); then the Debian package that make package wrote
# (scripts/check-package.sh: its Depends, its documents and their links, lintian).
# src/ is checked for the host build and for the win32 build, so both backends are seen with their
# own headers; tools/ (sfxpack, which parses hostile installers) is host-only.
# Any finding fails the run. Suppressions stand beside the code they concern, with the reason.
#   STATIC_BUILD  where the two throwaway builds are configured (a fresh temp folder by default)
set -euo pipefail
cd "$(dirname "$0")/.."
src="$PWD/src"
tools="$PWD/tools"

scratch=${STATIC_BUILD:-$(mktemp -d "${TMPDIR:-/tmp}/sfxstatic.XXXXXX")}
[ -n "${STATIC_BUILD:-}" ] || trap 'rm -rf "$scratch"' EXIT

# Only the compile commands are wanted, nothing is built. The host build skips its tests
# (they need GoogleTest) and takes the sanitizer flags the host preset uses.
cmake -S . -B "$scratch/host" -DCMAKE_BUILD_TYPE=Debug -DSFX_TESTS=OFF -DSFX_SANITIZE=ON \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake -S . -B "$scratch/win32" --toolchain cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

status=0

# The include arrows of src/ and tools/ run down their folders' layers, never up.
echo "static-checks: include layers"
python3 scripts/include-layers.py >/dev/null || status=1

# cppcheck's style family, less the checks that argue with the code's deliberate form:
#  - cstyleCast: the stub is C-style C++ over allocators that return void*, without RTTI;
#    the casts are the idiom, and the sanitized tests and fuzzing check what they do. In tools/
#    the only casts are between byte pointer types at zlib's and std::string's C interfaces.
#  - useStlAlgorithm: src/ stays free of the STL so the stub stays small; a raw loop is the rule.
#    tools/ keeps the same loops where they mirror the stub's reading, so both read alike.
#  - passedByValue in tools/: sfxpack's ByteView is a pointer and a length, passed by value as
#    std::string_view is; a reference to it would only add an indirection.
cppcheck_common=(--enable=warning,style,performance,portability --std=c++17 --inline-suppr
                 --error-exitcode=1 --quiet --suppress=cstyleCast --suppress=useStlAlgorithm
                 --suppress="passedByValue:$tools/*"
                 --file-filter="$src/*")
echo "static-checks: cppcheck (host, src/ and tools/)"
cppcheck "${cppcheck_common[@]}" --file-filter="$tools/*" --project="$scratch/host/compile_commands.json" || status=1
echo "static-checks: cppcheck (win32)"
cppcheck "${cppcheck_common[@]}" --project="$scratch/win32/compile_commands.json" \
  --library=windows --platform=win32A || status=1

# The source files of src/ and tools/ that each build compiles (the win32 build's resource script
# aside; the win32 build has no tools/).
sources() {
  grep -o '"file": "[^"]*"' "$1" | cut -d'"' -f4 | grep -E "^($src|$tools)/.*\.cpp$" | sort -u
}
jobs=$(nproc 2>/dev/null || echo 2)
for build in host win32; do
  echo "static-checks: clang-tidy ($build)"
  # clang-tidy knows the MinGW target from the compiler's name and finds <windows.h> itself.
  sources "$scratch/$build/compile_commands.json" |
    xargs -P "$jobs" -n 1 clang-tidy -p "$scratch/$build" --quiet 2>/dev/null || status=1
done

# Every relative link and #anchor of the README, docs/ and the folders' READMEs resolves.
echo "static-checks: links in the documents"
python3 scripts/check-links.py || status=1

# Here rather than in make test, which builds no release tree and so no package.
echo "static-checks: the Debian package"
bash scripts/check-package.sh || status=1

if [ "$status" -ne 0 ]; then
  echo "static-checks: FAILED" >&2
else
  echo "static-checks: clean"
fi
exit "$status"
