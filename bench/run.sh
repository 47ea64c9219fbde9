#!/usr/bin/env bash
# Throughput benchmark of scan, demux and rebuild against plain dd and
# ffmpeg on one large title, in one run, with a warm page cache.
#
#   bench/run.sh                    1 GiB title, 3 rounds of 3 runs, table on stdout
#   bench/run.sh --write            ... and write the table to bench/RESULTS.md
#   bench/run.sh --dir DIR          keep the titles in DIR (made once, reused later)
#   bench/run.sh --size MIB         size of the title (default 1024)
#   bench/run.sh --rounds N --runs N
#   bench/run.sh --no-big           skip the peak-memory runs at 4x the size
#
# Every timed command runs with the same preparation: its old outputs are
# removed and dirty pages written back (sync), so that no run pays for the
# previous one. Rounds run the commands in rotating order; the median is
# taken over every run of every round.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

size=1024
dir=""
rounds=3
runs=3
big=1
write=0
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --no-big) big=0; shift ;;
    --write) write=1; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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

# The title, its copy, ffmpeg's, the demux and the two rebuilds at 1x; at
# 4x the big title and one output at a time.
need_mib=$((size * 6 + (big ? size * 8 : 0)))
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

names=(read copy ffmpeg scan demux rebuild_all rebuild_half)
declare -A command prepare
command[read]="dd if=$title bs=256k of=/dev/null status=none"
command[copy]="dd if=$title bs=256k of=$out/copy/BENCH.EVO status=none"
command[ffmpeg]="ffmpeg -nostdin -hide_banner -loglevel fatal -y -i $title$(ffmpeg_outputs "$title" "$out/ffmpeg")"
command[scan]="$cli read $title --full --count-frames --details --no-continue"
command[demux]="$cli demux $title --no-continue -o $out/demux"
command[rebuild_all]="$cli rebuild $title --no-continue -o $out/rebuild_all"
command[rebuild_half]="$cli rebuild $title --no-continue --streams $half_streams -o $out/rebuild_half"
for name in "${names[@]}"; do
  case "$name" in
    read|scan) prepare[$name]="sync" ;;
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

# Median over every run of every round, per command.
jq -s '[.[].results[]] | group_by(.command) | map({key: .[0].command, value: ([.[].times[]] | sort |
        if length % 2 == 1 then .[length / 2 | floor] else (.[length / 2 - 1] + .[length / 2]) / 2 end)})
      | from_entries' "$results"/round*.json >"$results/medians.json"
median() { jq -r --arg n "$1" '.[$n]' "$results/medians.json"; }

# Peak resident memory (KiB) of one run.
peak_kib() {  # PREPARE COMMAND
  bash -c "$1"
  /usr/bin/time -f %M -o "$results/rss" bash -c "exec $2" >/dev/null 2>&1
  tail -n 1 "$results/rss"
}
ours=(scan demux rebuild_all rebuild_half)
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
row() {  # LABEL NAME RATIO_TEXT RATIO OP LIMIT
  local t; t=$(median "$2")
  local speed; speed=$(awk -v b="$title_bytes" -v t="$t" 'BEGIN { printf "%.0f", b / 1048576 / t }')
  local check=""
  [ -n "${4:-}" ] && check="$5 $6 | $(holds "$4" "$5" "$6")"
  printf '| %s | %.3f | %s | %s | %s |\n' "$1" "$t" "$speed" "${3:+$3 = $4}" "${check:- | }"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

read_t=$(median read); copy_t=$(median copy); ffmpeg_t=$(median ffmpeg)
scan_t=$(median scan); demux_t=$(median demux)
all_t=$(median rebuild_all); half_t=$(median rebuild_half)
total_runs=$((rounds * runs))
table=$(
  echo "Title: $title_bytes bytes ($size MiB asked), made from the bundled sample's streams;"
  echo "warm page cache; medians of $total_runs runs each ($rounds rounds of $runs, commands in rotating order)."
  echo "ffmpeg sees $ffmpeg_count streams: $ffmpeg_streams."
  echo
  echo "| operation | median s | MiB/s | ratio | target | holds |"
  echo "|---|---:|---:|---|---|---|"
  row "plain read: dd bs=256k of=/dev/null" read
  row "plain copy: dd bs=256k of=FILE" copy
  row "ffmpeg -c copy, every stream to its own file" ffmpeg
  row "scan: read --full (frames counted, details)" scan "scan / read" "$(ratio "$scan_t" "$read_t")" "<=" 3
  row "demux of every stream" demux "demux / copy" "$(ratio "$demux_t" "$copy_t")" "<=" 1.3
  printf '| %s |  |  | %s | %s | %s |\n' "demux vs ffmpeg" "ffmpeg / demux = $(ratio "$ffmpeg_t" "$demux_t")" ">= 4" \
    "$(holds "$(ratio "$ffmpeg_t" "$demux_t")" ">=" 4)"
  row "rebuild keeping every stream" rebuild_all "rebuild / copy" "$(ratio "$all_t" "$copy_t")" "<=" 1.3
  row "rebuild keeping $half_streams" rebuild_half "rebuild / copy" "$(ratio "$half_t" "$copy_t")" "<=" 1.3
  echo
  echo "| peak resident memory | 1x MiB | 4x MiB | target | holds |"
  echo "|---|---:|---:|---|---|"
  for name in "${ours[@]}"; do
    one=$(mib "${rss1[$name]}")
    if [ "$big" = 1 ]; then
      four=$(mib "${rss4[$name]}")
      same=$(awk -v a="${rss1[$name]}" -v b="${rss4[$name]}" 'BEGIN { d = b - a; if (d < 0) d = -d; print d <= 512 ? "yes" : "NO" }')
      ok=$(awk -v a="${rss1[$name]}" -v b="${rss4[$name]}" -v s="$same" \
        'BEGIN { print (a <= 16384 && b <= 16384 && s == "yes") ? "yes" : "NO" }')
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
  cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
  memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
  fs=$(df -PT "$dir" | awk 'NR == 2 { print $2 }')
  {
    echo "# Benchmark results"
    echo
    echo "Made by \`bench/run.sh$( [ "$size" != 1024 ] && echo " --size $size")$( [ "$rounds" != 3 ] && echo " --rounds $rounds")$( [ "$runs" != 3 ] && echo " --runs $runs")$( [ "$big" = 0 ] && echo " --no-big") --write\`."
    echo
    echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- commit: $(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(git diff --quiet HEAD 2>/dev/null || echo ' (with uncommitted changes)')"
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
