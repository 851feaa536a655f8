#!/usr/bin/env bash
# Fetches a Debian source package, verifies it against its .dsc, unpacks and patches it in a
# cache outside the clone, and prints the source tree's path. The callers pin the package:
# fetch-zlib.sh (the stub's size-built inflater), fetch-libdeflate.sh (sfxpack.exe's deflate).
# Usage: fetch-source.sh PACKAGE VERSION DSC_SHA256 FILE_IN_TREE
#
# Debian's own client fetches it, but with a private sources folder, list folder and cache, so the
# machine's apt set-up is left exactly as it was. apt checks every downloaded file against the
# signed Sources index; before every unpack the .dsc is checked against its pinned SHA-256 and the
# tarballs against the .dsc's SHA-256 sums, so a damaged cache is fetched again, never built from. dpkg-source is not needed: a 3.0 (quilt) source is
# the upstream tarball, the debian tarball and the patches in debian/patches/series, which tar and
# patch apply just as well.
#
# Exit status 1, with the reason on stderr, when the source can't be had; the caller's build then
# falls back as it says.
set -euo pipefail

package=$1
version=$2                        # the main archive's version: the security pool may move on
# The .dsc of that version as the archive signed it, so a cached copy is trusted no more than a
# fresh one.
dsc_sha256=$3
landmark=$4                       # a file the unpacked tree must hold
plain=${version#*:}               # 1.2.13.dfsg-1
upstream=${plain%-*}              # 1.2.13.dfsg
cache=${XDG_CACHE_HOME:-$HOME/.cache}/sfx/$package
store=$cache/$plain
tree=$store/$package-$upstream
dsc=$store/${package}_$plain.dsc

say() { echo "fetch-$package: $*" >&2; }
fail() { say "$*"; exit 1; }

mkdir -p "$cache" || fail "can't create $cache"
# Builds may be configured side by side: one of them fetches, the others wait.
exec 9>"$cache/.lock"
flock 9

if [ -f "$tree/.sfx-ready" ]; then echo "$tree"; exit 0; fi

# The .dsc's SHA-256 block lists "sum size name" for every file of the source package.
dsc_files() { sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc"; }

verify() {
  [ -s "$dsc" ] || return 1
  echo "$dsc_sha256  $dsc" | sha256sum --quiet -c - >/dev/null 2>&1 || { say "$(basename "$dsc"): SHA-256 mismatch"; return 1; }
  local sum size name count=0
  while read -r sum size name; do
    [ -f "$store/$name" ] || { say "missing $name"; return 1; }
    [ "$(stat -c %s "$store/$name")" = "$size" ] || { say "$name: wrong size"; return 1; }
    echo "$sum  $store/$name" | sha256sum --quiet -c - >/dev/null 2>&1 || { say "$name: SHA-256 mismatch"; return 1; }
    count=$((count + 1))
  done < <(dsc_files)
  [ "$count" -ge 2 ]
}

fetch() {
  command -v apt-get >/dev/null || fail "apt-get is not here"
  local work status=0; work=$(mktemp -d)
  mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial" "$work/out"
  # The system's own entries, each also offering sources.
  local found=0 f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$f" >"$work/parts/$(basename "$f")"
    found=1
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^deb[[:space:]]+/deb-src /p' /etc/apt/sources.list >"$work/parts/from-list.list"
    found=1
  fi
  [ "$found" = 1 ] || fail "no apt sources on this machine"
  local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/parts"
              -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
              -o "Acquire::Languages=none"
              -o "Acquire::http::Timeout=20" -o "Acquire::Retries=0" -o "APT::Sandbox::User=$(id -un)" -q)
  say "fetching Debian's $package source package $version"
  # A pool that answers 404 (the security pool's newer version) is not fatal: the pin decides.
  apt-get "${opts[@]}" update >"$work/update.log" 2>&1 || say "apt-get update had errors (see below if the fetch fails)"
  if (cd "$work/out" && apt-get "${opts[@]}" source --download-only "$package=$version") >"$work/source.log" 2>&1; then
    mkdir -p "$store" && cp "$work/out"/* "$store/" || status=1
  else
    tail -n 5 "$work/update.log" "$work/source.log" >&2
    status=1
  fi
  rm -rf "$work"
  return $status
}

if ! verify; then
  rm -rf "$store"
  fetch || fail "could not fetch $package $version"
  verify || { rm -rf "$store"; fail "$package $version does not match its .dsc"; }
fi

# Unpack beside the final place, then move it in, so a half-made tree is never taken.
rm -rf "$tree" "$tree.part"
mkdir -p "$tree.part"
while read -r _ _ name; do
  case $name in
    *.orig.tar.*) tar -xf "$store/$name" -C "$tree.part" --strip-components=1 ;;
    *.debian.tar.*) tar -xf "$store/$name" -C "$tree.part" ;;
  esac
done < <(dsc_files)
[ -f "$tree.part/$landmark" ] || fail "unexpected tarball layout"
command -v patch >/dev/null || fail "patch is not here"
while read -r p _; do
  case $p in ''|'#'*) continue ;; esac
  patch -s -p1 -d "$tree.part" <"$tree.part/debian/patches/$p" || fail "patch $p does not apply"
done < <(cat "$tree.part/debian/patches/series" 2>/dev/null || true)
touch "$tree.part/.sfx-ready"
mv "$tree.part" "$tree"
say "$package $version unpacked in $tree"
echo "$tree"
