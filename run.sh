#!/usr/bin/env bash
# Installs what is missing, builds a release build and runs the main job on
# the bundled sample title: reads it and demuxes every stream into ./out,
# then prints its playlist tree and title set information and writes its
# chapters.
#
#   ./run.sh                 the main job on the sample
#   ./run.sh --streams v0    extra options for the main job
#   ./run.sh read FILE ...   any vantrel-cli command line
#   ./run.sh mkv samples     the sample's title as out/Sample Title.mkv
#   ./run.sh gui             the window, on the sample
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure_packages.sh
packages=(build-essential cmake ninja-build pkg-config libexpat1-dev nlohmann-json3-dev mkvtoolnix)
[ "${1:-}" = gui ] && packages+=(qt6-base-dev libgl-dev libjpeg-dev)
ensure_packages "${packages[@]}"

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build"

sample=samples/HVDVD_TS/FEATURE_1.EVO
case "${1:-}" in
  gui)
    shift
    exec "$build/app/vantrel" "$(pwd)/$sample" "$@"
    ;;
  mkv)
    # Like the main job, into ./out unless told otherwise.
    case " $* " in *" -o "*|*" --output "*) ;; *) set -- "$@" -o out ;; esac
    exec "$build/cli/vantrel-cli" "$@"
    ;;
  read|demux|rebuild|xpl|vti|titles|-h|--help|--version)
    exec "$build/cli/vantrel-cli" "$@"
    ;;
esac

mkdir -p out
cli="$build/cli/vantrel-cli"
"$cli" demux "$sample" -o out "$@"
echo
"$cli" xpl samples/ADV_OBJ/VPLST000.XPL --source "$sample" --chapters -o out
echo
"$cli" vti samples/HVDVD_TS
echo
echo "Written to ./out:"
ls -l out
