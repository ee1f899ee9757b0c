#!/usr/bin/env bash
# Fails when the water's code computes on the x87 unit: its 80-bit intermediates can round a ring
# sum to another of the levels, so a 32-bit picture would differ from the 64-bit one and Linux's.
# Moving a double through the x87 registers, as the 32-bit calling convention returns one, and
# converting between doubles and 64-bit integers are exact and allowed; arithmetic is not.
#
# usage: check-sse-arithmetic.sh OBJDUMP LIBRARY...
set -uo pipefail

objdump=$1
shift
failures=0
for library in "$@"; do
  name=$(basename "$library")
  x87=$("$objdump" -d --no-show-raw-insn "$library" |
    grep -E '^\s+[0-9a-f]+:\s+f(add|sub|mul|div|sqrt|cos|sin|sincos|prem|ptan|patan|yl2x|2xm1|scale|rndint)[a-z]*\s')
  if [ -n "$x87" ]; then
    echo "FAIL: $name computes on the x87 unit ($(wc -l <<<"$x87") instructions):"
    head -5 <<<"$x87"
    failures=$((failures + 1))
  else
    echo "$name: no x87 arithmetic"
  fi
done
[ "$failures" -eq 0 ]
