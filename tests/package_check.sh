#!/usr/bin/env bash
# The Debian package `make package` built: it holds the program, its
# helpers, both man pages, the three shell completions and the docs; its
# dependencies were computed from the programs' shared libraries; lintian
# finds no error but the ones the README lists as kept (the licence).
#
# Usage: package_check.sh BUILD_DIR
set -uo pipefail

build=$1
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# lintian errors kept, each one explained in the README (Install).
kept_errors="no-copyright-file"

shopt -s nullglob
packages=("$build"/scenario-compiler_*.deb)
[ ${#packages[@]} -eq 1 ] || { echo "FAILED: ${#packages[@]} packages in $build, expected 1"; exit 1; }
deb=${packages[0]}

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/scenario-compiler ./usr/libexec/scenario-compiler/scenario-compiler-run \
  ./usr/libexec/scenario-compiler/scenario-compiler-inspect \
  ./usr/libexec/scenario-compiler/scenario-compiler-plot \
  ./usr/libexec/scenario-compiler/scenario-compiler-view \
  ./usr/share/man/man1/scenario-compiler.1.gz ./usr/share/man/man5/scenario-description.5.gz \
  ./usr/share/bash-completion/completions/scenario-compiler \
  ./usr/share/zsh/vendor-completions/_scenario-compiler \
  ./usr/share/fish/vendor_completions.d/scenario-compiler.fish \
  ./usr/share/doc/scenario-compiler/README.md ./usr/share/doc/scenario-compiler/docs/format.md; do
  grep -qxF "$file" <<<"$listing" || fail "the package lacks $file"
done

# The libraries the helpers load, found by dpkg-shlibdeps.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libcairo2 libfltk1.3 libx11-6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# Unpacked into a temporary root, the program finds its helpers there.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
unpacked="$root/usr/bin/scenario-compiler"
"$unpacked" --out "$root/run" >/dev/null 2>&1 || fail "the unpacked program's run failed"
"$unpacked" inspect "$root/run/Corvale_Pravena AV_409.sim" >/dev/null 2>&1 ||
  fail "the unpacked program's inspect failed"

if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$build/lintian.txt" 2>&1
  cat "$build/lintian.txt"
  errors=$(awk '$1 == "E:" {print $3}' "$build/lintian.txt" | sort -u)
  for tag in $errors; do
    grep -qw -- "$tag" <<<"$kept_errors" || fail "lintian error $tag"
  done
else
  fail "lintian is not installed (scripts/install-deps.sh installs it)"
fi

[ "$failures" -eq 0 ] && echo "package check passed: $deb"
exit $((failures > 0))
