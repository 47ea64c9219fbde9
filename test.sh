#!/usr/bin/env bash
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure_packages.sh
ensure_packages build-essential cmake ninja-build pkg-config libexpat1-dev googletest libgtest-dev libgmock-dev \
  ffmpeg dvdauthor mkvtoolnix mediainfo qt6-base-dev libgl-dev libjpeg-dev nlohmann-json3-dev \
  clang libclang-rt-14-dev python3 xauth xvfb desktop-file-utils appstream

build=${VANTREL_TEST_BUILD:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_TESTS=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

# The fuzz targets: a second build with clang and libFuzzer (the libraries and
# the targets only), then a smoke run of every target over its seed corpus.
VANTREL_FUZZ_BUILD=${VANTREL_FUZZ_BUILD:-build-fuzz-test} tools/scripts/fuzz.sh all 3
