#!/usr/bin/env bash
# Builds the Debian package, lists it, unpacks it into a temporary root (it
# is never installed on this machine) and uses the system from there as a
# player would: the tools and programs must find their module, template and
# files in the unpacked tree, not in the build folder.
#   $1  the build folder
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  # Only what this script started.
  [ -n "${monitor_pid:-}" ] && kill "$monitor_pid" 2>/dev/null || true
  [ -n "${chooser_pid:-}" ] && kill "$chooser_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

echo "== building the package"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
deb=$(ls "$work"/out/tandrix_*.deb)
echo "$deb"

echo "== dpkg-deb -c"
dpkg-deb -c "$deb" | tee "$work/contents" | sed 's/^/  /'
dpkg-deb -f "$deb" Package Version Depends Recommends | sed 's/^/  /'
check "recommends the desktop's help viewer" bash -c "dpkg-deb -f '$deb' Recommends | grep -qw xdg-utils"
has() { grep -q " \./usr/$1\$" "$work/contents"; }
for f in bin/tandrix bin/Tandmon lib/tandrix/libtandrix_ui_qt.so \
         share/tandrix/Tandmon.ini share/tandrix/games.ini share/tandrix/defaults/Joy3D.vcg \
         share/tandrix/games/quake.vcg share/tandrix/pictures/133.bmp share/tandrix/icons/104.png \
         share/applications/tandrix-customizer.desktop share/applications/tandrix-monitor.desktop \
         share/doc/tandrix/copyright; do
  check "package holds usr/$f" has "$f"
done
for size in 16 22 24 32 48 64 128 256; do
  check "icon ${size}x${size}" has "share/icons/hicolor/${size}x${size}/apps/tandrix.png"
done
programs=(Tandmon)
help_programs="Tandmon Chooser svcsetup"
for p in Chooser svcsetup; do
  if [ -x "$build/customizer/$p" ] || [ -x "$build/service_setup/$p" ] || find "$build" -maxdepth 3 -name "$p" -type f -perm -u+x | grep -q .; then
    check "package holds usr/bin/$p (built)" has "bin/$p"
    programs+=("$p")
  fi
done
if [ -x "$build/driver/vexord" ]; then
  for f in bin/vexord lib/systemd/user/vexord.service lib/udev/rules.d/70-tandrix.rules share/doc/tandrix/driver.md; do
    check "package holds usr/$f" has "$f"
  done
fi
check "no version control files in the package" bash -c "! grep -q '/\.git' '$work/contents'"
check "template is read-only for others" bash -c "! grep -q '^-rw-rw\|^-rw-r--rw' '$work/contents'"

echo "== dpkg-deb -x into a temporary root"
root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
# tandrix status ends with 1 when the driver lacks /dev/uinput or a device,
# as a build machine does; it has said everything else by then.
tstatus() { "$bin/tandrix" status "$@" || [ $? -eq 1 ]; }

# A player of our own: nothing of this machine's user, store or monitor.
export HOME="$work/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset TANDRIX_REGISTRY TANDRIX_PRODUCT TANDRIX_QT_MODULE TANDRIX_HEADLESS DISPLAY WAYLAND_DISPLAY
export PATH="$bin:$PATH"
player="$XDG_DATA_HOME/tandrix"

echo "== desktop entries"
for entry in "$root"/usr/share/applications/*.desktop; do
  check "desktop-file-validate $(basename "$entry")" desktop-file-validate "$entry"
done

echo "== --help of every program and subcommand, acting on nothing"
empty="$work/empty"
mkdir -p "$empty"
helps=()
# The programs that answer --help so far; one that lands later joins here
# once it does.
for p in "${programs[@]}"; do
  case " $help_programs " in *" $p "*) helps+=("$bin/$p") ;; *) echo "note: $p --help not checked yet" ;; esac
done
for word in $("$bin/tandrix" help | sed -n 's/^  tandrix \([a-z]*\).*/\1/p' | sort -u); do
  helps+=("$bin/tandrix $word")
done
prints_usage() {
  local out code
  out=$(cd "$empty" && "$@" 2>&1) && code=0 || code=$?
  [ "$code" = 0 ] && [ "${out#usage: }" != "$out" ]
}
for cmd in "${helps[@]}"; do
  for flag in --help -h; do
    # shellcheck disable=SC2086
    check "$cmd $flag prints its usage" prints_usage $cmd $flag
  done
done
check "--help created nothing" test -z "$(ls -A "$empty")$(ls -A "$HOME")"
check "--help left no monitor" bash -c "! '$bin/tandrix' status --json | grep -q '\"running\": true'"

echo "== Tandmon outside a product folder"
out=$(cd "$empty" && "$bin/Tandmon" 2>&1) && code=0 || code=$?
echo "$out"
check "refuses" test "$code" = 1
check "says how to make one" grep -q 'tandrix install' <<<"$out"

echo "== tandrix install into a temporary folder"
other="$work/a folder"
out=$("$bin/tandrix" install "$other")
echo "$out"
check "template taken from the package" cmp -s "$root/usr/share/tandrix/defaults/Joy3D.vcg" "$other/defaults/Joy3D.vcg"
check "product files only" bash -c "[ ! -e '$other/defaults/.gitattributes' ] && [ ! -e '$other/games/.gitattributes' ]"
for p in "${programs[@]}"; do
  check "$p linked to the package's bin" test "$(readlink "$other/$p")" = "$bin/$p"
done
check "no module copied beside them" test ! -e "$other/libtandrix_ui_qt.so"

echo "== a display of our own"
if command -v Xvfb >/dev/null; then
  exec 5<> <(:)
  Xvfb -displayfd 5 -nolisten tcp -screen 0 800x600x24 >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display <&5 || display=""
  exec 5>&-
  export DISPLAY=":$display"
else
  export TANDRIX_HEADLESS=1
fi

if [[ " ${programs[*]} " == *" Chooser "* ]] && [ -n "${DISPLAY:-}" ]; then
  echo "== first use: the customizer's menu entry before any install"
  menu_exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/tandrix-customizer.desktop")
  # On the X server itself, whatever platform the tests around ask Qt for.
  # shellcheck disable=SC2086
  (unset QT_QPA_PLATFORM; exec $menu_exec >"$work/first.log" 2>&1) &
  chooser_pid=$!
  window=no
  for _ in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Customizer Utility V4.71"'; then window=yes; break; fi
    sleep 0.1
  done
  cat "$work/first.log"
  check "a window titled Customizer Utility V4.71 appears" test "$window" = yes
  check "the player's folder was made on the way" test -f "$player/Tandmon.ini"
  check "and the monitor was not put into autostart" test ! -e "$XDG_CONFIG_HOME/autostart/tandrix-monitor.desktop"
  kill "$chooser_pid" 2>/dev/null || true
  wait "$chooser_pid" 2>/dev/null || true
  chooser_pid=""
fi

echo "== tandrix install (the player's folder)"
out=$("$bin/tandrix" install)
echo "$out"
check "says where" grep -q "installed into $player" <<<"$out"
check "player's folder made" test -f "$player/Tandmon.ini"
check "customizer named as in the source tree" grep -q "Customizer=Chooser" "$player/Tandmon.ini"
check "store recorded" grep -q "Store=$XDG_CONFIG_HOME/tandrix/registry.db" "$player/Tandmon.ini"
check "store seeded" test -f "$XDG_CONFIG_HOME/tandrix/registry.db"

echo "== tandrix status without a monitor"
out=$(cd "$player" && tstatus)
echo "$out"
check "not running" grep -q '^monitor: *not running' <<<"$out"
check "player" grep -q '^player: *Player One' <<<"$out"
check "default configuration" grep -q "^default configuration: *$player/defaults/Joy3D.vcg\$" <<<"$out"

echo "== Tandmon with a display, from the unpacked root"
# Started by the menu entry's own command (tandrix start puts it in the
# player's folder); exec keeps its process id.
menu_exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/tandrix-monitor.desktop")
# shellcheck disable=SC2086
(exec $menu_exec >"$work/tandmon.log" 2>&1) &
monitor_pid=$!
running=no
for _ in $(seq 1 150); do
  if tstatus --json | grep -q '"monitor": {"running": true'; then running=yes; break; fi
  sleep 0.1
done
check "monitor runs" test "$running" = yes
if [ -n "${DISPLAY:-}" ]; then
  check "the Qt front end is the packaged module" \
    grep -q "$root/usr/lib/tandrix/libtandrix_ui_qt.so" "/proc/$monitor_pid/maps"
fi
out=$(tstatus)
echo "$out"
check "status: the driver's part" grep -q '^driver: ' <<<"$out"
check "status: running in the player's folder" grep -q "^monitor: *running (process [0-9]*) in $player\$" <<<"$out"
check "status: live configuration, a path of this machine" grep -qi "^live configuration: *$player/defaults/joy3d.vcg\$" <<<"$out"
json=$(tstatus --json)
check "status --json parses" python3 -c 'import json,sys; d=json.loads(sys.argv[1]); assert d["monitor"]["running"] and d["productFolder"] and "missing" in d["driver"]' "$json"

if [[ " ${programs[*]} " == *" Chooser "* ]] && [ -n "${DISPLAY:-}" ]; then
  echo "== Chooser, started by its menu entry"
  menu_exec=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/tandrix-customizer.desktop")
  # shellcheck disable=SC2086
  (exec $menu_exec >"$work/chooser.log" 2>&1) &
  chooser_pid=$!
  mapped=no
  for _ in $(seq 1 100); do
    if grep -q "$root/usr/lib/tandrix/libtandrix_ui_qt.so" "/proc/$chooser_pid/maps" 2>/dev/null; then
      mapped=yes
      break
    fi
    sleep 0.1
  done
  check "Chooser shows its window on the packaged module" test "$mapped" = yes
  sleep 1
  check "Chooser keeps running in the player's folder" kill -0 "$chooser_pid"
  check "Chooser runs in the player's folder" test "$(readlink "/proc/$chooser_pid/cwd")" = "$player"
  kill "$chooser_pid" 2>/dev/null || true
  wait "$chooser_pid" 2>/dev/null || true
  cat "$work/chooser.log"
  out=$(cd "$empty" && timeout 20 "$bin/Chooser" 2>&1) && code=0 || code=$?
  echo "$out"
  check "Chooser outside a product folder refuses" test "$code" = 1
  check "and says how to make one" grep -q 'tandrix install' <<<"$out"
fi

echo "== Tandmon -close"
out=$(cd "$player" && "$bin/Tandmon" -close 2>&1)
echo "$out"
check "says what it closed" grep -q 'closed the monitor that was running' <<<"$out"
check "monitor ended" bash -c "for _ in \$(seq 1 100); do kill -0 $monitor_pid 2>/dev/null || exit 0; sleep 0.1; done; exit 1"
monitor_pid=""
check "status: not running again" bash -c "'$bin/tandrix' status | grep -q '^monitor: *not running'"
check "nothing went wrong enough to log" test ! -e "$player/error.log"

echo "== autostart"
autostart="$XDG_CONFIG_HOME/autostart/tandrix-monitor.desktop"
"$bin/tandrix" install --autostart >/dev/null
check "--autostart writes the entry" test -f "$autostart"
check "desktop-file-validate the autostart entry" desktop-file-validate "$autostart"
check "it starts the packaged monitor in the player's folder" \
  bash -c "grep -qx 'Exec=$bin/Tandmon' '$autostart' && grep -qx 'Path=$player' '$autostart'"
"$bin/tandrix" install --no-autostart >/dev/null
check "--no-autostart removes it" test ! -e "$autostart"

if [ "$failures" -ne 0 ]; then
  echo "package test: $failures check(s) failed" >&2
  exit 1
fi
echo "package test: all checks passed"
