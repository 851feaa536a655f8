#!/usr/bin/env bash
# install-deps.sh against stand-in apt-get and dpkg-query: a mirror mid-sync, a mixed-suite
# install that only the main suites can satisfy, a held lock, and a failure that nothing mends.
set -euo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/etc/sources.list.d"

# Every package is missing; apt-get logs each call and fails as the row says.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$stand_in/calls"
private=0; [[ "$*" == *Dir::Etc::SourceParts=* ]] && private=1
if [[ " $* " == *" update "* ]]; then
  n=$(($(cat "$stand_in/updates" 2>/dev/null || echo 0) + 1)); echo $n >"$stand_in/updates"
  if [ $private = 0 ] && [ "$n" -le "$update_fails" ]; then
    echo "E: Failed to fetch http://mirror/debian-security/dists/rel-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?"
    exit 100
  fi
  # What the private list holds, for the row to read.
  [ $private = 0 ] || cat "$(sed -E 's/.*Dir::Etc::SourceParts=([^ ]+).*/\1/' <<<"$*")"/* >"$stand_in/private"
  exit 0
fi
[ $private = 1 ] && [ "$install_fails" = main ] && exit 0
[ "$install_fails" = never ] && exit 0
echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100
STUB
chmod +x "$work/bin/"*
cat >"$work/etc/sources.list.d/debian.sources" <<'EOF2'
Types: deb
URIs: http://mirror/debian
Suites: rel rel-updates rel-backports
Components: main

Types: deb
URIs: http://mirror/debian-security
Suites: rel-security
Components: main
EOF2
echo 'deb [arch=amd64] http://mirror/debian rel main' >"$work/etc/sources.list"
echo 'VERSION_CODENAME=rel' >"$work/os-release"

failed=0
# Row: updates that fail, which installs fail (never, main = all but the private one, always),
# the exit status and the words expected in the output.
row() {
  local updates=$1 installs=$2 status=$3; shift 3
  rm -f "$work/calls" "$work/updates" "$work/private"
  local out got=0
  out=$(env PATH="$work/bin:$PATH" stand_in="$work" update_fails="$updates" install_fails="$installs" \
        SFX_APT_RETRY_SECONDS=0 SFX_APT_ETC="$work/etc" SFX_OS_RELEASE="$work/os-release" \
        bash "$script" build 2>&1) || got=$?
  local bad=""
  [ "$got" = "$status" ] || bad="exit $got, not $status"
  for want in "$@"; do grep -qF -- "$want" <<<"$out$(cat "$work/calls" "$work/private" 2>/dev/null)" || bad="$bad; no '$want'"; done
  grep 'install' "$work/calls" | grep -qv 'DPkg::Lock::Timeout' && bad="$bad; an install that does not wait for the lock"
  if [ -n "$bad" ]; then echo "FAIL [$updates $installs]: $bad"; echo "$out" | sed 's/^/    /'; failed=1; else echo "ok   [$updates $installs]"; fi
}
row 1 never 0 "update"                                   # a failed update tried again
row 9 never 0 "failed 3 times" "rel-security/main/binary-i386/Packages.xz"  # then gone on without it
row 9 main 0 "security updates" "Suites: rel rel-updates" "deb [arch=amd64] http://mirror/debian rel main"
row 0 always 1 "could not install"
# The private list holds the release's main suites and nothing else.
row 0 main 0 "installed without"
! grep -qE 'security|backports' "$work/private" || { echo "FAIL: the private list keeps $(grep -E 'security|backports' "$work/private")"; failed=1; }
[ "$(grep -c ' update' "$work/calls")" = 2 ] || { echo "FAIL: expected one update of each list"; failed=1; }
exit $failed
