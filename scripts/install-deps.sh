#!/usr/bin/env bash
# Installs the Debian packages that a make target needs, and only those still missing:
#   build  what the builds need: sfxpack, the stubs, sfxpack.exe and the Debian package (make)
#   wine   that and Wine, with 32-bit Windows programs made to run on this kernel (make demo)
#   all    everything: the tests, fuzzing, static checks and benchmarks too (make test)
set -euo pipefail
need=${1:-all}
case $need in build|wine|all) ;; *) echo "install-deps: say build, wine or all, not $need" >&2; exit 2 ;; esac

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# The stubs build zlib from its source package, unpacked with tar and patch; ccache keeps what
# one clone compiled for the next. The Debian package's Depends comes from dpkg-shlibdeps (dpkg-dev).
# The Windows download is zipped by Python, with the manual page laid out as text by groff.
# sfxpack hashes its bills of materials with OpenSSL's libcrypto (libssl-dev; sfxpack.exe uses CNG).
want=(cmake make ccache g++ zlib1g-dev libdeflate-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
      bzip2 xz-utils patch dpkg-dev python3 groff-base libssl-dev)
want_i386=()
if [ "$need" != build ]; then
  want+=(wine wine64 qemu-user-static locales)
  want_i386+=(wine32:i386)
fi
if [ "$need" = all ]; then
  # Tests, signing tests (osslsigncode, openssl), resource checks (icoutils), fuzzing, static checks
  # (lintian for the Debian package), benchmarks (whose peers are zip, unzip and 7-Zip).
  want+=(libgtest-dev osslsigncode openssl icoutils clang libclang-rt-14-dev cppcheck clang-tidy lintian
         zip unzip 7zip gnuplot-nox valgrind python3 strace)
  # Bills of materials are checked against the CycloneDX schema by Debian's jsonschema, its IRI
  # formats by rfc3987. The schema comes from npm, only downloaded: a machine with its own Node
  # keeps its npm, Debian's is installed only where there is none.
  want+=(python3-jsonschema python3-rfc3987)
  command -v npm >/dev/null || want+=(npm)
fi

missing=()
for p in "${want[@]}" ${want_i386[@]+"${want_i386[@]}"}; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ ${#want_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "$need" != build ] || exit 0

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

# Locales whose ANSI code pages the code-page tests run the stubs under: Wine takes its code page
# from LC_ALL (en_US 1252, ru_RU 1251, ja_JP 932).
if [ "$need" != build ]; then
  for name in en_US ru_RU ja_JP; do
    locale -a 2>/dev/null | grep -qix "$name.utf-\?8" || $SUDO localedef -i "$name" -f UTF-8 "$name.UTF-8"
  done
fi

# zlib's source package, for the stub's inflater built for size. Without it the stub build falls
# back to Debian's libz.a and says so.
if ! bash "$(dirname "$0")/fetch-zlib.sh" >/dev/null; then
  echo "install-deps: zlib's source package could not be had; the stub will link Debian's libz.a (larger)"
fi
# libdeflate's source package, built into sfxpack.exe (Debian has no MinGW build of it).
if ! bash "$(dirname "$0")/fetch-libdeflate.sh" >/dev/null; then
  echo "install-deps: libdeflate's source package could not be had; sfxpack.exe will deflate with zlib alone"
fi
# The CycloneDX schema that the tests check bills of materials against.
if [ "$need" = all ] && ! bash "$(dirname "$0")/fetch-bom-schema.sh" >/dev/null; then
  echo "install-deps: the CycloneDX schema could not be had; the bill of materials tests will fail" >&2
fi
