#!/usr/bin/env bash
# Checks that each program carries the hardening Debian builds its packages with, as the loader
# and a distribution's checkers see it: a position-independent executable, relocations made
# read-only (GNU_RELRO) once every symbol is bound at start (BIND_NOW), the stack protector,
# and string and memory calls replaced by their checked forms (__*_chk).
#
# usage: check-hardening.sh PROGRAM...
set -uo pipefail

command -v readelf >/dev/null && command -v nm >/dev/null ||
  { echo "FAIL: readelf and nm are missing (Debian package binutils)"; exit 1; }
[ $# -gt 0 ] || { echo "usage: check-hardening.sh PROGRAM..."; exit 2; }

failures=0
for program in "$@"; do
  name=$(basename "$program")
  dynamic=$(readelf -dW "$program" 2>&1)
  headers=$(readelf -lW "$program" 2>&1)
  symbols=$(nm -D "$program" 2>&1)
  missing=()
  grep -q 'Type:.*DYN' <<<"$(readelf -hW "$program")" && grep -qE 'FLAGS_1.*\bPIE\b' <<<"$dynamic" ||
    missing+=("PIE")
  grep -qE '\(BIND_NOW\)|FLAGS\).*\bBIND_NOW\b|FLAGS_1.*\bNOW\b' <<<"$dynamic" || missing+=("BIND_NOW")
  grep -qE '^ *GNU_RELRO ' <<<"$headers" || missing+=("GNU_RELRO")
  grep -qE ' U __stack_chk_fail' <<<"$symbols" || missing+=("stack protector")
  fortified=$(grep -cE ' U __[a-z_]+_chk(@|$)' <<<"$symbols")
  [ "$fortified" -gt 0 ] || missing+=("fortified calls")
  if [ ${#missing[@]} -eq 0 ]; then
    echo "ok: $name: PIE, BIND_NOW, GNU_RELRO, stack protector, $fortified fortified calls" \
      "($(grep -oE '__[a-z_]+_chk\b' <<<"$symbols" | sort -u | tr '\n' ' ' | sed 's/ $//'))"
  else
    echo "FAIL: $name lacks ${missing[*]}"
    failures=$((failures + 1))
  fi
done
exit $((failures != 0))
