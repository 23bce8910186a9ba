#!/usr/bin/env bash
# Set up, build the release, and start the game.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIREL_TESTS=OFF -DMIREL_BENCHMARKS=OFF
cmake --build build/release -j "$(nproc)"
ln -sf build/release/compile_commands.json compile_commands.json 2>/dev/null || true
# The program runs from its folder, which the build puts together with the
# settings, the splash screens and the game's data beside it.
if [ -x build/release/Tarrowdene/game ]; then
  exec build/release/Tarrowdene/game "$@"
fi
echo "play: the engine and its tools are built; there is no game to start yet."
