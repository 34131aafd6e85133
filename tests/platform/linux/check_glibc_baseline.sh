#!/usr/bin/env bash
# Fails unless every Linux plug-in binary given loads from glibc 2.17 on: no dynamic symbol
# of a glibc version newer than 2.17, none of the C++ runtime or libgcc (linked in, hidden),
# and no library needed beyond the C library, libm, libX11, libpthread and libdl (and the
# dynamic loader).
# Usage: check_glibc_baseline.sh BINARY...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 BINARY..." >&2; exit 2; }
failures=0
for binary in "$@"; do
  if ! readelf -h "$binary" >/dev/null 2>&1; then
    echo "$binary: not an ELF file that can be read"
    failures=$((failures + 1))
    continue
  fi
  while read -r version symbol; do
    echo "$binary: $symbol needs $version"
    failures=$((failures + 1))
  done < <(readelf -W --dyn-syms "$binary" | awk '$7 == "UND" && $8 ~ /@/ {
      split($8, part, "@"); v = part[2]
      if (v ~ /^GLIBC_[0-9]/) {
        split(substr(v, 7), n, ".")
        if (n[1] > 2 || (n[1] == 2 && n[2] > 17)) print v, part[1]
      } else if (v ~ /^(GLIBCXX|CXXABI|GCC)_/) print v, part[1]
    }')
  while read -r library; do
    case "$library" in
      libc.so.6|libm.so.6|libX11.so.6|libpthread.so.0|libdl.so.2|ld-linux-*.so.*) ;;
      *) echo "$binary: needs $library"; failures=$((failures + 1)) ;;
    esac
  done < <(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
done
if [ "$failures" -gt 0 ]; then
  echo "$failures problem(s): symbols newer than glibc 2.17, runtime symbols or libraries beyond the base ones"
  exit 1
fi
echo "$# binaries need nothing newer than glibc 2.17 and only the base libraries"
