#!/usr/bin/env bash
# Takes resources/screenshot.png: the toolbar and the stand-in host side by side
# after start-up, on a private X display (with openbox) and session bus.
# Needs xvfb, openbox, xdotool, wmctrl and imagemagick.
#
#   resources/make-screenshot.sh BUILD_DIR     (programs in BUILD_DIR/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "${1:?build folder}")/bin
[ -x "$bin/velmora-toolbar" ] && [ -x "$bin/velmora-zep" ] || { echo "no programs in $bin" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/shoot.sh" <<'EOF'
set -eu
bin=$1 out=$2 journal=$3
openbox >/dev/null 2>&1 &
sleep 0.5
ZEP_JOURNAL=$journal ZEP_STANDIN=$bin/velmora-zep "$bin/velmora-toolbar" >/dev/null 2>&1 &
toolbar=$!
# The start-up ends with the first orbit state; give the view a moment to draw it.
for _ in $(seq 1 60); do
  sleep 1
  grep -q 'SetState' "$journal" 2>/dev/null && break
done
# Side by side, as a user would arrange them: the host's window narrowed to
# leave room on the right, the toolbar dragged there.
win=$(xdotool search --name '^Velmora Toolbar$' | head -1)
wmctrl -F -r ZEP -b remove,maximized_vert,maximized_horz || true
wmctrl -F -r ZEP -e 0,4,26,940,650 || true
[ -n "$win" ] && xdotool windowmove "$win" 956 60
sleep 3
import -window root "$out"
pid=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
kill "$toolbar" "$pid" 2>/dev/null || true
EOF
xvfb-run -a -s "-screen 0 1280x720x24" dbus-run-session -- \
  bash "$work/shoot.sh" "$bin" "$work/shot.png" "$work/journal.txt"
convert "$work/shot.png" -strip -define png:exclude-chunks=date,time,tIME "$here/screenshot.png"
echo "wrote $here/screenshot.png"
