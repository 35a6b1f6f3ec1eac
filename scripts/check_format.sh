#!/usr/bin/env bash
# Checks that every C++ source of the tree follows .clang-format; with
# --fix, formats those that do not. The tree's own files only (git ls-files),
# so build directories are never looked at.
#
#   scripts/check_format.sh [--fix] [ROOT]
set -euo pipefail
fix=0
if [ "${1:-}" = "--fix" ]; then fix=1; shift; fi
cd "${1:-$(dirname "$0")/..}"
command -v clang-format >/dev/null || { echo "check_format: clang-format is not installed (scripts/install-deps.sh)" >&2; exit 2; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "$fix" = 1 ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
fi
