#!/usr/bin/env bash
# Makes build-windows/descstat-<version>-windows-x86_64.zip: descstat.exe, the
# README and the sample data file, in one folder.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(descstat VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="descstat-$version-windows-x86_64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp build-windows/descstat.exe README.md examples/data.txt "$stage/$name/"
rm -f "build-windows/$name.zip"
(cd "$stage" && zip -q -r -X "$OLDPWD/build-windows/$name.zip" "$name")
unzip -l "build-windows/$name.zip"
