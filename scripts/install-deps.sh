#!/usr/bin/env bash
# Installs the Debian packages that the two builds and the tests need, and only those still missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Host build, stub build, end-to-end runs under Wine, fuzzing and static checks.
want=(cmake make g++ libgtest-dev zlib1g-dev libdeflate-dev
      g++-mingw-w64-i686 libz-mingw-w64-dev
      clang libclang-rt-14-dev cppcheck clang-tidy
      unzip 7zip gnuplot-nox valgrind)
want_i386=(wine wine32:i386)

missing=()
for p in "${want[@]}" "${want_i386[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
