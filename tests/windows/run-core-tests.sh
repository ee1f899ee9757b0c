#!/usr/bin/env bash
# Runs the core's test programs, built for Windows, under Wine in a prefix of their own, and
# fails on any failure. The field synthesis picks its widest SIMD kernel at run time and the tests
# run each kernel the processor has, skipping the others; a Windows build that failed to see the
# processor's AVX would skip them silently, so the run also fails unless every kernel this
# processor can run passed under Wine.
#
# WINELOADER names the Wine of the programs' width, 64-bit unless it says otherwise, and WINEARCH
# the kind of prefix (win32 for the 32-bit programs).
#
# usage: run-core-tests.sh PROGRAM.exe...
set -uo pipefail

wine=${WINELOADER:-/usr/lib/wine/wine64}
[ -x "$wine" ] || { echo "FAIL: no Wine at $wine (Debian's wine64, or wine32 from i386)"; exit 1; }

prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINELOADER=$wine WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT
# No window opens here, so Wine needs no display.
unset DISPLAY WAYLAND_DISPLAY

# The kernels this processor runs, by the names the tests give them.
flags=$(grep -m1 '^flags' /proc/cpuinfo)
has() { grep -qw "$1" <<<"$flags"; }
kernels=(Baseline)
has avx2 && has fma && kernels+=(Avx2)
has avx2 && has fma && has avx512f && has avx512vl && has avx512dq && kernels+=(Avx512)

failures=0
log=$(mktemp)
passed=$(mktemp)
for program in "$@"; do
  name=$(basename "$program")
  start=$(date +%s)
  "$wine" "$program" >"$log" 2>&1
  status=$?
  echo "$name: exit status $status in $(($(date +%s) - start)) s"
  if [ "$status" -ne 0 ]; then
    cat "$log"
    failures=$((failures + 1))
  fi
  # Tests parameterised by kernel carry its name last; each kernel this processor has must have
  # run, and none of them may have been skipped.
  for kernel in "${kernels[@]}"; do
    if grep -q "^\[  SKIPPED \] .*/$kernel\b" "$log"; then
      echo "FAIL: $name skipped the $kernel kernel under Wine, which this processor runs:"
      grep "^\[  SKIPPED \] .*/$kernel\b" "$log"
      failures=$((failures + 1))
    fi
  done
  grep '^\[       OK \] ' "$log" >>"$passed"
done
for kernel in "${kernels[@]}"; do
  runs=$(grep -c "/$kernel\b" "$passed")
  echo "tests that passed with the $kernel kernel: $runs"
  [ "$runs" -gt 0 ] || { echo "FAIL: no test ran the $kernel kernel"; failures=$((failures + 1)); }
done
rm -f "$log" "$passed"
echo "kernels this processor runs, each of which had to pass: ${kernels[*]}"
[ "$failures" -eq 0 ]
