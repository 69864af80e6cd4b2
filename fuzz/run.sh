#!/usr/bin/env bash
# Builds the script fuzzer with clang 14 (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build/fuzz and runs it for SECONDS (default 60) under a private X server. Exits non-zero when
# the fuzzer reports a crash, a hang, a leak of the sanitizers' kind or undefined behaviour.
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCORVEL_FUZZ=ON -DCORVEL_BUILD_TESTS=OFF -DCORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target corvel_fuzz_script

corpus="$build/corpus"
artifacts="$build/artifacts"
mkdir -p "$corpus" "$artifacts"
export ALSOFT_DRIVERS=null
# Leaks from the GL and X libraries are not ours.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" # the engine writes debug.txt and save data into the current directory
xvfb-run -a -s "-screen 0 1280x720x24" "$build/fuzz/corvel_fuzz_script" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus" "$root/fuzz/seeds"
