#!/usr/bin/env bash
# Checks the Debian package in build/: its fields, its files, and that the
# packaged program, unpacked into a scratch folder, turns the packaged sample
# data into the expected report.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls build/descstat_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Maintainer Depends
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
for f in usr/bin/descstat usr/share/man/man1/descstat.1 usr/share/doc/descstat/README.md \
         usr/share/doc/descstat/data.txt; do
    [ -f "$scratch/root/$f" ] || { echo "missing in package: $f"; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q libc6 || { echo "no computed dependencies"; exit 1; }
mkdir "$scratch/run"
cp "$scratch/root/usr/share/doc/descstat/data.txt" "$scratch/run/"
(cd "$scratch/run" && printf 'data.txt\nreport.txt\nx\n' | "$scratch/root/usr/bin/descstat" >/dev/null)
cmp "$scratch/run/report.txt" examples/report.txt
echo "package: the packaged program writes the expected report"
