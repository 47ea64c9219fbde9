#!/usr/bin/env bash
# Times one operation with two builds of vantrel-cli on the same title, in
# alternating order, to measure one change at a time:
#
#   bench/compare.sh OPERATION TITLE CLI_BEFORE CLI_AFTER [ROUNDS] [RUNS]
#
# OPERATION is scan, demux, rebuild_all or rebuild_half (as in run.sh).
# Prints the median of every run of each build and their ratio.
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
operation=$1 title=$2 before=$3 after=$4 rounds=${5:-3} runs=${6:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/out

command_for() {  # CLI
  case "$operation" in
    scan) echo "$1 read $title --full --count-frames --details --no-continue" ;;
    demux) echo "$1 demux $title --no-continue -o $out" ;;
    rebuild_all) echo "$1 rebuild $title --no-continue -o $out" ;;
    rebuild_half) echo "$1 rebuild $title --no-continue --streams v0,a0,a2,a4,s0 -o $out" ;;
    *) echo "unknown operation $operation" >&2; exit 2 ;;
  esac
}
prepare="rm -rf $out && mkdir $out && sync"
cat "$title" >/dev/null
for ((round = 0; round < rounds; ++round)); do
  if ((round % 2 == 0)); then order=(before after); else order=(after before); fi
  args=()
  for name in "${order[@]}"; do
    cli=$before
    [ "$name" = after ] && cli=$after
    args+=(-n "$name" --prepare "$prepare" "$(command_for "$cli")")
  done
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/round$round.json" "${args[@]}" >/dev/null
done
# Wall-clock medians decide; CPU time (user and system, averaged over the
# rounds) shows what a change saves when other programs share the machine.
jq -rs '[.[].results[]] | group_by(.command) | map({name: .[0].command,
          t: ([.[].times[]] | sort |
              if length % 2 == 1 then .[length / 2 | floor] else (.[length / 2 - 1] + .[length / 2]) / 2 end),
          user: ([.[].user] | add / length), system: ([.[].system] | add / length)})
       | (map({(.name): .}) | add) as $m
       | "median \($m.before.t * 1000 | round) ms before, \($m.after.t * 1000 | round) ms after: after / before = \($m.after.t / $m.before.t * 100 | round / 100)",
         "CPU user+system \(($m.before.user + $m.before.system) * 1000 | round) ms before (user \($m.before.user * 1000 | round)), \(($m.after.user + $m.after.system) * 1000 | round) ms after (user \($m.after.user * 1000 | round))"' \
  "$work"/round*.json | sed "s/^/$operation: /"
