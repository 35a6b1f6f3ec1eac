#!/usr/bin/env bash
# Where the time of `scenario-compiler compile` of the generated 1000000 m
# scenario goes: ROUNDS compiles (default 20) sampled by perf, shared by
# object (program, kernel, loader, libraries) and by function. Without a
# usable perf, one compile under valgrind's callgrind instead (the
# program's own instructions only, no kernel time).
#
#   bench/profile.sh [BUILD_DIR] [ROUNDS]      (BUILD_DIR default build-bench)
set -euo pipefail

build=${1:-build-bench}
rounds=${2:-20}
prog=$(realpath "$build/scenario-compiler")
gen="$build/bench/sc-generate-scenario"
for f in "$prog" "$gen"; do
  [ -x "$f" ] || { echo "profile.sh: $f is missing; build with make bench" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sc-profile.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
mapfile -t sources < <("$gen" "$work/src" 2>/dev/null)

cat >"$work/giri.sh" <<GIRI
for ((i = 0; i < $rounds; i++)); do
  rm -rf "$work/out"; mkdir "$work/out"
  "$prog" compile "${sources[0]}" "${sources[1]}" --out "$work/out" >/dev/null
done
GIRI

if command -v perf >/dev/null && perf record -q -F 20000 -o "$work/perf.data" bash "$work/giri.sh" 2>/dev/null; then
  report() {
    perf report -i "$work/perf.data" --comm scenario-compil --percentage relative --no-children \
      --sort dso,sym --stdio 2>/dev/null | grep '%'
  }
  echo "profile of $rounds compiles (perf; shares of the compiler process's samples), by object:"
  report | awk '{ gsub("%", "", $1); s[$2] += $1 } END { for (k in s) printf "  %6.2f%%  %s\n", s[k], k }' |
    sort -rn | sed -n 1,8p
  echo "by function:"
  report | sed -n 1,25p | cut -c1-150
elif command -v valgrind >/dev/null; then
  echo "perf is not usable here; one compile under callgrind (instructions of the program only):"
  rm -rf "$work/out"; mkdir "$work/out"
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
    "$prog" compile "${sources[0]}" "${sources[1]}" --out "$work/out" >/dev/null 2>&1
  callgrind_annotate "$work/cg.out" 2>/dev/null | sed -n 1,30p
else
  echo "profile.sh: neither perf nor valgrind is installed" >&2
  exit 2
fi
