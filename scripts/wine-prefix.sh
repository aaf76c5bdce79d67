#!/usr/bin/env bash
# Creates the Wine prefix (~/.wine, or $WINEPREFIX) once, before tests start
# Windows programs in parallel, and waits until Wine has settled.
set -euo pipefail
export WINEDEBUG=-all
if [ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ]; then
    echo "Creating the Wine prefix ${WINEPREFIX:-$HOME/.wine}"
    wineboot --init >/dev/null 2>&1 || true
fi
wineserver -w
