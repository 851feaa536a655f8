#!/usr/bin/env bash
# Checks built stubs against their byte budgets and their import tables against the two DLLs
# the stub may use, so that growth or a stray C runtime import fails a test instead of shipping.
# Usage: check-stub.sh STUB BUDGET [STUB BUDGET]...
set -euo pipefail

status=0
while [ $# -ge 2 ]; do
  stub=$1 budget=$2
  shift 2
  if [ ! -f "$stub" ]; then
    echo "FAIL $stub: not built (make win32 win64)"; status=1; continue
  fi
  size=$(stat -c %s "$stub")
  if [ "$size" -gt "$budget" ]; then
    echo "FAIL $stub: $size bytes, over its budget of $budget"; status=1
  else
    echo "ok   $stub: $size bytes, budget $budget"
  fi
  dlls=$(objdump -p "$stub" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | paste -sd' ')
  if [ "$dlls" != "kernel32.dll user32.dll" ]; then
    echo "FAIL $stub: imports ${dlls:-nothing readable}, not only kernel32.dll and user32.dll"; status=1
  else
    echo "ok   $stub: imports $dlls"
  fi
done
exit $status
