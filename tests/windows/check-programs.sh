#!/usr/bin/env bash
# Reads each Windows program built here and fails:
# - unless it imports only DLLs that come with Windows itself: a DLL of the compiler's run-time
#   (libstdc++, libgcc, winpthread) or of any library would have to be shipped beside it, and the
#   program would not start where it is missing;
# - unless Windows may load it at any address (of the whole 64-bit range, for a 64-bit program)
#   and keeps its data from being run, as the release builds' hardening on Linux asks there;
# - if it moves a vector to or from the stack with an aligned move that the stack's alignment
#   does not promise. 64-bit Windows aligns the stack to 16 bytes only and MinGW's GCC does not
#   realign it there, so a 32- or 64-byte aligned move of a spilled AVX register faults whenever
#   the frame lands off a 32-byte boundary. 32-bit Windows promises 4 bytes, and GCC realigns
#   there: every aligned move of any vector on the stack must be in a function that realigns it.
#   This finds them even in the kernels this processor cannot run.
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

aligned_move='[[:space:]](v?movap[sd]|v?movdqa(32|64)?)[[:space:]]'
# The aligned vector moves on the stack in 32-bit functions that do not realign it, with the
# function's name before each.
unrealigned_moves() {
  "$objdump" -d --no-show-raw-insn "$1" | awk -v move="$aligned_move" '
    / <.*>:$/ { name = $2; realigned = 0; next }
    /[[:space:]]and[[:space:]]+\$0xf+[ec]?0,%esp/ { realigned = 1 }
    $0 ~ move && /%[xyz]mm/ && /\(%e[sb]p\)/ && !realigned { print name, $0 }'
}

for program in "$@"; do
  name=$(basename "$program")
  headers=$("$objdump" -p "$program" 2>/dev/null)
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  flags=(DYNAMIC_BASE NX_COMPAT)
  wide=no
  grep -q 'file format pei-x86-64' <<<"$headers" && wide=yes
  [ "$wide" = yes ] && flags+=(HIGH_ENTROPY_VA)
  for flag in "${flags[@]}"; do
    grep -qw "$flag" <<<"$headers" || fail "$name is not marked $flag"
  done
  [ -n "$dlls" ] || fail "$name has no import table that $objdump can read"
  for dll in $dlls; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    if [[ "$system_dlls" != *" $lower "* && "$lower" != api-ms-win-* ]]; then
      fail "$name imports $dll, which Windows does not have"
    fi
  done
  if [ "$wide" = yes ]; then
    aligned=$("$objdump" -d --no-show-raw-insn "$program" |
      grep -E "$aligned_move" | grep -E '%[yz]mm' | grep -E '\(%r[sb]p\)')
  else
    aligned=$(unrealigned_moves "$program")
  fi
  [ -z "$aligned" ] || fail "$name moves vectors on the stack with aligned moves it cannot trust:
$(head -5 <<<"$aligned")"
  echo "$name imports: $(tr '\n' ' ' <<<"$dlls")"
done
[ "$failures" -eq 0 ]
