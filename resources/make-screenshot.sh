#!/usr/bin/env bash
# Takes resources/screenshot.png: the toolbar beside the stand-in host on a
# private X display (with openbox) and session bus, after the user picked
# "Low Earth Orbit", kept it in the host (Ctrl+K), picked "Geostationary
# Orbit" and chose Orbits, "Show Transfer": the map with both ground tracks
# and the 3-D window with the kept orbit, the transfer and its cost.
#
#   resources/make-screenshot.sh BUILD_DIR     (programs in BUILD_DIR/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "${1:?build folder}")/bin
[ -x "$bin/velmora-toolbar" ] && [ -x "$bin/velmora-zep" ] || { echo "no programs in $bin" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/shoot.sh" <<'INNER'
set -eu
bin=$1 out=$2 journal=$3
openbox >/dev/null 2>&1 &
sleep 0.5
ZEP_JOURNAL=$journal ZEP_STANDIN=$bin/velmora-zep "$bin/velmora-toolbar" >/dev/null 2>&1 &
toolbar=$!
# The start-up ends with the first orbit state.
for _ in $(seq 1 60); do
  sleep 1
  grep -q 'SetState' "$journal" 2>/dev/null && break
done
sleep 1
# Beside the host, as a user would place it; then click as a user would.
win=$(xdotool search --name '^Velmora Toolbar$' | head -1)
xdotool windowmove "$win" 1300 120
sleep 0.5
corner() { xwininfo -id "$win" | awk "/Absolute upper-left $1/ {print \$4}"; }
x=$(corner X) y=$(corner Y)
pick() {  # OrbitSelect's arrow, then Down that many times from the entry shown
  xdotool mousemove $((x + 131)) $((y + 14)) click 1
  sleep 0.7
  for _ in $(seq 1 "$1"); do xdotool key Down; done
  xdotool key Return
  sleep 1.5
}
host() {
  xdotool windowactivate --sync "$(xdotool search --name '^ZEP$' | tail -1)"
  sleep 0.5
}
command() {
  dbus-send --session --print-reply --dest=ZEP.Application /Application/Personality \
    ZEP.Personality.ExecuteCommand string:"$1" >/dev/null
}
command "Application / MenuBar Show"
command 'Application / ToolBar Show "*"'
pick 1                                                   # "Low Earth Orbit"
host; xdotool key ctrl+k                                 # Orbits, "Keep Orbit"
pick 3                                                   # "Geostationary Orbit"
host; xdotool key alt+o t                                # Orbits, "Show Transfer"
sleep 2.5
xdotool mousemove 1590 890
import -window root "$out"
pid=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
kill "$toolbar" "$pid" 2>/dev/null || true
INNER
xvfb-run -a -s "-screen 0 1600x900x24" dbus-run-session -- \
  bash "$work/shoot.sh" "$bin" "$work/shot.png" "$work/journal.txt"
convert "$work/shot.png" -crop 1600x840+0+0 -strip -define png:exclude-chunks=date,time,tIME "$here/screenshot.png"
echo "wrote $here/screenshot.png"
