#!/usr/bin/env bash
# Installs the Debian packages that the two builds and the tests need, and only those still
# missing; then makes sure 32-bit Windows programs can run under Wine on this kernel.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Host build, stub build, end-to-end runs under Wine (signed installers: osslsigncode, openssl),
# fuzzing, static checks, benchmarks.
want=(cmake make g++ libgtest-dev zlib1g-dev libdeflate-dev
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev osslsigncode
      clang libclang-rt-14-dev cppcheck clang-tidy
      openssl unzip 7zip gnuplot-nox valgrind python3 qemu-user-static)
want_i386=(wine wine64 wine32:i386)

missing=()
for p in "${want[@]}" "${want_i386[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit loader is an i386 program. Some kernels can't run those natively; there the
# loader runs under qemu's user-mode emulator, registered with binfmt_misc.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  if [ ! -e "$binfmt/register" ]; then
    echo "install-deps: mounting binfmt_misc"
    $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    echo "install-deps: registering qemu-i386-static for i386 programs"
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | $SUDO tee "$binfmt/register" >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "install-deps: Wine's 32-bit loader does not run" >&2; exit 1; }
fi
