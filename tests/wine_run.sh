#!/usr/bin/env bash
# Runs a Windows program under Wine: wine_run.sh PROGRAM.exe [ARGS...]
# Uses WINEPREFIX when set (CI shares one over all suites); otherwise makes
# a prefix of its own in a temporary folder and removes it afterwards.
set -uo pipefail
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY="${WINE_DISPLAY:-}"
own=""
if [ -z "${WINEPREFIX:-}" ]; then
  own=$(mktemp -d "${TMPDIR:-/tmp}/tandrix-wine-XXXXXX")
  export WINEPREFIX="$own"
fi
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wine" "$@"
rc=$?
if [ -n "$own" ]; then
  "$wineserver" -k 2>/dev/null
  rm -rf "$own"
fi
exit $rc
