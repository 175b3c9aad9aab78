#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang, libFuzzer and the sanitizers in
# build-fuzz/, makes their seed corpus and runs them.
#   scripts/fuzz.sh                 every target for the short run CI makes
#   scripts/fuzz.sh TARGET RUNS     one target (decode, layout, packed_dib, bmp_file), RUNS inputs
# Extra libFuzzer options can follow RUNS (-jobs=1, -max_total_time=600...).
#   QUELLON_FUZZ_SANITIZERS=undefined scripts/fuzz.sh decode 1000000
# builds without AddressSanitizer in build-fuzz-undefined/ (about twice the runs per second
# on the decoding target) and grows the same corpus; `scripts/fuzz.sh decode 0` then replays
# that whole corpus with every sanitizer. Inputs that
# crash, hang or leak are written to build-fuzz/fuzz-artifacts/ and fail the run; keep each
# one, once fixed, in tests/fuzz/regressions/<target>/ so that test_fuzz_regressions replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitizers=${QUELLON_FUZZ_SANITIZERS:-address,undefined}
build=$root/build-fuzz
[[ $sanitizers == address,undefined ]] || build=$root/build-fuzz-${sanitizers//,/-}
corpus=$root/build-fuzz/fuzz-corpus
# Runs of the short check, per target: under half a minute each on one free core.
declare -A ci_runs=([decode]=2000 [layout]=20000 [packed_dib]=5000 [bmp_file]=30000)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLON_FUZZ=ON \
  -DQUELLON_FUZZ_SANITIZERS="$sanitizers" >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_decode fuzz_layout fuzz_packed_dib fuzz_bmp_file fuzz_seeds
"$root/scripts/fuzz-seeds.sh" "$build/tests/fuzz/fuzz_seeds" "$build/fuzz-seeds"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

run() {  # run TARGET RUNS [libFuzzer options...]
  local target=$1 runs=$2; shift 2
  mkdir -p "$corpus/$target" "$build/fuzz-artifacts"
  echo "fuzz_$target: $runs runs"
  "$build/tests/fuzz/fuzz_$target" -runs="$runs" -max_len=65536 -timeout=30 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" "$@" \
    "$corpus/$target" "$build/fuzz-seeds/$target" "$root/tests/fuzz/regressions/$target"
}

if (($# >= 2)); then
  run "$@"
else
  for target in decode layout packed_dib bmp_file; do
    run "$target" "${ci_runs[$target]}"
  done
fi
