#!/usr/bin/env bash
# Installs what is missing, builds flagrun and runs every test: the unit and
# replay tests, the real-window tests under Xvfb, and then the unit and
# replay tests again built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

./scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DFLAGRUN_SANITIZE=ON -DFLAGRUN_BENCHMARKS=OFF
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE window

# Each fuzz harness for 10 s (skipped, saying so, without clang), and 100,000
# frames of the soak run: about two minutes. `make fuzz` and `make soak` run
# the long ones.
./scripts/fuzz.sh 10
./tools/soak/soak.py --frames 100000
