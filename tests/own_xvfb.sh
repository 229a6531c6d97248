# Sourced by the scripts that need an X server of their own.
# own_xvfb SCRATCH_FILE: starts Xvfb, which picks a free display number and
# tells it through SCRATCH_FILE; sets OWN_DISPLAY (":N") and OWN_XVFB_PID.
own_xvfb() {
  exec 3<> "$1"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  OWN_XVFB_PID=$!
  for _ in $(seq 50); do
    [ -s "$1" ] && break
    sleep 0.1
  done
  OWN_DISPLAY=:$(head -n1 "$1")
  exec 3>&-
  rm -f "$1"
}
