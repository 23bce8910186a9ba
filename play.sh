#!/usr/bin/env bash
# Set up, build the release, and start the game.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIREL_TESTS=OFF -DMIREL_BENCHMARKS=OFF
cmake --build build/release -j "$(nproc)"
ln -sf build/release/compile_commands.json compile_commands.json 2>/dev/null || true
# The program runs from its assembled folder (Tarrowdene.ini, splashscreens/, gameres/).
exec build/release/Tarrowdene/game "$@"
