#!/usr/bin/env bash
# Fetches the official CycloneDX 1.6 JSON schema that the tests check every bill of materials
# against, and prints the folder that holds it. The schema ships in an npm package, which npm
# only downloads here: nothing is installed and nothing of it runs, so the machine's Node version
# does not matter. The tarball is checked against its pinned SHA-256, and its three schema files
# (the BOM schema and the two it refers to) are unpacked into a cache outside the clone.
# Exit status 1, with the reason on stderr, when it can't be had.
set -euo pipefail

package=@cyclonedx/cyclonedx-library
version=10.3.0
sha256=9833bd949052eb18218dd64b13ad62d9246f7395eef01c66dad08fcbacf74f01
files=(bom-1.6.SNAPSHOT.schema.json spdx.SNAPSHOT.schema.json jsf-0.82.SNAPSHOT.schema.json)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/sfx/cyclonedx-library-$version
schema=$cache/schema

fail() { echo "fetch-bom-schema: $*" >&2; exit 1; }

mkdir -p "$cache" || fail "can't create $cache"
# Test runs may start side by side: one of them fetches, the others wait.
exec 9>"$cache/.lock"
flock 9
if [ -f "$schema/.sfx-ready" ]; then echo "$schema"; exit 0; fi

command -v npm >/dev/null || fail "npm is not here (scripts/install-deps.sh installs it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "fetch-bom-schema: fetching $package@$version" >&2
# A private npm cache: the machine's is left as it was.
(cd "$work" && npm pack --silent --ignore-scripts --cache "$work/npm-cache" "$package@$version" >/dev/null) ||
  fail "npm could not fetch $package@$version"
tarball=$work/cyclonedx-cyclonedx-library-$version.tgz
echo "$sha256  $tarball" | sha256sum --quiet -c - >/dev/null 2>&1 || fail "$package@$version: SHA-256 mismatch"
tar -xzf "$tarball" -C "$work" "${files[@]/#/package/res/schema/}" || fail "the package lacks the schema files"
rm -rf "$schema" "$schema.part"
mkdir -p "$schema.part"
cp "${files[@]/#/$work/package/res/schema/}" "$schema.part/"
touch "$schema.part/.sfx-ready"
mv "$schema.part" "$schema"
echo "$schema"
