#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs them over their seed corpora.
#
#   tools/scripts/fuzz.sh                    every target for 3 seconds (the smoke run of ./test.sh)
#   tools/scripts/fuzz.sh TARGET SECONDS     one target for longer, e.g. fuzz.sh engine 900
#   tools/scripts/fuzz.sh all SECONDS        every target, one after the other
#
# The committed seeds (fuzz/corpus/TARGET) are only read; inputs that reach
# new code are kept in $build/corpus/TARGET for the next run. A finding is
# written to $build/findings/ and makes the script exit with status 1.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${VANTREL_FUZZ_BUILD:-build-fuzz}
which=${1:-all}
seconds=${2:-3}

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_GUI=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_all

if [ "$which" = all ]; then
  targets=$(ls fuzz/fuzz_*.cpp | sed 's|fuzz/fuzz_||; s|\.cpp$||')
else
  targets=$which
fi

status=0
mkdir -p "$build/findings"
for target in $targets; do
  mkdir -p "$build/corpus/$target"
  log="$build/findings/$target.log"
  seeds=()
  [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
  if "$build/fuzz/fuzz_$target" "$build/corpus/$target" "${seeds[@]}" \
       -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
       -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz_$target: $runs runs in ${seconds}s, no finding"
  else
    echo "fuzz_$target: FINDING (see $log)"
    grep -E "ERROR|runtime error|Test unit written" "$log" | head -5
    status=1
  fi
done
exit $status
