#!/usr/bin/env bash
# The checks inside one compositor's session (run by check-desktop.sh, with
# WAYLAND_DISPLAY and, except for "wayland-alone", DISPLAY set).
#   session.sh MODE BIN_DIR WORK_DIR [SCREENSHOT]
set -u
mode=$1 bin=$2 work=$3 shot=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
# A compositor may not pass its session's output on.
exec >>"$work/session.log" 2>&1
journal=$work/zep.journal
toolbar="" host=""

cleanup() {
  [ -n "${other:-}" ] && kill "$other" 2>/dev/null
  [ -n "$toolbar" ] && kill "$toolbar" 2>/dev/null
  [ -n "$host" ] && kill "$host" 2>/dev/null
  wait 2>/dev/null
}
fail() {
  echo "FAIL ($mode): $*" >&2
  echo "-- toolbar output" >&2; cat "$work/toolbar.log" >&2 2>/dev/null
  echo "-- host journal (last lines)" >&2; tail -n 15 "$journal" >&2 2>/dev/null
  cleanup
  exit 1
}
# wait_for WHAT SECONDS COMMAND...: polls every 50 ms.
wait_for() {
  local what=$1 polls=$(($2 * 20)); shift 2
  for ((i = 0; i < polls; i++)); do "$@" && return 0; sleep 0.05; done
  fail "$what"
}
now_ms() { date +%s%3N; }
# Milliseconds in the host's journal from the first line holding $1 to the first holding $2.
journal_span() {
  awk -v a="$1" -v b="$2" 'function ms(t) { split(substr(t, 12, 12), p, ":"); return (p[1] * 3600 + p[2] * 60 + p[3]) * 1000 }
    index($0, a) && !s { s = ms($1) } index($0, b) && s && !e { e = ms($1) } END { if (e) printf "%d", e - s }' "$journal"
}
startup_done() { local n; n=$(grep -c 'cmd SetState ' "$journal" 2>/dev/null); [ "${n:-0}" -ge 6 ]; }
journal_has() { grep -qF -- "$1" "$journal" 2>/dev/null; }
bus() { dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus \
          /org/freedesktop/DBus "org.freedesktop.DBus.$1" "${@:2}"; }

echo "session ($mode): WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-} DISPLAY=${DISPLAY:-} QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-}"
if [ "$mode" = wayland-alone ]; then
  [ -z "${DISPLAY:-}" ] || fail "an X display is set"
else
  [ -n "${DISPLAY:-}" ] || fail "the compositor offers no X display"
  if [ -z "${XAUTHORITY:-}" ]; then
    for auth in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do [ -f "$auth" ] && export XAUTHORITY=$auth; done
  fi
  x_answers() { xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1; }
  wait_for "the X display answers" 20 x_answers
fi

# Buttons are pressed as assistive technology does: no pointer needed.
dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
  string:org.a11y.Status string:IsEnabled variant:boolean:true || fail "the accessibility bus"

host_on_bus() { bus NameHasOwner string:ZEP.Application 2>/dev/null | grep -qw true; }
if [ "$mode" = gnome-mixed ]; then
  # A host someone started as a native Wayland client; the toolbar adopts it.
  QT_QPA_PLATFORM=wayland ZEP_JOURNAL=$journal "$bin/velmora-zep" --automation >"$work/host.log" 2>&1 &
  host=$!
  wait_for "the Wayland host on the bus" 20 host_on_bus
fi

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ZEP_JOURNAL=$journal "$bin/velmora-toolbar" >"$work/toolbar.log" 2>&1 &
toolbar=$!
started=$(now_ms)
wait_for "start-up (six state updates in the host's journal)" 60 startup_done
echo "start-up: $(($(now_ms) - started)) ms"
host=$(bus GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
[ -n "$host" ] || fail "no host on the bus"

if [ "$mode" = wayland-alone ]; then
  grep -q libqwayland "/proc/$toolbar/maps" || fail "the toolbar is not a Wayland client"
else
  bar_window() { wmctrl -l | awk '/ Velmora Toolbar$/ { print $1; exit }'; }
  above() { xprop -id "$(bar_window)" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
  not_above() { ! above; }
  wait_for "the toolbar's window on the X display" 10 test -n "$(bar_window)"
  wait_for "the toolbar kept above (_NET_WM_STATE_ABOVE)" 10 above
  host_window() { wmctrl -lp | awk -v pid="$host" '$3 == pid { print $1; exit }'; }
  if [ "$mode" = gnome-mixed ]; then
    grep -q libqwayland "/proc/$host/maps" || fail "the host is not a Wayland client"
    echo "toolbar $(bar_window) kept above; host pid $host is a Wayland client"
  else
    wait_for "the host's window on the X display" 10 test -n "$(host_window)"
    echo "toolbar $(bar_window) kept above; host pid $host has X window $(host_window)"
  fi
fi

# The X display's root as the user sees it (Xwayland draws only X windows).
screenshot() {  # FILE [WINDOW]
  local which=(-root); [ -n "${2:-}" ] && which=(-id "$2")
  xwd -silent -display "$DISPLAY" "${which[@]}" >"$work/shot.xwd" 2>"$work/shot.err" &&
    convert "xwd:$work/shot.xwd" "$1" 2>>"$work/shot.err" && echo "screenshot: $1" ||
    echo "no screenshot: $(head -c 300 "$work/shot.err")"
}
# Before the hand-over: the toolbar itself (the root cannot always be read then).
[ -n "$shot" ] && [ "$mode" != wayland-alone ] && screenshot "${shot%.png}-toolbar.png" "$(bar_window)"

if [ "$mode" != wayland-alone ]; then
  # A third window has the focus at the press: the keys must still reach the host.
  xmessage -geometry +40+500 "another program" >/dev/null 2>&1 &
  other=$!
  other_active() {
    local w; w=$(wmctrl -l | awk '/ xmessage$/ { print $1; exit }')
    [ -n "$w" ] && xprop -root _NET_ACTIVE_WINDOW | grep -q "# $(printf '0x%x' "$((w))")\$"
  }
  wait_for "another window active before the press" 10 other_active
fi

pressed=$(now_ms)
/usr/bin/python3 "$here/press.py" velmora-toolbar "Go To ZEP" 10 || fail "pressing Go To ZEP"
if [ "$mode" = wayland-alone ] || [ "$mode" = gnome-mixed ]; then
  wait_for "the hand-over through SendKeys" 10 journal_has "app SendKeys %v"
  echo "hand-over through SendKeys: $(($(now_ms) - pressed)) ms after the press"
  grep -F "menu Show all bars" "$journal" >/dev/null && echo "the host ran its View menu entry"
  [ "$mode" = wayland-alone ] || wait_for "the toolbar no longer kept above" 10 not_above
else
  wait_for "the View menu entry typed by the desktop" 10 journal_has "menu Show all bars and tile"
  echo "hand-over keys reached the View menu $(($(now_ms) - pressed)) ms after the press," \
       "$(journal_span "app Activate" "menu Show all bars and tile") ms after the host's Activate"
  ! journal_has "SendKeys" || fail "the host typed the keys itself (SendKeys)"
  wait_for "the toolbar no longer kept above" 10 not_above
  if [ -n "$shot" ]; then
    screenshot "$shot"
  fi
fi
# Keys typed into the toolbar would have changed an element: no state follows.
sleep 0.5
awk '/GetZEPVersion/ { h = 1 } h && /cmd SetState / { exit 1 }' "$journal" ||
  fail "the toolbar sent an orbit state after the hand-over: keys went into it"
kill -0 "$toolbar" 2>/dev/null || fail "the toolbar ended"
# Nothing to tell the user on an ordinary run, on any desktop.
[ ! -s "$work/toolbar.log" ] || fail "the toolbar printed: $(head -c 600 "$work/toolbar.log")"
cleanup
echo "PASS ($mode)"
exit 0
