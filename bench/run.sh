#!/usr/bin/env bash
# Throughput benchmark of scan, demux and rebuild against plain dd and
# ffmpeg on one large title, in one run, with a warm page cache.
#
#   bench/run.sh                    1 GiB title, 3 rounds of 5 runs, table on stdout
#   bench/run.sh --write            ... and write the table to bench/RESULTS.md
#   bench/run.sh --dir DIR          keep the titles in DIR (made once, reused later)
#   bench/run.sh --size MIB         size of the title (default 1024)
#   bench/run.sh --rounds N --runs N
#   bench/run.sh --no-big           skip the peak-memory runs at 4x the size
#   bench/run.sh --only scan,demux  only these of ours (and their baselines);
#                                   also rebuild_all, rebuild_half
#
# Every timed command runs with the same preparation: its old outputs are
# removed and dirty pages written back (sync), so that no run pays for the
# previous one. Rounds run the commands in rotating order; the median is
# taken over every run of every round.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
invocation="bench/run.sh${*:+ $*}"

size=1024
dir=""
rounds=3
runs=5
big=1
write=0
only=scan,demux,rebuild_all,rebuild_half
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-big) big=0; shift ;;
    --only) only=$2; shift 2 ;;
    --write) write=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
case "$size$rounds$runs" in *[!0-9]*) echo "--size, --rounds and --runs take whole numbers" >&2; exit 2 ;; esac
[ "$runs" -ge 2 ] || { echo "--runs must be at least 2" >&2; exit 2; }
[ "$rounds" -ge 1 ] || { echo "--rounds must be at least 1" >&2; exit 2; }

source tools/scripts/ensure_packages.sh
ensure_packages build-essential cmake ninja-build hyperfine jq ffmpeg time

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_GUI=OFF >/dev/null
cmake --build "$build" --target vantrel-cli vantrel-make-sample >/dev/null
cli=$top/$build/cli/vantrel-cli
maker=$top/$build/tools/make_sample/vantrel-make-sample

temporary=0
if [ -z "$dir" ]; then
  dir=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")
  temporary=1
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
out=$dir/out
cleanup() {
  rm -rf "$out"
  [ "$temporary" = 1 ] && rm -rf "$dir"
  return 0
}
trap cleanup EXIT

# At 1x the title, its copy, ffmpeg's output, the demux and the two
# rebuilds; then, with those removed, the 1x and 4x titles and one output of
# the 4x title at a time.
need_mib=$((big ? size * 9 : size * 6))
free_mib=$(df -Pm "$dir" | awk 'NR == 2 { print $4 }')
[ -e "$dir/BENCH.EVO" ] && need_mib=$((need_mib - size))
[ -e "$dir/BIG/BENCH.EVO" ] && need_mib=$((need_mib - size * 4))
if [ "$free_mib" -lt "$need_mib" ]; then
  echo "$dir has $free_mib MiB free; the benchmark needs about $need_mib MiB" >&2
  exit 1
fi

# Titles are made once and reused while their size fits.
make_title() {  # FILE MIB
  local file=$1 mib=$2
  local bytes=$((mib * 1048576))
  if [ -e "$file" ] && [ "$(stat -c %s "$file")" -ge "$bytes" ] &&
     [ "$(stat -c %s "$file")" -lt $((bytes + bytes / 16)) ]; then
    return 0
  fi
  mkdir -p "$(dirname "$file")"
  echo "Making a $mib MiB title: $file" >&2
  "$maker" --bench "$file" --bench-mib "$mib" --from samples >/dev/null
}
title=$dir/BENCH.EVO
make_title "$title" "$size"
title_bytes=$(stat -c %s "$title")

# ffmpeg reads the title as an MPEG program stream: every stream it finds is
# copied into an elementary-stream file of its own.
probe_streams() {  # TITLE: "index,codec" lines
  ffprobe -v error -show_entries stream=index,codec_name -of csv=p=0 "$1" |
    awk -F, 'NF >= 2 && $1 ~ /^[0-9]+$/ { print $1 "," $2 }'
}
ffmpeg_outputs() {  # TITLE FOLDER
  local index codec format
  probe_streams "$1" | while IFS=, read -r index codec; do
    case "$codec" in
      mpeg2video|h264|ac3|eac3|dts|truehd) format=$codec ;;
      *) format=data ;;  # LPCM, subpictures: the packets as they are
    esac
    printf ' -map 0:%s -c copy -f %s %s/%s.%s' "$index" "$format" "$2" "$index" "$codec"
  done
}
ffmpeg_streams=$(probe_streams "$title" | awk -F, '{ printf "%s%s", sep, $2; sep = ", " }')
ffmpeg_count=$(probe_streams "$title" | wc -l)

# Half of the streams of the title (five of nine for the sample's streams).
half_streams=v0,a0,a2,a4,s0

# The operations to time: ours, each with the baselines it is compared to.
names=()
add_name() { [[ " ${names[*]} " == *" $1 "* ]] || names+=("$1"); }
for name in ${only//,/ }; do
  case "$name" in
    scan) add_name read; add_name scan ;;
    demux) add_name copy; add_name ffmpeg; add_name check; add_name demux ;;
    rebuild_all|rebuild_half) add_name copy; add_name check; add_name "$name" ;;
    *) echo "--only takes scan, demux, rebuild_all and rebuild_half" >&2; exit 2 ;;
  esac
done
ours=()
for name in scan demux rebuild_all rebuild_half; do
  [[ " ${names[*]} " == *" $name "* ]] && ours+=("$name")
done
ran() { [[ " ${names[*]} " == *" $1 "* ]]; }

declare -A command prepare
command[read]="dd if=$title bs=256k of=/dev/null status=none"
command[copy]="dd if=$title bs=256k of=$out/copy/BENCH.EVO status=none"
command[ffmpeg]="ffmpeg -nostdin -hide_banner -loglevel fatal -y -i $title$(ffmpeg_outputs "$title" "$out/ffmpeg")"
command[scan]="$cli read $title --full --count-frames --details --no-continue"
# The fast check (Read EVO of the first 300 MB) that demux and rebuild begin with.
command[check]="$cli read $title --no-continue"
command[demux]="$cli demux $title --no-continue -o $out/demux"
command[rebuild_all]="$cli rebuild $title --no-continue -o $out/rebuild_all"
command[rebuild_half]="$cli rebuild $title --no-continue --streams $half_streams -o $out/rebuild_half"
for name in "${names[@]}"; do
  case "$name" in
    read|scan|check) prepare[$name]="sync" ;;
    *) prepare[$name]="rm -rf $out/$name && mkdir -p $out/$name && sync" ;;
  esac
done
# The same commands on another title and output folder (the 4x runs).
retarget() {  # NAME TITLE OUT
  local text=${command[$1]//"$title"/$2}
  echo "${text//"$out"/$3}"
}

# Warm the page cache and every program once, untimed.
cat "$title" >/dev/null
for name in "${names[@]}"; do
  bash -c "${prepare[$name]}"
  bash -c "${command[$name]}" >/dev/null 2>&1 || { echo "failed: ${command[$name]}" >&2; exit 1; }
done

results=$dir/results
rm -rf "$results"
mkdir -p "$results"
for ((round = 0; round < rounds; ++round)); do
  args=()
  for ((i = 0; i < ${#names[@]}; ++i)); do
    name=${names[$(((i + round) % ${#names[@]}))]}
    args+=(-n "$name" --prepare "${prepare[$name]}" "${command[$name]}")
  done
  echo "Round $((round + 1)) of $rounds" >&2
  hyperfine --style basic --runs "$runs" --export-json "$results/round$round.json" "${args[@]}" >&2
done

# Median and minimum over every run of every round, per command.
jq -s '[.[].results[]] | group_by(.command) | map({key: .[0].command, value: ([.[].times[]] | sort |
        {median: (if length % 2 == 1 then .[length / 2 | floor] else (.[length / 2 - 1] + .[length / 2]) / 2 end),
         min: .[0]})}) | from_entries' "$results"/round*.json >"$results/times.json"
median() { jq -r --arg n "$1" '.[$n].median' "$results/times.json"; }
minimum() { jq -r --arg n "$1" '.[$n].min' "$results/times.json"; }

# Peak resident memory (KiB) of one run.
peak_kib() {  # PREPARE COMMAND
  bash -c "$1"
  /usr/bin/time -f %M -o "$results/rss" bash -c "exec $2" >/dev/null 2>&1
  tail -n 1 "$results/rss"
}
declare -A rss1 rss4
for name in "${ours[@]}"; do rss1[$name]=$(peak_kib "${prepare[$name]}" "${command[$name]}"); done
rm -rf "$out"
if [ "$big" = 1 ]; then
  big_title=$dir/BIG/BENCH.EVO
  make_title "$big_title" $((size * 4))
  for name in "${ours[@]}"; do
    rss4[$name]=$(peak_kib "${prepare[$name]}" "$(retarget "$name" "$big_title" "$out")")
    rm -rf "$out"
  done
fi

# ------------------------------------------------------------------ table
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
holds() {  # VALUE OP LIMIT
  awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN { ok = op == "<=" ? v <= l : v >= l; print ok ? "yes" : "NO" }'
}
# A timed row; with a baseline, the ratio of medians against the target and
# the ratio of minima beside it.
row() {  # LABEL NAME [BASE OP LIMIT [INVERT]]
  local label=$1 name=$2 base=${3:-} op=${4:-} limit=${5:-} invert=${6:-}
  ran "$name" || return 0
  local t m speed
  t=$(median "$name"); m=$(minimum "$name")
  speed=$(awk -v b="$title_bytes" -v t="$t" 'BEGIN { printf "%.0f", b / 1048576 / t }')
  if [ -z "$base" ]; then
    printf '| %s | %.3f | %.3f | %s |  |  |  |  |\n' "$label" "$t" "$m" "$speed"
    return 0
  fi
  local r rm text
  if [ -n "$invert" ]; then
    r=$(ratio "$(median "$base")" "$t"); rm=$(ratio "$(minimum "$base")" "$m"); text="$base / $name"
  else
    r=$(ratio "$t" "$(median "$base")"); rm=$(ratio "$m" "$(minimum "$base")"); text="$name / $base"
  fi
  printf '| %s | %.3f | %.3f | %s | %s = %s | %s %s | %s | %s |\n' \
    "$label" "$t" "$m" "$speed" "$text" "$r" "$op" "$limit" "$(holds "$r" "$op" "$limit")" "$rm"
}
# Ours less the fast check it begins with, against the copy: not a target,
# it shows how far the pass itself is from the copy.
pass_row() {  # LABEL NAME
  ran "$1" || return 0
  local t m
  t=$(awk -v a="$(median "$1")" -v b="$(median check)" 'BEGIN { print a - b }')
  m=$(awk -v a="$(minimum "$1")" -v b="$(minimum check)" 'BEGIN { print a - b }')
  printf '| %s, less the fast check | %.3f | %.3f |  | %s = %s | (no target) |  | %s |\n' \
    "$2" "$t" "$m" "($1 - check) / copy" "$(ratio "$t" "$(median copy)")" "$(ratio "$m" "$(minimum copy)")"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

total_runs=$((rounds * runs))
table=$(
  echo "Title: $title_bytes bytes ($size MiB asked), made from the bundled sample's streams;"
  echo "warm page cache; $total_runs runs of each command ($rounds rounds of $runs, in rotating order)."
  echo "ffmpeg sees $ffmpeg_count streams: $ffmpeg_streams."
  echo
  echo "| operation | median s | min s | MiB/s | ratio of medians | target | holds | ratio of minima |"
  echo "|---|---:|---:|---:|---|---|---|---:|"
  row "plain read: dd bs=256k of=/dev/null" read
  row "plain copy: dd bs=256k of=FILE" copy
  row "ffmpeg -c copy, every stream to its own file" ffmpeg
  row "scan: read --full (frames counted, details)" scan read "<=" 3
  row "fast check: read, first 300 MB (demux and rebuild begin with it)" check
  row "demux of every stream" demux copy "<=" 1.3
  ran demux && row "demux of every stream, against ffmpeg" demux ffmpeg ">=" 4 invert
  row "rebuild keeping every stream" rebuild_all copy "<=" 1.3
  row "rebuild keeping $half_streams" rebuild_half copy "<=" 1.3
  pass_row demux "demux"
  pass_row rebuild_all "rebuild keeping every stream"
  pass_row rebuild_half "rebuild keeping half"
  echo
  echo "| peak resident memory | 1x MiB | 4x MiB | target | holds |"
  echo "|---|---:|---:|---|---|"
  for name in "${ours[@]}"; do
    one=$(mib "${rss1[$name]}")
    if [ "$big" = 1 ]; then
      four=$(mib "${rss4[$name]}")
      ok=$(awk -v a="${rss1[$name]}" -v b="${rss4[$name]}" \
        'BEGIN { d = b - a; if (d < 0) d = -d; print (a <= 16384 && b <= 16384 && d <= 512) ? "yes" : "NO" }')
    else
      four="-"
      ok=$(awk -v a="${rss1[$name]}" 'BEGIN { print a <= 16384 ? "yes" : "NO" }')
    fi
    printf '| %s | %s | %s | <= 16, same at 1x and 4x | %s |\n' "$name" "$one" "$four" "$ok"
  done
)
echo
echo "$table"

if [ "$write" = 1 ]; then
  results_md=bench/RESULTS.md
  notes=""
  [ -e "$results_md" ] && notes=$(sed -n '/^## Notes/,$p' "$results_md")
  # Taken before the file is rewritten, which would count as a change.
  commit="$(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(git diff --quiet HEAD 2>/dev/null || echo ' (with uncommitted changes)')"
  cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
  memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
  fs=$(df -PT "$dir" | awk 'NR == 2 { print $2 }')
  {
    echo "# Benchmark results"
    echo
    echo "Made by \`$invocation\`."
    echo
    echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- commit: $commit"
    echo "- machine: $(nproc) cores ($cpu), $memory, $(uname -sr), $fs file system for the title and outputs"
    echo "- tools: $(hyperfine --version), $(ffmpeg -version | head -n 1 | cut -d' ' -f1-3), $(dd --version | head -n 1)"
    echo
    echo "$table"
    if [ -n "$notes" ]; then
      echo
      echo "$notes"
    fi
  } >"$results_md"
  echo "Written to $results_md" >&2
fi
