#!/usr/bin/env bash
# Installs what is missing, builds flagrun and runs every test: the tests of
# whole programs, online games, the package and the real windows under Xvfb,
# then the unit and replay tests and the program tests again, built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
# Every test has its own timeout, so a hang fails the run within minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# CI sets FLAGRUN_WERROR=ON: a warning fails the build there.
werror=-DFLAGRUN_WERROR=${FLAGRUN_WERROR:-OFF}

./scripts/setup.sh test

# The unit test programs run in the sanitizer build below: the optimised build runs the tests
# of whole programs, windows and the package.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLAGRUN_TESTS=ON -DFLAGRUN_UNIT_TESTS=OFF \
  -DFLAGRUN_BENCHMARKS=ON "$werror"
cmake --build build -j"$jobs"

# The sanitizer build and the fuzz harnesses compile while the tests that keep no time run,
# which leave much of the machine idle; the window tests, which time the game, run after them.
(
  # Line tables are all a sanitizer's report needs, and compile faster than full debug data.
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DFLAGRUN_SANITIZE=ON -DFLAGRUN_BENCHMARKS=OFF "$werror"
  cmake --build build-asan -j"$jobs"
  ./scripts/fuzz.sh --build
) >build/side-builds.log 2>&1 &
builder=$!
trap 'kill "$builder" 2>/dev/null || true' EXIT
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300 -LE window
if ! wait "$builder"; then
  tail -n 60 build/side-builds.log
  echo "the sanitizer or fuzz build FAILED: its log is build/side-builds.log"
  exit 1
fi
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300 -L window

ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300 -LE "window|trial"

# Each fuzz harness for 10 s, all at once (skipped, saying so, without clang), and beside them
# 100,000 frames of the soak run. `make fuzz` and `make soak` run the long ones.
./tools/soak/soak.py --frames 100000 >build/soak.log 2>&1 &
soak=$!
./scripts/fuzz.sh 10
if ! wait "$soak"; then
  cat build/soak.log
  echo "the soak run FAILED"
  exit 1
fi
cat build/soak.log
