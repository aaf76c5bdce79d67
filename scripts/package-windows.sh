#!/usr/bin/env bash
# Makes build-windows/descstat-<version>-windows-x86_64.zip: descstat.exe, the
# sample data file and the user's guides (docs/guide/, in Japanese and in
# English) in one folder, then checks it. The guides become Windows text:
# CR LF line ends and a UTF-8 byte order mark, so that Notepad reads them as
# UTF-8 on every Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(descstat VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="descstat-$version-windows-x86_64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp build-windows/descstat.exe examples/data.txt "$stage/$name/"
for guide in docs/guide/README-*.txt; do
    { printf '\357\273\277'; sed 's/$/\r/' "$guide"; } >"$stage/$name/$(basename "$guide")"
done
rm -f "build-windows/$name.zip"
(cd "$stage" && zip -q -r -X "$OLDPWD/build-windows/$name.zip" "$name")
unzip -l "build-windows/$name.zip"
python3 scripts/check-zip.py "build-windows/$name.zip" build-windows/descstat.exe
