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

say() { echo "install-deps: $*" >&2; }
# Another apt run (an unattended upgrade, a second clone) is waited for rather than failed on.
lock_wait=(-o DPkg::Lock::Timeout=600)

# A mirror caught mid-sync fails one index with "File has unexpected size": tried again a few
# times, then the run goes on with the indexes it has and names the one that failed.
update() {
  local try log; log=$(mktemp)
  for try in 1 2 3; do
    if $SUDO apt-get "${lock_wait[@]}" update -qq >"$log" 2>&1; then rm -f "$log"; return 0; fi
    [ "$try" = 3 ] || sleep "${SFX_APT_RETRY_SECONDS:-10}"
  done
  say "apt-get update failed 3 times; going on with the package lists it has. It said:"
  grep -E '^(E|W): ' "$log" | sed 's/^/  /' >&2 || true
  rm -f "$log"
}

install() { $SUDO apt-get "${lock_wait[@]}" "$@" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }

# The machine's own Debian entries cut down to the release's main suites (CODENAME and
# CODENAME-updates), in a private folder: a package whose amd64 half came from the security suite
# while its i386 half is only in the main suite can't be installed for both (Multi-Arch wants one
# version), and a security index caught mid-sync can't be read at all. The machine's apt set-up is
# left as it is.
# (SFX_APT_ETC and SFX_OS_RELEASE stand in for /etc/apt and /etc/os-release in the script's test.)
apt_etc=${SFX_APT_ETC:-/etc/apt}
main_suites() {
  local codename=$1 out=$2 f
  for f in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v keep="$codename $codename-updates" '
      function flush() { if (suites != "") printf "%s%sSuites: %s\n\n", head, tail, suites; head = tail = suites = ""; seen = 0 }
      /^[[:space:]]*$/ { flush(); next }
      /^Suites:/ { seen = 1; n = split(keep, k, " ");
                   for (i = 2; i <= NF; i++) for (j = 1; j <= n; j++) if ($i == k[j]) suites = suites (suites == "" ? "" : " ") $i
                   next }
      { if (seen) tail = tail $0 "\n"; else head = head $0 "\n" }
      END { flush() }' "$f" >"$out/$(basename "$f")"
  done
  for f in "$apt_etc"/sources.list "$apt_etc"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v a="$codename" -v b="$codename-updates" '
      $1 == "deb" { s = ($2 ~ /^\[/) ? 4 : 3; for (i = 3; i < s; i++) if ($i ~ /\]$/) s = i + 1; if ($s == a || $s == b) print }' \
      "$f" >"$out/$(basename "$f" .list)-main.list"
  done
}

install_from_main_suites() {
  local codename work status=0
  codename=$(. "${SFX_OS_RELEASE:-/etc/os-release}" 2>/dev/null && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { say "the release's codename can't be read from /etc/os-release"; return 1; }
  work=$(mktemp -d)
  mkdir -p "$work/parts" "$work/lists/partial"
  main_suites "$codename" "$work/parts"
  local private=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/parts"
                 -o "Dir::State::Lists=$work/lists")
  say "trying again from $codename and $codename-updates alone, without the security suite"
  $SUDO apt-get "${lock_wait[@]}" "${private[@]}" update -qq >/dev/null 2>&1 || say "apt-get update on those suites had errors"
  install "${private[@]}" || status=1
  rm -rf "$work"
  [ $status = 0 ] || return 1
  say "installed without this release's security updates; to get them later: apt-get update && apt-get upgrade"
}

if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ ${#want_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  update
  if ! install; then
    say "the install failed"
    install_from_main_suites || { say "could not install ${missing[*]}; see apt-get's messages above"; exit 1; }
  fi
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
