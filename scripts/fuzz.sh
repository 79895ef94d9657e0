#!/usr/bin/env bash
# Builds the fuzz harnesses of fuzz/ with clang into build-fuzz/ and runs each
# for SECONDS (default 60) under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, then prints what each did. The seed corpora are
# made from the game's own fonts in build/, so build the game first. Inputs
# that found something new stay in build-fuzz/corpus/ for the next run; a
# crash is saved in build-fuzz/crashes/ and fails the run. With --build it
# only builds them.
#   scripts/fuzz.sh [SECONDS | --build]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

# libFuzzer comes with clang's runtime libraries, a package of its own.
probe='extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }'
if ! command -v clang++ >/dev/null 2>&1 ||
  ! echo "$probe" | clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  echo "fuzz: SKIPPED: no clang++ with libFuzzer (install clang and libclang-rt-14-dev)"
  exit 0
fi

cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DFLAGRUN_RUN_DIR="$PWD/build" >/dev/null
cmake --build build-fuzz -j"$(nproc)"
if [ "$seconds" = --build ]; then
  exit 0
fi

export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
mkdir -p build-fuzz/crashes
harnesses=(font text replay net)
# All at once, each for its SECONDS of wall time: the machine's cores share them.
pids=()
for harness in "${harnesses[@]}"; do
  mkdir -p "build-fuzz/corpus/$harness"
  "build-fuzz/${harness}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$harness-" \
    "build-fuzz/corpus/$harness" "build-fuzz/seeds/$harness" >"build-fuzz/$harness.log" 2>&1 &
  pids+=($!)
done
for i in "${!harnesses[@]}"; do
  harness=${harnesses[$i]}
  log="build-fuzz/$harness.log"
  if ! wait "${pids[$i]}"; then
    tail -n 40 "$log"
    echo "fuzz: $harness FAILED: the input is in build-fuzz/crashes/, the log in $log"
    exit 1
  fi
  # The last status line holds the coverage, the final statistics the rest.
  status_line=$(grep -E '^#[0-9]+[[:space:]].* cov: ' "$log" | tail -n 1 || true)
  field() { echo "$status_line" | sed -nE "s/.* $1: ([^ ]+).*/\1/p"; }
  stat() { sed -nE "s/^stat::$1: +//p" "$log"; }
  echo "fuzz: $harness: $(stat number_of_executed_units) runs in $seconds s" \
    "($(stat average_exec_per_sec)/s), coverage $(field cov) edges and $(field ft) features," \
    "corpus $(field corp), peak $(stat peak_rss_mb) MB, nothing found"
done
