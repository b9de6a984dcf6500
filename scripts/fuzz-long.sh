#!/bin/sh
# A long fuzz run of one target outside CI: scripts/fuzz-long.sh TARGET MINUTES
# Builds the fuzzers with clang without the sanitizers (several times more
# executions per second than the CI's sanitizer build) in build-fuzz-long/,
# runs TARGET over a scratch copy of its corpus for MINUTES, and prints the
# number of executions and what it found. Inputs that crash are written to
# build-fuzz-long/findings/TARGET/; a fixed one belongs in fuzz/corpus/TARGET.
set -eu
if [ $# -ne 2 ]; then
    echo "usage: $0 TARGET MINUTES   (TARGET: fuzz_oto, fuzz_wave, fuzz_alias, fuzz_vbscript, fuzz_frq)" >&2
    exit 2
fi
target=$1
minutes=$2
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz-long"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++-14 \
      -DLIRRA_FUZZ=ON -DLIRRA_SANITIZE=OFF -DLIRRA_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build "$build" -j2 --target "$target"

corpus="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$corpus" "$findings"
cp -n "$root/fuzz/corpus/$target"/* "$corpus"/ 2>/dev/null || true
log="$build/$target.log"
status=0
"$build/bin/$target" -max_total_time=$((minutes * 60)) -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" >"$log" 2>&1 || status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
found=$(find "$findings" -type f | wc -l)
echo "$target: ${executions:-?} executions in $minutes min, $found finding(s) in $findings (log: $log)"
exit $status
