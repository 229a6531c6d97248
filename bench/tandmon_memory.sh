#!/usr/bin/env bash
# Tandmon's resident memory after it has watched for a while: once without a
# display, once on the Qt front end with its tray. Each run installs a
# product folder with a registry store of its own, starts the monitor in it,
# waits, reads VmRSS from /proc/PID/status, keeps reading it over five more
# ticks of the 3-second watch timer (a tick must not grow it), then stops the
# monitor with "Tandmon -close".
#
#   bench/tandmon_memory.sh [WAIT]    WAIT: 90, 90s or 2m (default 1m)
#
#   BUILD_DIR    build folder holding monitor/Tandmon and tools/tandrix
#                (default ./build)
#   TRAY_ONLY=1 / HEADLESS_ONLY=1    one of the two runs only
#
# The Qt run uses a private Xvfb display with trayer as its system tray when
# both are installed, else Qt's offscreen platform (no tray: the monitor
# then watches without an icon). Aims: under 15 MB without a display, under
# 60 MB with the tray, and no growth from one tick to the next. The exit
# status is 1 when an aim is missed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
monitor="$build/monitor/Tandmon"
tool="$build/tools/tandrix"
for f in "$monitor" "$tool"; do
  [ -x "$f" ] || { echo "tandmon_memory: $f is not built (cmake --build $build --target Tandmon tandrix)" >&2; exit 2; }
done

wait_arg=${1:-1m}
case "$wait_arg" in
  *m) wait_s=$(( ${wait_arg%m} * 60 )) ;;
  *s) wait_s=${wait_arg%s} ;;
  *) wait_s=$wait_arg ;;
esac
[[ "$wait_s" =~ ^[0-9]+$ ]] || { echo "tandmon_memory: WAIT is seconds or minutes: 90, 90s, 2m" >&2; exit 2; }

headless_aim_kb=$((15 * 1024))
tray_aim_kb=$((60 * 1024))
ticks=5
tick_s=3

work=$(mktemp -d "${TMPDIR:-/tmp}/tandmon-memory.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A store and an instance channel of this run's own, so a monitor the user
# runs is left alone.
export TANDRIX_REGISTRY="$work/registry.db"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$tool" install "$work/product" >/dev/null

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

failed=0
results=()

# measure NAME AIM_KB VAR=VALUE ...: one run of the monitor with that
# environment.
measure() {
  local name=$1 aim=$2
  shift 2
  (cd "$work/product" && exec env "$@" ./Tandmon) >"$work/$name.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  echo "tandmon_memory: $name: watching for ${wait_s}s (pid $pid)" >&2
  sleep "$wait_s"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "tandmon_memory: $name: Tandmon ended early:" >&2
    cat "$work/$name.log" >&2
    failed=1
    return
  fi
  local first last low high r
  first=$(rss_kb "$pid")
  low=$first
  high=$first
  for ((i = 0; i < ticks; i++)); do
    sleep "$tick_s"
    r=$(rss_kb "$pid")
    ((r < low)) && low=$r
    ((r > high)) && high=$r
  done
  last=$r
  local qt="no"
  grep -q libQt6Widgets "/proc/$pid/maps" 2>/dev/null && qt="yes"
  local icon="-"
  if [ "$qt" = yes ] && [ -n "${tray_display:-}" ] && command -v xwininfo >/dev/null; then
    # The tray icon's window sits under the tray's own.
    if DISPLAY=$tray_display xwininfo -root -tree 2>/dev/null | grep -q '"Tandmon": ("Tandmon"'; then icon="shown"; else icon="none"; fi
  fi

  (cd "$work/product" && env "$@" ./Tandmon -close) >>"$work/$name.log" 2>&1
  local code=0
  wait "$pid" || code=$?

  local verdict="ok"
  if ((first >= aim)); then verdict="OVER AIM"; failed=1; fi
  if ((high > first)); then verdict="GREW"; failed=1; fi
  if ((code != 0)); then verdict="EXIT $code"; failed=1; fi
  results+=("$(printf '%-26s %8d kB  %+6d kB over %d ticks (low %d, high %d)  aim < %d kB  Qt loaded: %-3s tray icon: %-5s %s' \
    "$name" "$first" "$((last - first))" "$ticks" "$low" "$high" "$aim" "$qt" "$icon" "$verdict")")
}

if [ -z "${TRAY_ONLY:-}" ]; then
  measure "headless" "$headless_aim_kb" -u DISPLAY -u WAYLAND_DISPLAY TANDRIX_HEADLESS=1
fi

if [ -z "${HEADLESS_ONLY:-}" ]; then
  tray_display=""
  if command -v Xvfb >/dev/null; then
    for n in $(seq 90 99); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { tray_display=":$n"; break; }
    done
  fi
  if [ -n "$tray_display" ]; then
    Xvfb "$tray_display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=("$!")
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${tray_display#:}" ] && break; sleep 0.05; done
    label="Qt on Xvfb"
    if command -v trayer >/dev/null; then
      DISPLAY=$tray_display trayer --edge top --align right --widthtype request --height 24 \
        >"$work/trayer.log" 2>&1 &
      pids+=("$!")
      sleep 1
      label="Qt tray (Xvfb, trayer)"
    fi
    measure "$label" "$tray_aim_kb" -u TANDRIX_HEADLESS -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY \
      DISPLAY="$tray_display"
  else
    tray_display=""
    measure "Qt offscreen (no tray)" "$tray_aim_kb" -u TANDRIX_HEADLESS QT_QPA_PLATFORM=offscreen \
      DISPLAY="${DISPLAY:-:0}"
  fi
fi

echo "Tandmon resident memory (VmRSS) after ${wait_s}s of watching, then over $ticks ticks:"
for line in "${results[@]}"; do echo "  $line"; done
exit "$failed"
