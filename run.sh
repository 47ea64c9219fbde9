#!/usr/bin/env bash
# Installs what is missing, builds a release build and runs the main job on
# the bundled sample. Extra arguments go to vantrel-cli.
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure_packages.sh
ensure_packages build-essential cmake ninja-build pkg-config
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build"
echo "The command line is not built yet." >&2
