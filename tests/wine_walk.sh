#!/usr/bin/env bash
# The Windows programs under Wine on a real X server (Xvfb), used as a
# person would: controls are found by their visible text (find_control.exe)
# and clicked with the X mouse (xdotool); what the programs did is read
# back from the Windows registry (wine regedit /E) and the product folder.
#
#   wine_walk.sh WIN_BUILD_DIR SCREENSHOT_DIR [WINDOW_SHOT]
#
# WINDOW_SHOT, the Linux build's window_shot, saves a screenshot of each
# dialog into SCREENSHOT_DIR; without it the walk takes none.
#
# The walk: tandrix.exe installs a product folder. Chooser.exe opens the
# Windows 95 default (no game has been played yet), is set to Vertical,
# saves and applies it. Tandmon.exe puts its icon in Wine's tray (its menu's
# About box is opened and closed) and makes the default configuration live;
# a stand-in game copied to quake.exe is seen within a tick and Quake's
# configuration made live, and the default comes back when it ends;
# Tandmon.exe -close ends the monitor. svcsetup.exe 1 ten.exe shows its
# dialog and is cancelled.
set -Eeuo pipefail
build=$(cd "$1" && pwd)
shots=$2
window_shot=${3:+$(realpath "$3")}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)

fail() {
  echo "wine walk: $*" >&2
  exit 1
}
trap 'echo "wine walk: line $LINENO failed: $BASH_COMMAND" >&2' ERR

for tool in Xvfb xdotool wine; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tandrix-wine-walk-XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
xvfb_pid=""
cleanup() {
  if [ -n "${WALK_KEEP:-}" ]; then
    echo "wine walk: kept DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX" >&2
    return
  fi
  "$wineserver" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own.
# shellcheck source=tests/own_xvfb.sh
. "$(dirname "$0")/own_xvfb.sh"
own_xvfb "$work/display"
xvfb_pid=$OWN_XVFB_PID
DISPLAY=$OWN_DISPLAY
export DISPLAY
wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the Wine prefix"

# The programs as an installation would hold them, and the product folder.
bin="$WINEPREFIX/drive_c/tandrix-bin"
mkdir -p "$bin"
cp "$build/tools/tandrix.exe" "$build/monitor/Tandmon.exe" "$build/customizer/Chooser.exe" \
   "$build/service_setup/svcsetup.exe" "$bin/"
product="$WINEPREFIX/drive_c/tandrix"
wine "$bin/tandrix.exe" install 'C:\tandrix' >"$work/install.log" 2>&1 ||
  fail "tandrix.exe install failed: $(cat "$work/install.log")"
cd "$product"

# Waits up to $1 seconds for the command after it to succeed.
within() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt "$end" ] || return 1
    sleep 0.2
  done
}

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true; }
shows() { [ -n "$(window "$1")" ]; }
gone() { ! shows "$1"; }

shoot() {  # shoot TITLE FILE
  [ -n "$window_shot" ] || return 0
  local w
  w=$(window "$1")
  [ -n "$w" ] || fail "no window \"$1\" to take a screenshot of"
  sleep 0.5  # painted
  "$window_shot" "$w" "$shots/$2" 2>"$work/shot.log" || fail "cannot save the screenshot $2: $(cat "$work/shot.log")"
}

# Clicks the control showing TEXT in the window titled TITLE, with the
# X mouse where a person would click.
click() {
  local pos
  pos=$(wine "$build/bin/find_control.exe" "$1" "$2") || fail "no \"$2\" in \"$1\""
  # shellcheck disable=SC2086
  xdotool mousemove $pos
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

# The joystick keys as the Windows registry holds them.
joystick_keys() {
  rm -f "$work/keys.reg"
  for root in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
    wine regedit /E "$work/keys.reg" \
      "$root\\System\\CurrentControlSet\\Control\\MediaResources\\Joystick" >/dev/null 2>&1 &&
      [ -s "$work/keys.reg" ] && break
  done
  # regedit writes UTF-16.
  iconv -f UTF-16 -t UTF-8 "$work/keys.reg" 2>/dev/null | tr -d '\r'
}
live_file() { joystick_keys | grep -i '^"Joy1ConfigurationFile"=' | head -n1; }
# grep reads to the end: -q would stop early and fail the pipeline.
live_is() { live_file | grep -i "$1" >/dev/null; }

echo "wine walk: customizer"
title="Customizer Utility V4.71"
configs() { find "$product" -iname '*.vcg' -exec md5sum {} + | sort; }
before=$(configs)
wine Chooser.exe >"$work/chooser.log" 2>&1 &
within 30 shows "$title" || fail "Chooser.exe showed no window"
shoot "$title" wine-chooser.png
click "$title" "Vertical"
click "$title" "Save Settings"
saved() { [ "$(configs)" != "$before" ]; }
within 10 saved || fail "Save Settings wrote no configuration"
joystick_keys >"$work/before-apply.txt"
click "$title" "Apply Settings"
applied() { ! joystick_keys | cmp -s - "$work/before-apply.txt"; }
within 10 applied || fail "Apply Settings changed nothing in the registry"
written=$(diff <(echo "$before") <(configs) | sed -n 's/^> [0-9a-f]*  //p' | head -n1 || true)
live_is "$(basename "$written")" || fail "Apply did not make the saved $written live: $(live_file)"
click "$title" "Exit"
within 10 gone "$title" || fail "Exit left Chooser open"

echo "wine walk: monitor"
wine Tandmon.exe >"$work/tandmon.log" 2>&1 &
within 30 shows "Wine System Tray" || fail "the monitor put no icon in Wine's tray"
shoot "Wine System Tray" wine-tray.png
within 10 live_is 'Joy3D.vcg' || fail "the default is not live: $(live_file)"
# The icon's menu: a right click on it, then About's access key.
eval "$(xdotool getwindowgeometry --shell "$(window 'Wine System Tray')")"
xdotool mousemove $((X + 9)) $((Y + HEIGHT / 2))
sleep 0.3
xdotool click 3
sleep 1
xdotool key a
within 10 shows "About Tandrix Monitor" || fail "About... of the tray icon's menu opened nothing"
shoot "About Tandrix Monitor" wine-tandmon-about.png
click "About Tandrix Monitor" "OK"
within 10 gone "About Tandrix Monitor" ||
  fail "OK left the About box open"

# A stand-in game under a listed name, started under the same Wine server.
mkdir -p "$WINEPREFIX/drive_c/games/quake"
cp "$build/bin/stand_in_game.exe" "$WINEPREFIX/drive_c/games/quake/quake.exe"
started=$SECONDS
wine 'C:\games\quake\quake.exe' 10 >/dev/null 2>&1 &
game=$!
# One tick of 3 s, and Wine's start of the game.
within 8 live_is 'quake.vcg' || fail "Quake's configuration did not go live: $(live_file)"
echo "wine walk: quake.vcg live $((SECONDS - started)) s after the game's start"
# Quake is a new game (NewGame=1): its instructions show beside it.
within 5 shows "Tandrix - Quake" || fail "Quake's instructions did not show"
shoot "Tandrix - Quake" wine-tandmon-instructions.png
wait "$game"
within 8 live_is 'Joy3D.vcg' || fail "the default did not come back: $(live_file)"
wine Tandmon.exe -close >"$work/close.log" 2>&1 || fail "Tandmon.exe -close failed"
grep -q "closed the monitor that was running" "$work/close.log" ||
  fail "Tandmon.exe -close said: $(cat "$work/close.log")"
within 10 gone "Wine System Tray" ||
  fail "the tray icon stayed after the monitor closed"

echo "wine walk: game service setup"
wine svcsetup.exe 1 ten.exe >"$work/svcsetup.log" 2>&1 &
setup=$!
within 30 shows "Game Service Setup" || fail "svcsetup.exe 1 ten.exe showed no dialog"
shoot "Game Service Setup" wine-svcsetup.png
# Browse opens the system's open-file dialog; cancelled, it changes nothing.
click "Game Service Setup" "Quake"
click "Game Service Setup" "Browse"
within 10 shows "Open" || fail "Browse opened no file dialog"
shoot "Open" wine-svcsetup-browse.png
click "Open" "Cancel"
within 10 gone "Open" || fail "Cancel left the file dialog open"
click "Game Service Setup" "Cancel"
wait "$setup" || true
within 10 gone "Game Service Setup" ||
  fail "Cancel left svcsetup open"

echo "wine walk: passed"
