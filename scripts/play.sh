#!/usr/bin/env bash
# Installs what is missing, builds flagrun and starts it from its run
# directory (build/), where it finds its sprites and fonts.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
exec ./flagrun
