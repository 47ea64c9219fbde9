#!/usr/bin/env bash
# Prints the SHA-256 of everything that demux and rebuild write for each
# title given (default: the bundled sample), so that a change meant only for
# speed can be checked to leave every byte as it was:
#
#   bench/hashes.sh /tmp/BENCH.EVO > before.txt
#   ... change, rebuild build-bench ...
#   bench/hashes.sh /tmp/BENCH.EVO | diff before.txt -
#
# Uses the release build of bench/run.sh (build-bench), building it if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_GUI=OFF >/dev/null
cmake --build "$build" --target vantrel-cli >/dev/null
cli=$(pwd)/$build/cli/vantrel-cli

[ $# -gt 0 ] || set -- samples/HVDVD_TS/FEATURE_1.EVO
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-hashes.XXXXXX")
trap 'rm -rf "$work"' EXIT
for title in "$@"; do
  for job in demux rebuild_all rebuild_half frames; do
    mkdir -p "$work/$job"
    case "$job" in
      demux) "$cli" demux "$title" -o "$work/$job" >/dev/null ;;
      rebuild_all) "$cli" rebuild "$title" -o "$work/$job" >/dev/null ;;
      rebuild_half) "$cli" rebuild "$title" --streams v0,a0,a2,a4,s0 -o "$work/$job" >/dev/null ;;
      # The scan's report, frame counts included, less its timing lines.
      frames) "$cli" read "$title" --full | grep -v -e 'Remaining time' -e 'Mbytes/s' >"$work/$job/read.log" ;;
    esac
    (cd "$work/$job" && find . -type f | sort | xargs sha256sum | sed "s|  \./|  $(basename "$title") $job/|")
    rm -rf "${work:?}/$job"
  done
done
