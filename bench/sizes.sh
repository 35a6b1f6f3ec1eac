#!/usr/bin/env bash
# Time and peak memory of every command at three sizes of the generated
# scenario (100, 300 and 1000 km), with how each grows with the line:
#
#   compile     the two descriptions into a new folder
#   check       the same compile, writing nothing
#   inspect     the track plan as text, and as JSON (--json)
#   decompile   the compiled folder into a new folder
#   diff        the compiled folder against its descriptions (the same
#               bytes: the descriptions compiled in memory, the plans
#               compared a piece at a time)
#   plot        the compiled folder as a PNG of the default size
#   view        the compiled folder in the viewer's window, which quits as
#               soon as it has drawn (--control, "quit" on standard input);
#               under Xvfb (xvfb-run) when there is no display
#
# Each figure is the median of RUNS runs (default 5) timed by
# bench/sc-stopwatch, the command's own parent: it forks, runs the command
# and reads the peak resident memory of the command (and of any helper
# program it ran) from the system when it ends; a parent as large as a
# Python interpreter would have its own size counted instead. Beside the
# peak stands the peak above the program's own start-up (the same program
# with --version): at 100 km the start-up is most of the peak.
#
# Growth: each figure at 300 km over the one at 100 km, at 1000 km over
# 300 km, and at 1000 km over 100 km (10 for a figure that grows as the
# line does; memory growth is taken above the start-up, and shown as -
# where the smaller figure is under 256 KiB, too little to divide by). At 1000 km each
# peak is also given over the size of the track plan file (20 MB) or, for
# decompile, over its largest input, which is that file too.
#
#   bench/sizes.sh [BUILD_DIR] [RUNS]      (BUILD_DIR default build-bench)
set -euo pipefail

build=${1:-build-bench}
runs=${2:-5}
prog="$build/scenario-compiler"
gen="$build/bench/sc-generate-scenario"
stopwatch="$build/bench/sc-stopwatch"

for f in "$prog" "$gen" "$stopwatch" "$build/scenario-compiler-inspect" \
  "$build/scenario-compiler-plot" "$build/scenario-compiler-view"; do
  [ -x "$f" ] || { echo "sizes.sh: $f is missing; build with make bench" >&2; exit 2; }
done
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "sizes.sh: no display and no xvfb-run" >&2; exit 2; }
  exec xvfb-run -a bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sc-sizes.XXXXXX")
trap 'rm -rf "$work"' EXIT

# "WALL_US PEAK_KB" of one run of the command, standard input from $input.
input=/dev/null
measure() {
  local t m
  read -r t m _ < <("$stopwatch" "$@" <"$input" || true)
  echo "$t $m"
}

# The median of the numbers on standard input.
median() { sort -g | awk '{ v[NR] = $1 } END { x = 1 + (NR - 1) * 0.5; i = int(x); if (i >= NR) print v[NR]; else print v[i] + (x - i) * (v[i + 1] - v[i]) }'; }

commands=(compile check inspect inspect_json decompile diff plot view)
sizes=(100000 300000 1000000)

# One command at one size: median time (ms) and peak (KB) into
# $work/result/SIZE/NAME.
run_command() {
  local size=$1 name=$2 dir=$work/$1 i t m
  local linea treno
  linea=$(ls "$dir"/src/*_linea.txt)
  treno=$(ls "$dir"/src/*-.txt)
  local plan
  plan=$(ls "$dir"/ref/*_linea.dat)
  : >"$work/runs"
  for ((i = 0; i < runs; i++)); do
    rm -rf "$dir/new"
    input=/dev/null
    case $name in
      compile) read -r t m < <(measure "$prog" compile "$linea" "$treno" --out "$dir/new") ;;
      check) read -r t m < <(measure "$prog" check "$linea" "$treno") ;;
      inspect) read -r t m < <(measure "$prog" inspect "$plan") ;;
      inspect_json) read -r t m < <(measure "$prog" inspect --json "$plan") ;;
      decompile) read -r t m < <(measure "$prog" decompile "$dir/ref" --out "$dir/new") ;;
      diff) read -r t m < <(measure "$prog" diff "$dir/ref" "$dir/src") ;;
      plot)
        mkdir -p "$dir/new"
        read -r t m < <(measure "$prog" plot "$dir/ref" -o "$dir/new/plot.png")
        ;;
      view)
        echo quit >"$work/quit"
        input=$work/quit
        read -r t m < <(measure "$prog" view "$dir/ref" --control)
        ;;
    esac
    echo "$t $m" >>"$work/runs"
  done
  mkdir -p "$work/result/$size"
  echo "$(awk '{ print $1 / 1000 }' "$work/runs" | median) $(awk '{ print $2 }' "$work/runs" | median)" \
    >"$work/result/$size/$name"
}

# The start-up of each program: its --version.
baseline_of() {
  case $1 in
    inspect | inspect_json) echo inspect ;;
    plot) echo plot ;;
    view) echo view ;;
    *) echo main ;;
  esac
}
mkdir -p "$work/result/base"
for b in main inspect plot view; do
  : >"$work/runs"
  for ((i = 0; i < runs; i++)); do
    input=/dev/null
    if [ "$b" = main ]; then
      read -r t m < <(measure "$prog" --version)
    else
      read -r t m < <(measure "$prog" "$b" --version)
    fi
    echo "$m" >>"$work/runs"
  done
  median <"$work/runs" >"$work/result/base/$b"
done

for size in "${sizes[@]}"; do
  mkdir -p "$work/$size/src"
  "$gen" "$work/$size/src" "$size" >/dev/null 2>&1
  "$prog" compile "$work/$size"/src/*_linea.txt "$work/$size"/src/*-.txt --out "$work/$size/ref" \
    >/dev/null 2>"$work/faults.txt" || { cat "$work/faults.txt" >&2; exit 1; }
  for name in "${commands[@]}"; do run_command "$size" "$name"; done
done

plan_bytes=$(stat -c %s "$work"/1000000/ref/*_linea.dat)
field() { awk -v c="$2" '{ print $c }' "$work/result/$1"; }
echo "medians of $runs runs; peak memory in MB (1 MB = 1024 KiB); above: peak minus the program's --version peak"
printf "%-13s %-8s %9s %9s %9s\n" command size "time ms" "peak MB" "above MB"
for name in "${commands[@]}"; do
  base=$(cat "$work/result/base/$(baseline_of "$name")")
  for size in "${sizes[@]}"; do
    printf "%-13s %-8s %9.1f %9.1f %9.1f\n" "$name" "$((size / 1000)) km" "$(field "$size/$name" 1)" \
      "$(awk -v m="$(field "$size/$name" 2)" 'BEGIN { print m / 1024 }')" \
      "$(awk -v m="$(field "$size/$name" 2)" -v b="$base" 'BEGIN { print (m - b) / 1024 }')"
  done
done
echo
echo "growth (time, memory above start-up): 300/100 km, 1000/300 km, 1000/100 km; peak at 1000 km over the track plan file ($(awk -v b="$plan_bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB)"
printf "%-13s %22s %22s %8s %s\n" command "time growth" "memory growth" "peak/plan" target
for name in "${commands[@]}"; do
  base=$(cat "$work/result/base/$(baseline_of "$name")")
  # ratio COLUMN BIG SMALL BASE LEAST: the figure at BIG over the one at
  # SMALL, each less BASE; - when the smaller is under LEAST.
  ratio() {
    awk -v a="$(field "$2/$name" "$1")" -v b="$(field "$3/$name" "$1")" -v base="$4" -v least="$5" \
      'BEGIN { a -= base; b -= base; if (b < least) print "-"; else printf "%.1f", a / b }'
  }
  case $name in
    inspect | inspect_json) target="<= 0.5" ;;
    decompile | diff | plot | view) target="<= 1" ;;
    *) target="" ;;
  esac
  printf "%-13s %6s %6s %8s %6s %6s %8s %8.2f %s\n" "$name" \
    "$(ratio 1 300000 100000 0 0.001)" "$(ratio 1 1000000 300000 0 0.001)" \
    "$(ratio 1 1000000 100000 0 0.001)" "$(ratio 2 300000 100000 "$base" 256)" \
    "$(ratio 2 1000000 300000 "$base" 256)" "$(ratio 2 1000000 100000 "$base" 256)" \
    "$(awk -v m="$(field "1000000/$name" 2)" -v b="$plan_bytes" 'BEGIN { print m * 1024 / b }')" \
    "$target"
done
