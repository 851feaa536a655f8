#!/usr/bin/env bash
# Checks built stubs against their byte budgets, their import lists and the header fields that
# binary scanners read, so that growth, a stray import or a lost flag fails a test instead of
# shipping:
# - the imports are exactly the calls below, from kernel32.dll, user32.dll and advapi32.dll (all
#   three known DLLs, loaded from the system folder whatever lies beside the installer; the DLL
#   search calls are looked up at run time, never imported: the stub must start where they are
#   missing);
# - DllCharacteristics: DYNAMIC_BASE and NX_COMPAT, with NO_SEH on the PE32 (true only while no
#   code installs an SEH frame through fs:[0] and there is no load configuration, both checked)
#   and HIGH_ENTROPY_VA on the PE32+; nothing else;
# - a relocation table, and the file header not saying the relocations were stripped;
# - the resources as the last section, which sfxpack rebuilds to brand an installer;
# - the optional header's CheckSum matches the file.
# Usage: check-stub.sh STUB BUDGET [STUB BUDGET]...
set -euo pipefail

imports="advapi32.dll:GetKernelObjectSecurity advapi32.dll:GetTokenInformation advapi32.dll:OpenProcessToken
kernel32.dll:CloseHandle kernel32.dll:CreateDirectoryA kernel32.dll:CreateFileA
kernel32.dll:CreateProcessA kernel32.dll:DeleteFileA kernel32.dll:ExitProcess kernel32.dll:GetCommandLineA kernel32.dll:GetExitCodeProcess kernel32.dll:GetFileAttributesA kernel32.dll:GetFileSize
kernel32.dll:GetLastError kernel32.dll:GetModuleFileNameA kernel32.dll:GetModuleHandleA
kernel32.dll:GetProcAddress kernel32.dll:GetProcessHeap kernel32.dll:GetStdHandle kernel32.dll:GetVolumeInformationA kernel32.dll:GlobalAlloc kernel32.dll:GlobalFree
kernel32.dll:GlobalHandle kernel32.dll:GlobalLock kernel32.dll:GlobalUnlock kernel32.dll:HeapAlloc
kernel32.dll:HeapFree kernel32.dll:HeapReAlloc kernel32.dll:IsDBCSLeadByte kernel32.dll:OpenFile
kernel32.dll:ReadFile kernel32.dll:RemoveDirectoryA kernel32.dll:SetCurrentDirectoryA
kernel32.dll:SetFilePointer kernel32.dll:Sleep kernel32.dll:WaitForSingleObject kernel32.dll:WriteFile
user32.dll:DispatchMessageA user32.dll:GetProcessWindowStation user32.dll:GetUserObjectInformationA
user32.dll:LoadCursorA user32.dll:MessageBoxA user32.dll:PeekMessageA user32.dll:SetCursor
user32.dll:TranslateMessage user32.dll:WaitForInputIdle"
imports=$(echo $imports)

status=0
check() {  # check STUB TEXT ok|no: prints the line and notes a failure
  if [ "$3" = ok ]; then echo "ok   $1: $2"; else echo "FAIL $1: $2"; status=1; fi
}
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }

while [ $# -ge 2 ]; do
  stub=$1 budget=$2
  shift 2
  if [ ! -f "$stub" ]; then
    echo "FAIL $stub: not built (make win32 win64)"; status=1; continue
  fi
  size=$(stat -c %s "$stub")
  [ "$size" -le "$budget" ] && r=ok || r=no
  check "$stub" "$size bytes, budget $budget" $r

  listed=$(objdump -p "$stub" | awk '/DLL Name:/ { dll = tolower($3) }
    /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll ":" $3 }' | sort | paste -sd' ')
  extra=$(comm -23 <(echo "$listed" | tr ' ' '\n') <(echo "$imports" | tr ' ' '\n') | paste -sd' ')
  missing=$(comm -13 <(echo "$listed" | tr ' ' '\n') <(echo "$imports" | tr ' ' '\n') | paste -sd' ')
  [ -n "$listed" ] && [ -z "$extra$missing" ] && r=ok || r=no
  check "$stub" "imports $(echo "$listed" | wc -w) calls, as listed${extra:+; not listed: $extra}${missing:+; missing: $missing}" $r

  pe=$(u32 "$stub" 60)
  optional=$((pe + 24))
  magic=$(u16 "$stub" $optional)
  flags=$(u16 "$stub" $((optional + 70)))
  if [ "$magic" = 267 ]; then  # PE32: data directories at 96; SEH frames hang off fs:[0]
    want=$((0x0540)) wantText="DYNAMIC_BASE NX_COMPAT NO_SEH" directories=$((optional + 96))
    fsUses=$(objdump -d "$stub" | grep -c '%fs:' || true)
    loadConfig=$(u32 "$stub" $((directories + 10 * 8 + 4)))
    [ "$fsUses" = 0 ] && [ "$loadConfig" = 0 ] && r=ok || r=no
    check "$stub" "no SEH frame ($fsUses uses of %fs), no load configuration ($loadConfig bytes)" $r
  else  # PE32+
    want=$((0x0160)) wantText="HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT" directories=$((optional + 112))
  fi
  [ "$flags" = "$want" ] && r=ok || r=no
  check "$stub" "DllCharacteristics $(printf 0x%04x "$flags"), want $(printf 0x%04x $want) ($wantText)" $r

  relocations=$(u32 "$stub" $((directories + 5 * 8 + 4)))
  stripped=$(($(u16 "$stub" $((pe + 22))) & 1))
  [ "$relocations" -gt 0 ] && [ "$stripped" = 0 ] && r=ok || r=no
  check "$stub" "relocation table of $relocations bytes, RELOCS_STRIPPED $stripped" $r

  last=$(objdump -h "$stub" | awk '$1 ~ /^[0-9]+$/ { name = $2 } END { print name }')
  [ "$last" = .rsrc ] && r=ok || r=no
  check "$stub" "last section $last, want .rsrc" $r

  # The PE checksum: the file's 16-bit words summed with the carry folded back, the CheckSum
  # field itself left out, plus the file's length.
  field=$((optional + 64))
  stored=$(u32 "$stub" $field)
  computed=$(od -An -v -tu2 -w2 "$stub" | awk -v skip=$((field / 2)) -v size="$size" '
    NR - 1 != skip && NR - 1 != skip + 1 { sum += $1; sum = sum % 65536 + int(sum / 65536) }
    END { sum = sum % 65536 + int(sum / 65536); print sum + size }')
  [ "$stored" = "$computed" ] && [ "$stored" != 0 ] && r=ok || r=no
  check "$stub" "CheckSum $(printf 0x%08x "$stored"), computed $(printf 0x%08x "$computed")" $r
done
exit $status
