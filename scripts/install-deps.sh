#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need,
# only when some of them are missing. Runs as root (apt-get).
set -euo pipefail

packages=(
  g++ cmake make ninja-build  # ninja runs the build (Makefile's GENERATOR)
  libgtest-dev libgmock-dev
  libfltk1.3-dev
  libcli11-dev
  nlohmann-json3-dev
  libcairo2-dev
  libbenchmark-dev
  clang libclang-rt-14-dev llvm-14  # fuzz build (make fuzz); llvm-14 symbolizes its reports
  xvfb xauth x11-apps
  imagemagick
  librsvg2-bin
  witalian wamerican  # word lists of scripts/check_naming.py
  clang-format  # scripts/check_format.sh
  man-db groff-base  # the man pages rendered by the install test (man -l)
  lintian  # the Debian package's check (make package-check)
  strace  # the tests that kill a run at each rename of a set
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
