#!/usr/bin/env bash
# Installs what the game needs and is missing, builds the game and its
# assets (no tests, no benchmarks) and starts it from its run directory
# (build/), where it finds its sprites and fonts. Arguments go to the game:
#   ./scripts/play.sh --scale 2
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh play
# A first configuration leaves out the tests, whose packages only
# ./scripts/test.sh installs; a build/ that test.sh made keeps its settings.
options=()
if [ ! -f build/CMakeCache.txt ]; then
  options=(-DFLAGRUN_TESTS=OFF -DFLAGRUN_BENCHMARKS=OFF)
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
cmake --build build -j"$(nproc)" --target flagrun
cd build
exec ./flagrun "$@"
