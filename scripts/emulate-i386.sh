#!/usr/bin/env bash
# Runs a command with every i386 program it starts (Wine's 32-bit loader and the programs it
# starts) under qemu-i386-static, as on a kernel that can't run i386 programs itself, so that any
# machine can measure that path. The command gets a user and mount namespace of its own with a
# private binfmt_misc (Linux 6.7 and later) in which qemu takes i386 ELF files; the rest of the
# machine keeps running them natively.
# Usage: scripts/emulate-i386.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ "${SFX_IN_EMULATED_NS:-}" != 1 ]; then
  export SFX_IN_EMULATED_NS=1
  exec unshare --user --map-root-user --mount bash "$0" "$@"
fi
binfmt=/proc/sys/fs/binfmt_misc
if ! mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
  echo "emulate-i386: this kernel gives no private binfmt_misc to a namespace (Linux 6.7 or later needed)" >&2
  exit 125
fi
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >"$binfmt/register"
unset SFX_IN_EMULATED_NS
exec "$@"
