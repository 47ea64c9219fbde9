#!/usr/bin/env bash
# Rebuilds the bundled sample title under samples/ (needs ffmpeg and ffprobe).
# Extra arguments go to vantrel-make-sample, e.g. --bench /tmp/BENCH.EVO.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${VANTREL_SAMPLE_BUILD:-build-sample}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_GUI=OFF >/dev/null
cmake --build "$build" --target vantrel-make-sample >/dev/null
"$build/tools/make_sample/vantrel-make-sample" --out samples "$@"
