#!/usr/bin/env bash
# Installs every Debian package the project needs, skipping what is already
# there. This is the one list of the project's dependencies.
set -euo pipefail

PACKAGES=(
  # build tools
  build-essential cmake ninja-build pkg-config git
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev libfuzzer-14-dev
  # the code's format (.clang-format)
  clang-format
  # the symbolizer, so that sanitizer and fuzzer traces name their functions
  llvm
  # engine dependencies
  zlib1g-dev libzzip-dev libmng-dev libjpeg62-turbo-dev libpng-dev
  libogg-dev libtheora-dev libsndfile1-dev
  # platform layer: window, audio and input
  libsdl2-dev
  # splash library and desktop tests
  libx11-dev xvfb xauth
  # the game in a real window: a window manager, and real X key and mouse events
  openbox xdotool
  # content tools: font rasterizing, SVG rendering, clip art, the game's
  # faces (sans, serif display, handwriting) and speech
  libfreetype-dev librsvg2-dev libcairo2-dev libxml2-dev openclipart-svg
  fonts-dejavu-core fonts-linuxlibertine fonts-dancingscript espeak-ng
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: every package is installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
