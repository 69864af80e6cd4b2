#!/usr/bin/env bash
# Builds Corvel twice (normal, and with AddressSanitizer + UndefinedBehaviorSanitizer) and runs the
# whole test suite under a private X server each time, then a short fuzzing run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ALSOFT_DRIVERS=null
# Leak reports from the GL and X libraries are not ours; everything else fails the run.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite() {
  local build_dir="$1"
  shift
  "$root/tools/setup.sh" "$build_dir" "$@"
  "$root/tools/with-xvfb.sh" ctest --test-dir "$build_dir" -j2 --output-on-failure
}

echo "== normal build =="
run_suite "$root/build/tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build =="
run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DCORVEL_SANITIZE=ON -DCORVEL_BUILD_BENCH=OFF
if [[ -x "$root/fuzz/run.sh" ]]; then
  echo "== fuzzing =="
  "$root/fuzz/run.sh" 60
fi
