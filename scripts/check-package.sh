#!/usr/bin/env bash
# Checks the Debian package that `make package` wrote: its Depends names the package of every
# library that sfxpack needs (so that it starts on a bare machine), and it carries the copyright
# file, the changelog, the third-party notices and the documents, whose links all resolve where
# they are installed, as they do in the Windows zip beside it. Then lintian, which must find
# nothing to warn of.
#   check-package.sh [DEB [ZIP]]   (default: the ones in build/release/package)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build/release/package/sfxpack_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "check-package: no package; run make package first" >&2; exit 1; }

tree=$(mktemp -d "${TMPDIR:-/tmp}/sfxdeb.XXXXXX")
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
status=0
fail() { echo "check-package: $*" >&2; status=1; }

# Depends as bare package names, one a line: versions and alternatives dropped.
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed -E 's/\(.*\)//; s/[[:space:]]//g' | grep . || true)
# Each library sfxpack needs, looked up by its name in this architecture's library folders
# (other architectures' copies, such as lib32's, belong to other packages).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
needed=$(readelf -d "$tree/usr/bin/sfxpack" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "sfxpack needs no shared library? readelf found none"
for lib in $needed; do
  owners=$(dpkg -S "*/$multiarch/$lib" 2>/dev/null | cut -d: -f1 | sort -u || true)
  [ -n "$owners" ] || { fail "no installed package holds $lib"; continue; }
  for package in $owners; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package, which holds $lib"
  done
done

doc="$tree/usr/share/doc/sfxpack"
for file in copyright changelog.gz THIRD_PARTY_NOTICES.txt; do
  [ -s "$doc/$file" ] || fail "the package lacks /usr/share/doc/sfxpack/$file"
done
version=$(dpkg-deb -f "$deb" Version)
if [ -s "$doc/changelog.gz" ] && ! zcat "$doc/changelog.gz" | head -n 1 | grep -qF "sfxpack ($version)"; then
  fail "the changelog's latest entry is not version $version"
fi

# The documents keep their folders, so that every link between them works once installed: in the
# package's doc folder, and in the Windows zip unpacked.
for file in README.md docs/format.md LICENSE; do
  [ -s "$doc/$file" ] || fail "the package lacks /usr/share/doc/sfxpack/$file"
done
python3 scripts/check-links.py --tree "$doc" || fail "the package's documents have broken links (above)"
zip=${2:-$(dirname "$deb")/sfx-$version-win64.zip}
if [ -f "$zip" ]; then
  mkdir "$tree/zip"
  unzip -q "$zip" -d "$tree/zip"
  python3 scripts/check-links.py --tree "$tree/zip" || fail "the Windows zip's documents have broken links (above)"
else
  fail "no Windows zip at $zip; make package makes it"
fi

lintian --fail-on error,warning "$deb" 2> >(grep -v "root privileges" >&2) || fail "lintian: see above"
[ "$status" -ne 0 ] || echo "check-package: $(basename "$deb"): Depends covers $(wc -w <<<"$needed") libraries; lintian clean"
exit "$status"
