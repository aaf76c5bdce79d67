#!/usr/bin/env bash
# Checks `cmake --install` of build/ into a scratch prefix (every file in its
# place) and that the manual page renders without a warning.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build --prefix "$prefix" >/dev/null
for f in bin/descstat share/man/man1/descstat.1 share/doc/descstat/README.md \
         share/doc/descstat/data.txt; do
    [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
[ -x "$prefix/bin/descstat" ] || { echo "not executable: bin/descstat"; exit 1; }
warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/descstat.1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "manual page warnings:"; echo "$warnings"; exit 1
fi
echo "install: every file in place; the manual page renders without warnings"
