#!/usr/bin/env bash
# Reads each Windows program built here and fails:
# - unless it imports only DLLs that come with Windows itself: a DLL of the compiler's run-time
#   (libstdc++, libgcc, winpthread) or of any library would have to be shipped beside it, and the
#   program would not start where it is missing;
# - unless Windows may load it at any address (of the whole 64-bit range) and keeps its data
#   from being run, as the release builds' hardening on Linux asks there;
# - if it moves a 32- or 64-byte vector to or from the stack with an aligned move. Windows aligns
#   the stack to 16 bytes only and MinGW's GCC does not realign it, so such a move of a spilled AVX
#   register faults whenever the frame lands off a 32-byte boundary. This finds it even for the
#   kernels this processor cannot run.
#
# usage: check-programs.sh OBJDUMP PROGRAM...
set -uo pipefail

objdump=$1
shift
# Windows' own DLLs that a program of ours may reasonably import, in lower case.
system_dlls=" kernel32.dll user32.dll gdi32.dll ws2_32.dll msvcrt.dll advapi32.dll shell32.dll
  comctl32.dll comdlg32.dll ole32.dll oleaut32.dll uxtheme.dll version.dll shcore.dll "

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for program in "$@"; do
  name=$(basename "$program")
  headers=$("$objdump" -p "$program" 2>/dev/null)
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || fail "$name is not marked $flag"
  done
  [ -n "$dlls" ] || fail "$name has no import table that $objdump can read"
  for dll in $dlls; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    if [[ "$system_dlls" != *" $lower "* && "$lower" != api-ms-win-* ]]; then
      fail "$name imports $dll, which Windows does not have"
    fi
  done
  aligned=$("$objdump" -d --no-show-raw-insn "$program" |
    grep -E '\s(vmovap[sd]|vmovdqa(32|64)?)\s' | grep -E '%[yz]mm' | grep -E '\(%r[sb]p\)')
  [ -z "$aligned" ] || fail "$name moves wide vectors on the stack with aligned moves:
$(head -5 <<<"$aligned")"
  echo "$name imports: $(tr '\n' ' ' <<<"$dlls")"
done
[ "$failures" -eq 0 ]
