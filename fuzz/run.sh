#!/usr/bin/env bash
# Runs one libFuzzer target for a given time.
#   fuzz/run.sh BUILD_DIR TARGET SECONDS
# TARGET is one of FUZZ_TARGETS in the Makefile (field_reader, line, ...). The seeds in
# fuzz/corpus/TARGET and the regression inputs in fuzz/regressions/TARGET
# are read but never written; inputs the run finds go to
# BUILD_DIR/fuzz-corpus/TARGET, a crashing input to BUILD_DIR/fuzz-crashes/TARGET.
# A crashing input belongs in fuzz/regressions/TARGET once fixed.
set -euo pipefail

build=$1 target=$2 seconds=$3
here=$(cd "$(dirname "$0")" && pwd)
corpus="$build/fuzz-corpus/$target"
crashes="$build/fuzz-crashes/$target"
mkdir -p "$corpus" "$crashes"

seeds=("$here/corpus/$target")
if compgen -G "$here/regressions/$target/*" >/dev/null; then
  seeds+=("$here/regressions/$target")
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}
log="$build/fuzz-$target.log"
status=0
"$build/${target}_fuzz" "$corpus" "${seeds[@]}" \
  -dict="$here/keys.dict" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1 || status=$?
# Executions and coverage of the run.
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
echo "$target: ${runs:-?} executions in ${seconds}s; last: ${last:-none}"
if [ "$status" -ne 0 ]; then
  echo "$target: FAILED (status $status); log: $log"
  grep -E 'ERROR|property violated|SUMMARY|Test unit written' "$log" | head -20 || true
  exit "$status"
fi
