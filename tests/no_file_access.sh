#!/usr/bin/env bash
# no_file_access.sh EXPECT LIBRARY...
#
# Lists the undefined symbols of the static libraries (what their objects
# need from elsewhere) that open, read, write, create, delete or rename a
# file: the C library's calls, std::filesystem, the file streams.
# EXPECT "none" passes when there is no such symbol (and prints those it
# found otherwise); "some" passes when there is at least one.
set -euo pipefail
expect=$1
shift
c_calls='open|open64|openat|openat64|creat|creat64|fopen|fopen64|freopen|fdopen|unlink|unlinkat|remove|rename|renameat|renameat2|mkdir|mkdirat|rmdir|truncate|ftruncate|link|linkat|symlink|symlinkat|fsync|fdatasync|stat|stat64|lstat|fstat|fstatat|access|faccessat|opendir|readdir|__xstat|__lxstat|__fxstat|statx'
pattern="^(${c_calls})(@.*)?\$|std::filesystem::|std::basic_(i|o)?fstream<|std::basic_filebuf<|std::__basic_file<|^(fread|fwrite|fclose|fflush|fgets|fputs)(@.*)?\$"
symbols=$(nm -C --undefined-only "$@" | sed -n 's/^ *U //p' | sort -u)
found=$(grep -E "$pattern" <<<"$symbols" || true)
case $expect in
  none)
    if [ -n "$found" ]; then
      echo "file access in $*:"
      echo "$found"
      exit 1
    fi
    echo "no file access in $*" ;;
  some)
    if [ -z "$found" ]; then
      echo "no file-access symbol found in $*, which does access files: the check misses them"
      exit 1
    fi
    echo "file access found in $*, as expected: $(wc -l <<<"$found") symbols" ;;
  *)
    echo "usage: no_file_access.sh none|some LIBRARY..." >&2
    exit 2 ;;
esac
