#!/usr/bin/env bash
# Checks the promise of the run command: on a fresh machine it installs only what building and
# running need, none of the test tools, and the programs configure without the test libraries.
# The test command's list holds everything the run command's does, and the test tools.
#
# usage: check-setup.sh CMAKE SOURCE_DIR
set -uo pipefail

cmake=$1 source=$2
scripts=$source/tools/scripts
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

run_list=$(bash "$scripts/setup.sh" --list) || fail "setup.sh --list failed"
test_list=$(bash "$scripts/setup.sh" --tests --list) || fail "setup.sh --tests --list failed"
for tool in clang valgrind xvfb xdotool imagemagick sway googletest libgtest-dev libbenchmark-dev lintian; do
  grep -qx "$tool" <<<"$run_list" && fail "the run command would install $tool"
  grep -qx "$tool" <<<"$test_list" || fail "the test command would not install $tool"
done
# Nor may anything the run command's packages depend on, however indirectly, bring them in.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $run_list 2>/dev/null | grep -E '^[a-z0-9]' | sort -u)
if [ -z "$closure" ]; then
  fail "apt-cache cannot list what the run command's packages depend on"
fi
for tool in clang clang-14 valgrind xvfb xdotool imagemagick sway googletest libgtest-dev libbenchmark-dev lintian; do
  grep -qx "$tool" <<<"$closure" && fail "the run command's packages pull in $tool"
done
while read -r package; do
  grep -qx "$package" <<<"$test_list" || fail "the test command would not install $package"
done <<<"$run_list"
grep -qE '^bash "\$here/setup\.sh"$' "$scripts/run.sh" || fail "run.sh does not run setup.sh without --tests"
grep -qE '^bash "\$here/build\.sh" --programs$' "$scripts/run.sh" || fail "run.sh does not build the programs alone"
grep -qE '^(step [a-z-]+ )?bash "\$here/setup\.sh" --tests( \| tee "\$set_up_log")?$' "$scripts/test.sh" ||
  fail "test.sh does not set up the tests"

# The programs' build as run.sh configures it, with GoogleTest and benchmark out of reach.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! "$cmake" -S "$source" -B "$scratch" -G Ninja -DONDELINE_TESTS=OFF -DONDELINE_BENCH=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$scratch.log" 2>&1; then
  fail "the programs do not configure without the test libraries:"
  sed 's/^/    /' "$scratch.log"
fi
rm -f "$scratch.log"

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "ok: the run command installs $(wc -l <<<"$run_list") packages ($(wc -l <<<"$closure") with what they" \
  "depend on), none of the test tools;" \
  "the test command $(wc -l <<<"$test_list"); the programs configure without GoogleTest and benchmark"
