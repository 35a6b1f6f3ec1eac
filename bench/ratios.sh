#!/usr/bin/env bash
# The three ratios of the compile, measured side by side in one run on this
# machine, each from paired runs (the two commands of a pair run one after
# the other, so both see the same machine):
#
#   time:    `scenario-compiler compile` of the generated 1000000 m scenario,
#            process start to exit, over `cp` copying its three compiled
#            files into a new directory (target: at most 1.5);
#   memory:  the peak resident memory of that compile, and of `check` of the
#            same scenario, over the size of the largest compiled file
#            (target: at most 0.5);
#   start:   `check` of the exported embedded scenario over the start-up of
#            a C++ program that does nothing (target: at most 2).
#
# The time ratio is also taken over existing files: the compile into the
# folder it has just written, against `cp` over the copies it has just
# made. Each ratio is printed beside the figure the README records for it;
# where the new median lies above the recorded one by more than the
# recorded spread (third quartile less first), a line says so plainly.
#
# Each figure is the median of RUNS pairs (default 11; the start ratio
# takes three times as many, its runs being short), with the spread as the
# first and third quartile in brackets. Ratios are taken pair by pair.
# Times and peak memory come from bench/sc-stopwatch, which times the
# command from its start to its exit and nothing else.
#
#   bench/ratios.sh [BUILD_DIR] [RUNS]      (BUILD_DIR default build-bench)
set -euo pipefail

build=${1:-build-bench}
runs=${2:-11}
prog="$build/scenario-compiler"
gen="$build/bench/sc-generate-scenario"
stopwatch="$build/bench/sc-stopwatch"
empty="$build/bench/sc-empty-program"

for f in "$prog" "$gen" "$stopwatch" "$empty"; do
  [ -x "$f" ] || { echo "ratios.sh: $f is missing; build with make bench" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sc-ratios.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
mapfile -t sources < <("$gen" "$work/src" 2>/dev/null)
linea=${sources[0]}
treno=${sources[1]}

# One compile first: it must end without fault (status 0, nothing on
# standard error), and its files are what cp copies.
if ! "$prog" compile "$linea" "$treno" --out "$work/ref" >/dev/null 2>"$work/faults.txt" || [ -s "$work/faults.txt" ]; then
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

"$prog" export --out "$work/emb" >/dev/null
emb_linea=$(ls "$work"/emb/*_linea.txt)
emb_treno=$(ls "$work"/emb/*-.txt)

# The figures the README's Benchmark section records, "MEDIAN Q1 Q3", to
# tell a slower compile from the noise of a shared machine.
recorded_compile_cp="2.36 2.30 2.50"
recorded_compile_cp_existing=""  # not recorded yet
recorded_check_empty="1.59 1.45 1.64"

# Prints "WALL_US PEAK_KB CPU_US" of one run of the command.
measure() { "$stopwatch" "$@"; }

: >"$work/compile"
for ((i = 0; i < runs; i++)); do
  rm -rf "$work/out" "$work/copy"
  mkdir "$work/out" "$work/copy"
  sync
  read -r tc mc cc < <(measure "$prog" compile "$linea" "$treno" --out "$work/out")
  sync
  read -r tp _ _ < <(measure cp "${files[@]}" "$work/copy/")
  read -r _ mk _ < <(measure "$prog" check "$linea" "$treno")
  # Over the files just written.
  sync
  read -r te _ _ < <(measure "$prog" compile "$linea" "$treno" --out "$work/out")
  sync
  read -r tq _ _ < <(measure cp "${files[@]}" "$work/copy/")
  echo "$tc $tp $mc $cc $mk $te $tq" >>"$work/compile"
done
: >"$work/start"
for ((i = 0; i < 3 * runs; i++)); do
  read -r tk _ _ < <(measure "$prog" check "$emb_linea" "$emb_treno")
  read -r tv _ _ < <(measure "$empty")
  echo "$tk $tv" >>"$work/start"
done

# "MEDIAN [Q1 .. Q3]" of one column of numbers, scaled by $2 and printed
# with format $3.
stats() {
  sort -g | awk -v k="$1" -v f="$2" '
    function q(p,   x, i) { x = 1 + (NR - 1) * p; i = int(x); return v[i] + (x - i) * (v[i + 1] - v[i]) }
    { v[NR] = $1 * k }
    END { v[NR + 1] = v[NR]; printf f " [" f " .. " f "]", q(0.5), q(0.25), q(0.75) }'
}
col() { awk -v c="$1" '{ print $c }' "$2"; }

# The median alone of a column of ratios.
median_of() { sort -g | awk '{ v[NR] = $1 } END { x = 1 + (NR - 1) * 0.5; i = int(x); if (i >= NR) print v[NR]; else print v[i] + (x - i) * (v[i + 1] - v[i]) }'; }

# "  README records M [Q1 .. Q3]" for a recorded figure, and a plain line
# when the new median (first argument) lies above it by more than its spread.
against_recorded() {
  local new=$1 what=$3
  if [ -z "$2" ]; then
    echo "                                  (the README records no figure for this yet)"
    return
  fi
  read -r m q1 q3 <<<"$2"
  echo "                                  README records $m [$q1 .. $q3]"
  if awk -v n="$new" -v m="$m" -v a="$q1" -v b="$q3" 'BEGIN { exit !(n > m + (b - a)) }'; then
    echo "SLOWER: the median $what $(printf %.2f "$new") lies above the recorded $m by more than the recorded spread $(awk -v a="$q1" -v b="$q3" 'BEGIN { printf "%.2f", b - a }')"
  fi
}

printf "compiled files: %.1f MB in all, largest %.1f MB; medians of %d paired runs [first .. third quartile]\n" \
  "$(awk -v t="$total" 'BEGIN { print t / 1e6 }')" "$(awk -v t="$largest" 'BEGIN { print t / 1e6 }')" "$runs"
echo "compile, process start to exit:   $(col 1 "$work/compile" | stats 0.001 %.1f) ms"
echo "cp of the three files:            $(col 2 "$work/compile" | stats 0.001 %.1f) ms"
echo "time ratio   compile / cp:        $(awk '{ print $1 / $2 }' "$work/compile" | stats 1 %.2f)  (target <= 1.5)"
against_recorded "$(awk '{ print $1 / $2 }' "$work/compile" | median_of)" "$recorded_compile_cp" "compile / cp"
echo "over existing files: compile      $(col 6 "$work/compile" | stats 0.001 %.1f) ms"
echo "over existing files: cp           $(col 7 "$work/compile" | stats 0.001 %.1f) ms"
echo "time ratio   compile / cp there:  $(awk '{ print $6 / $7 }' "$work/compile" | stats 1 %.2f)"
against_recorded "$(awk '{ print $6 / $7 }' "$work/compile" | median_of)" "$recorded_compile_cp_existing" "compile / cp over existing files"
echo "processor time of the compile:    $(col 4 "$work/compile" | stats 0.001 %.1f) ms (user + system)"
echo "peak memory of the compile:       $(col 3 "$work/compile" | stats 0.001024 %.1f) MB"
echo "memory ratio compile / largest:   $(col 3 "$work/compile" | stats "$(awk -v b="$largest" 'BEGIN { print 1024 / b }')" %.2f)  (target <= 0.5)"
echo "peak memory of check:             $(col 5 "$work/compile" | stats 0.001024 %.1f) MB"
echo "memory ratio check / largest:     $(col 5 "$work/compile" | stats "$(awk -v b="$largest" 'BEGIN { print 1024 / b }')" %.2f)  (target <= 0.5)"
echo "check of the embedded scenario:   $(col 1 "$work/start" | stats 0.001 %.2f) ms ($((3 * runs)) pairs)"
echo "an empty C++ program:             $(col 2 "$work/start" | stats 0.001 %.2f) ms"
echo "time ratio   check / empty:       $(awk '{ print $1 / $2 }' "$work/start" | stats 1 %.2f)  (target <= 2)"
against_recorded "$(awk '{ print $1 / $2 }' "$work/start" | median_of)" "$recorded_check_empty" "check / empty"
