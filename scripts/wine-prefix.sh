#!/usr/bin/env bash
# Creates the Wine prefix (~/.wine, or $WINEPREFIX) once, before tests start
# Windows programs in parallel, waits until Wine has settled, and starts a
# wineserver that stays up until `wineserver -k`: one that exits after its idle
# timeout while a new program connects leaves that program with a
# "wine client error" instead of a run.
set -euo pipefail
export WINEDEBUG=-all
if [ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ]; then
    echo "Creating the Wine prefix ${WINEPREFIX:-$HOME/.wine}"
    wineboot --init >/dev/null 2>&1 || true
fi
wineserver -w
# The server and Wine's services start here, detached from the output of the
# tests, so that no test's output stays open in a process that outlives it.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
