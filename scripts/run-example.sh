#!/usr/bin/env bash
# make run: says "building descstat..." and builds the program alone (the
# tests are left to make test), its output shown only when it fails, then
# starts the dialogue in build/run/, a fresh copy of examples/, so that the
# README's answers (data.txt, report.txt) leave the tracked files as they are.
# The program's exit code is told when it is not 0.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
echo "building descstat..."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! make --no-print-directory build >"$log" 2>&1; then
    cat "$log"
    exit 1
fi
rm -rf build/run
cp -R examples build/run
(cd build/run && ../descstat)
status=$?
echo "(the files are in build/run/)"
if [ $status -ne 0 ]; then echo "(descstat ended with exit code $status)"; fi
