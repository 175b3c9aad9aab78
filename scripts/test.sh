#!/usr/bin/env bash
# Quick start: installs what is missing, builds, and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   scripts/test.sh --tsan      ThreadSanitizer build in build-tsan/ (slow: not part of .ci/run);
#                               extra arguments go to ctest, e.g. --tsan -R test_platform_dshow
#   scripts/test.sh --tsan-build  only builds the threaded code (filter graph, player, video
#                               source) and its test programs with ThreadSanitizer, without running
#                               them: what .ci/run does, so that the --tsan build cannot rot
#   scripts/test.sh --fuzz      the fuzz targets' short run (scripts/fuzz.sh), clang build in build-fuzz/
# The layering of includes is checked first (scripts/check-layers.sh): it takes no build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/check-layers.sh"
"$root/scripts/install-deps.sh"
if [[ "${1:-}" == "--fuzz" ]]; then
  exec "$root/scripts/fuzz.sh"
fi
export QT_QPA_PLATFORM=offscreen
if [[ "${1:-}" == "--sanitize" ]]; then
  BUILD_TYPE=Debug "$root/scripts/build.sh" "$root/build-asan" -DQUELLON_SANITIZE=ON
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
  cd "$root/build-asan"
elif [[ "${1:-}" == "--tsan-build" ]]; then
  # The same configuration as --tsan (scripts/build.sh), but only these targets.
  cmake -S "$root" -B "$root/build-tsan" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DQUELLON_WERROR=ON \
    -DQUELLON_TSAN=ON >/dev/null
  cmake --build "$root/build-tsan" -j "$(nproc)" --target \
    test_platform_dshow test_platform_mediaplayer test_videosource test_videosource_grabber
  exit
elif [[ "${1:-}" == "--tsan" ]]; then
  shift
  "$root/scripts/build.sh" "$root/build-tsan" -DQUELLON_TSAN=ON
  # Qt is not built with ThreadSanitizer: tests/tsan.supp says what is suppressed inside it.
  export TSAN_OPTIONS="halt_on_error=0:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp"
  cd "$root/build-tsan"
  ctest --output-on-failure -j "$(nproc)" --timeout 1800 "$@"
  exit
else
  "$root/scripts/build.sh" "$root/build"
  cd "$root/build"
fi
ctest --output-on-failure -j "$(nproc)" --timeout 600
