#!/usr/bin/env bash
# The two ratios of the largest compile, measured in one run on this machine:
#
#   time:   `scenario-compiler compile` of the generated 1000000 m scenario,
#           process start to exit, over `cp` copying its three compiled files
#           to a new directory (target: at most 1.5);
#   memory: the compile's peak resident memory over the size of its largest
#           compiled file (target: at most 3).
#
# Each figure is the median of RUNS runs (default 11); compile and copy runs
# alternate so that both see the same machine. Peak memory and processor
# time come from /usr/bin/time -v (median of 5 runs).
#
#   bench/ratios.sh [BUILD_DIR] [RUNS]      (BUILD_DIR default build-bench)
set -euo pipefail

build=${1:-build-bench}
runs=${2:-11}
prog="$build/scenario-compiler"
gen="$build/bench/sc-genera-scenario"

for f in "$prog" "$gen"; do
  [ -x "$f" ] || { echo "ratios.sh: $f is missing; build with make bench" >&2; exit 2; }
done
if [ ! -x /usr/bin/time ]; then
  echo "ratios.sh: /usr/bin/time is missing; run scripts/install-deps.sh" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sc-ratios.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
mapfile -t sources < <("$gen" "$work/src" 2>/dev/null)
linea=${sources[0]}
treno=${sources[1]}

compile() {  # compile into directory $1
  "$prog" compile "$linea" "$treno" --out "$1" >/dev/null
}

# One compile first: it must end without fault (status 0, nothing on
# standard error), and its files are what cp copies.
if ! compile "$work/ref" 2>"$work/faults.txt" || [ -s "$work/faults.txt" ]; then
  echo "ratios.sh: the generated scenario does not compile cleanly:" >&2
  cat "$work/faults.txt" >&2
  exit 1
fi
files=("$work"/ref/*)
[ ${#files[@]} -eq 3 ] || { echo "ratios.sh: expected 3 compiled files, got ${#files[@]}" >&2; exit 1; }
largest=0
total=0
for f in "${files[@]}"; do
  s=$(stat -c %s "$f")
  total=$((total + s))
  [ "$s" -gt "$largest" ] && largest=$s
done

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/t_compile"
: >"$work/t_cp"
: >"$work/rss"
: >"$work/cpu"
for ((i = 0; i < runs; i++)); do
  rm -rf "$work/out" "$work/copy"
  mkdir "$work/out" "$work/copy"
  sync
  t0=$(now); compile "$work/out"; t1=$(now)
  echo $(((t1 - t0) / 1000)) >>"$work/t_compile"
  sync
  t0=$(now); cp "${files[@]}" "$work/copy/"; t1=$(now)
  echo $(((t1 - t0) / 1000)) >>"$work/t_cp"
done
for ((i = 0; i < 5; i++)); do
  rm -rf "$work/out"
  mkdir "$work/out"
  /usr/bin/time -v "$prog" compile "$linea" "$treno" --out "$work/out" 2>"$work/time.txt" >/dev/null
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt" >>"$work/rss"
  awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print (u + s) * 1000 }' "$work/time.txt" >>"$work/cpu"
done

tc=$(median <"$work/t_compile")
tp=$(median <"$work/t_cp")
rss=$(median <"$work/rss")
cpu=$(median <"$work/cpu")
awk -v tc="$tc" -v tp="$tp" -v rss="$rss" -v cpu="$cpu" -v big="$largest" -v total="$total" -v runs="$runs" 'BEGIN {
  printf "compiled files: %.1f MB in all, largest %.1f MB (medians of %d runs)\n", total / 1e6, big / 1e6, runs
  printf "compile, process start to exit: %8.1f ms\n", tc / 1000
  printf "cp of the three files:          %8.1f ms\n", tp / 1000
  printf "time ratio   compile / cp:        %5.2f  (target <= 1.5)\n", tc / tp
  printf "processor time of the compile:  %8.0f ms (user + system, 10 ms steps)\n", cpu
  printf "peak memory of the compile:     %8.1f MB\n", rss * 1024 / 1e6
  printf "memory ratio peak / largest file: %5.2f  (target <= 3)\n", rss * 1024 / big
}'
