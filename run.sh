#!/usr/bin/env bash
# Builds the screen saver (installing what it needs) and runs it on the bundled sample
# photo library. Arguments go to the program: ./run.sh /c opens the settings dialog.
# Without a display the show runs on a virtual X server for ten seconds and leaves
# screenshots in build/demo/.
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null

samples=$top/build/samples/pyrnox
[ -d "$samples" ] || build/release/make-samples "$samples" >/dev/null 2>&1

# A private settings file under build/, so the user's own settings are never touched. The
# delay set in the dialog is kept from run to run; the photo folder always points here.
export XDG_CONFIG_HOME=$top/build/demo/config
ini=$XDG_CONFIG_HOME/pelandra-omnarium/screensaver.ini
mkdir -p "$(dirname "$ini")"
interval=$(sed -n "s/^Interval=//p" "$ini" 2>/dev/null | head -n 1 || true)
{
  echo "[Settings]"
  if [ -n "$interval" ]; then echo "Interval=$interval"; fi
  echo "PelandrasDir=$samples/"
} >"$ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/pelandra-saver "$@"
fi

# No display: a virtual one, a few screenshots, then stop.
demo=$top/build/demo
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export XDG_RUNTIME_DIR=$demo/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

build/release/pelandra-saver "$@" &
saver=$!
shots=()
snap() {
  sleep "$1"
  kill -0 "$saver" 2>/dev/null || return 0
  import -window root "$demo/$2.png" && shots+=("$demo/$2.png")
}
arg=${1:-}
if [ "$arg" = "${arg#/c}" ]; then
  snap 1 show-before-first-tick
  snap 4 show-after-two-ticks
  snap 4 show-after-four-ticks
else
  snap 2 settings-dialog
fi
kill "$saver" 2>/dev/null || true
wait "$saver" 2>/dev/null || true
echo "Ran on a virtual 800 x 600 screen (no display found). Screenshots:"
printf '  %s\n' "${shots[@]}"
