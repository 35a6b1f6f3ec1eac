#!/usr/bin/env bash
# The installed program: installs the build into a temporary prefix and,
# from another folder, runs what a user runs there: the embedded run (into
# --out, and stopped with status 4 where the program's own folder cannot be
# written), inspect, plot and explain through the installed helpers; renders
# both man pages and checks that the first names every command and option of
# the help; completes with the installed bash completion; checks that the
# installed programs are stripped; then uninstalls and checks that exactly
# what was installed is gone.
#
# Usage: install_test.sh BUILD_DIR
set -uo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
program="$build/scenario-compiler"
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
expect_status() {  # expect_status WANTED GOT WHAT
  [ "$2" -eq "$1" ] || fail "$3: status $2, expected $1"
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
chmod 755 "$root"
prefix="$root/prefix"
work="$root/work"
mkdir -p "$work" "$prefix/share/doc/other"
chmod 777 "$work"
echo "not ours" >"$prefix/share/doc/other/kept"

# Component "Unspecified" (every file of the program) keeps the test's list
# of installed files apart from the build's own install_manifest.txt.
manifest="$build/install_manifest_Unspecified.txt"
cmake --install "$build" --prefix "$prefix" --component Unspecified >"$root/install.log" 2>&1 ||
  { cat "$root/install.log"; echo "FAILED: the install"; exit 1; }
installed="$prefix/bin/scenario-compiler"

# What the issue lists, where a system looks for it.
for file in bin/scenario-compiler libexec/scenario-compiler/scenario-compiler-run \
  libexec/scenario-compiler/scenario-compiler-inspect libexec/scenario-compiler/scenario-compiler-plot \
  libexec/scenario-compiler/scenario-compiler-view share/man/man1/scenario-compiler.1.gz \
  share/man/man5/scenario-description.5.gz share/bash-completion/completions/scenario-compiler \
  share/zsh/vendor-completions/_scenario-compiler share/fish/vendor_completions.d/scenario-compiler.fish \
  share/doc/scenario-compiler/README.md share/doc/scenario-compiler/docs/format.md; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done

# Stripped when installed; the build keeps its debug information.
for exe in "$prefix"/bin/* "$prefix"/libexec/scenario-compiler/*; do
  if readelf -S "$exe" | grep -q -e '\.debug_info' -e '\.symtab'; then fail "not stripped: $exe"; fi
done
readelf -S "$program" | grep -q '\.debug_info' || fail "the build's program lost its debug information"

# As an ordinary user where the test runs as root: the prefix's bin is not
# theirs to write.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

cd "$work" || exit 1
unset DISPLAY
# (Not root: the prefix is the user's own, so its bin is made read-only.)
chmod 555 "$prefix/bin"
as_user "$installed" >"$root/out" 2>"$root/err"
expect_status 4 $? "the run beside an installed program"
chmod 755 "$prefix/bin"
grep -q -- "--out DIR" "$root/err" || fail "the run's message names no --out DIR: $(cat "$root/err")"
[ "$(ls "$prefix/bin")" = "scenario-compiler" ] || fail "the run wrote into bin: $(ls "$prefix/bin")"
[ -z "$(ls "$work")" ] || fail "the run wrote into the working folder: $(ls "$work")"

# The embedded run into --out: the same bytes as the build's own program.
as_user "$installed" --out "$work/run" >"$root/out" 2>"$root/err"
expect_status 0 $? "the run with --out"
"$program" --out "$root/build-run" >/dev/null 2>&1
diff -r "$root/build-run" "$work/run" >/dev/null || fail "the installed run's files differ from the build's"
[ "$(ls "$work/run" | wc -l)" -eq 6 ] || fail "the run with --out left $(ls "$work/run" | wc -l) files"

# The helpers, found in PREFIX/libexec/scenario-compiler.
sim="$work/run/Corvale_Pravena AV_409.sim"
as_user "$installed" inspect "$sim" >"$root/out" 2>"$root/err"
expect_status 0 $? "inspect"
grep -q "Element table" "$root/out" || fail "inspect printed: $(head -3 "$root/out")"
as_user "$installed" plot "$work/run" -o "$work/plot.svg" >"$root/out" 2>"$root/err"
expect_status 0 $? "plot ($(cat "$root/err"))"
grep -q "<svg" "$work/plot.svg" 2>/dev/null || fail "plot wrote no SVG picture"
as_user "$installed" explain E16 >"$root/out" 2>"$root/err"
expect_status 0 $? "explain"
grep -q "E16" "$root/out" || fail "explain E16 printed: $(head -3 "$root/out")"

# Both man pages render without a complaint; the first names every command
# and every option that the help texts list.
for page in share/man/man1/scenario-compiler.1.gz share/man/man5/scenario-description.5.gz; do
  MANWIDTH=80 man -l "$prefix/$page" >"$root/page" 2>"$root/err"
  expect_status 0 $? "man -l $page"
  [ -s "$root/err" ] && fail "man -l $page: $(head -5 "$root/err")"
  grep -q "^NAME" "$root/page" || fail "man -l $page has no NAME section"
done
MANWIDTH=1000 man -l "$prefix/share/man/man1/scenario-compiler.1.gz" 2>/dev/null >"$root/page1"
commands=$("$program" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NF && $1 != "Subcommands:" {print $1}')
[ "$(echo "$commands" | wc -l)" -ge 8 ] || fail "the help lists only: $commands"
for command in $commands; do
  grep -q "^   $command$" "$root/page1" || fail "the man page has no section for $command"
  for option in $("$program" "$command" --help | grep -o -e '^ *-[-a-zA-Z,]*' | tr ',' ' '); do
    grep -q -e "$option" "$root/page1" || fail "the man page does not name $command $option"
  done
done

# Bash completion, the installed file's function called as bash calls it.
completion="$prefix/share/bash-completion/completions/scenario-compiler"
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _scenario_compiler
           printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
[ "$(complete_words scenario-compiler ins)" = "inspect" ] || fail "ins<TAB> gives: $(complete_words scenario-compiler ins)"
want=$("$program" explain --list | awk '$1 ~ /^E1/ {print $1}')
[ "$(complete_words scenario-compiler explain E1)" = "$want" ] ||
  fail "explain E1<TAB> gives: $(complete_words scenario-compiler explain E1 | tr '\n' ' ')"
[ "$(complete_words scenario-compiler compile --diagnostics-format s)" = "sarif" ] ||
  fail "--diagnostics-format s<TAB> gives: $(complete_words scenario-compiler compile --diagnostics-format s)"
# Positionals offer files of their kind (and folders), names with blanks whole.
touch "$work/run/other.png"
[ "$(cd "$work/run" && complete_words scenario-compiler inspect Corvale | sort | tr '\n' '|')" = \
  "Corvale_Pravena AV_409.dat|Corvale_Pravena AV_409.sim|Corvale_Pravena AV_linea.dat|" ] ||
  fail "inspect Corvale<TAB> gives: $(cd "$work/run" && complete_words scenario-compiler inspect Corvale | tr '\n' '|')"

# The zsh and fish completions parse, where those shells are installed.
if command -v zsh >/dev/null; then
  zsh -n "$prefix/share/zsh/vendor-completions/_scenario-compiler" || fail "zsh cannot parse its completion"
fi
if command -v fish >/dev/null; then
  fish -n "$prefix/share/fish/vendor_completions.d/scenario-compiler.fish" ||
    fail "fish cannot parse its completion"
  [ "$(fish -c "source '$prefix/share/fish/vendor_completions.d/scenario-compiler.fish'
                complete -C 'scenario-compiler compile --color al'" | cut -f1)" = "always" ] ||
    fail "fish does not complete --color al to always"
fi

# Uninstall: every file installed is gone, the program's own folders too;
# what the prefix held before stays.
cmake -DMANIFEST="$manifest" -P "$source_dir/cmake/uninstall.cmake" >"$root/uninstall.log" 2>&1 ||
  fail "the uninstall: $(cat "$root/uninstall.log")"
left=$(cd "$prefix" && find . -type f -o -type l)
[ "$left" = "./share/doc/other/kept" ] || fail "after the uninstall the prefix holds: $left"
[ -e "$prefix/libexec/scenario-compiler" ] && fail "the helpers' folder is left"
[ -e "$prefix/share/doc/scenario-compiler" ] && fail "the docs' folder is left"
rm -f "$manifest"

[ "$failures" -eq 0 ] && echo "install test passed"
exit $((failures > 0))
