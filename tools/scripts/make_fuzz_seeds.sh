#!/usr/bin/env bash
# Regenerates the seed corpora under fuzz/corpus/ from short ffmpeg-encoded
# elementary streams, the program-stream builder and the bundled sample
# (samples/). Needs clang and ffmpeg.
#   tools/scripts/make_fuzz_seeds.sh [FUZZ_BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-fuzz}
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_GUI=OFF >/dev/null
fi
cmake --build "$build" --target make_fuzz_seeds | grep -Ev "^\[|^ninja: (Entering|no work)" || true

es=$(mktemp -d)
trap 'rm -rf "$es"' EXIT
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
tone="sine=f=440:r=48000:d=0.2"
ff -f lavfi -i testsrc=size=720x480:rate=30000/1001 -t 0.1 -pix_fmt yuv420p -c:v mpeg2video -f mpeg2video "$es/video.m2v"
ff -f lavfi -i testsrc=size=1280x720:rate=24 -t 0.1 -pix_fmt yuv420p -c:v libx264 -x264-params aud=1 -f h264 "$es/video.h264"
ff -f lavfi -i "$tone" -ac 6 -c:a ac3 -b:a 448k -f ac3 "$es/audio.ac3"
ff -f lavfi -i "$tone" -ac 2 -c:a eac3 -f eac3 "$es/audio.eac3"
ff -f lavfi -i "$tone" -ac 2 -c:a dca -strict -2 -f dts "$es/audio.dts"
ff -f lavfi -i "$tone" -ac 2 -c:a truehd -strict -2 -f truehd "$es/audio.thd"
ff -f lavfi -i "$tone" -ac 2 -c:a mlp -strict -2 -f mlp "$es/audio.mlp"
ff -f lavfi -i "$tone" -ac 2 -f s16be "$es/audio.pcm"

rm -rf fuzz/corpus
"$build/fuzz/make_fuzz_seeds" "$es" fuzz/corpus samples
du -sh fuzz/corpus/*
