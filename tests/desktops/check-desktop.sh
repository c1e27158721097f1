#!/usr/bin/env bash
# Runs both programs under a headless Wayland compositor on a private session
# bus, with no QT_QPA_PLATFORM, and checks them as a user would see them.
#   check-desktop.sh x11|gnome|gnome-mixed|kde|wayland-alone BIN_DIR [SCREENSHOT.png]
#     x11:           Xvfb with openbox
#     gnome:         mutter with Xwayland
#     gnome-mixed:   the same, with a host already running as a Wayland client
#     kde:           kwin_wayland with Xwayland
#     wayland-alone: weston without any X display
# Exits 0 on success, 1 on a failed check or a missing tool.
set -euo pipefail
mode=$1
bin=$(realpath "$2")
shot=${3:+$(realpath -m "$3")}
here=$(cd "$(dirname "$0")" && pwd)
limit=${VELMORA_DESKTOP_TIMEOUT:-90}

work=$(mktemp -d /tmp/velmora-desktop.XXXXXX)
# Whatever outlived the session (a timed-out compositor's clients, a bus
# started host, the accessibility bus) is recognised by its runtime folder.
leftovers() {
  grep -lzx "XDG_RUNTIME_DIR=$work/runtime" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
}
cleanup() {
  local rc=$? pids
  pids=$(leftovers || true)
  if [ -n "$pids" ]; then kill $pids 2>/dev/null || true; sleep 0.5; fi
  pids=$(leftovers || true)
  if [ -n "$pids" ]; then kill -9 $pids 2>/dev/null || true; fi
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY XAUTHORITY
socket=velmora-$mode-$$

need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (scripts/deps.sh --test)" >&2; exit 1; }; }
need dbus-run-session; need wmctrl; need xprop; need /usr/bin/python3
session=("$here/session.sh" "$mode" "$bin" "$work" "$shot")
case $mode in
  x11)
    need xvfb-run; need openbox
    run=(xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp"
         bash -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 0.3; "$@"; rc=$?; kill $wm; exit $rc' _ "${session[@]}")
    ;;
  gnome | gnome-mixed)
    need mutter; need Xwayland
    run=(mutter --wayland --headless --virtual-monitor 1280x800 --wayland-display="$socket" --sm-disable
         -- "${session[@]}")
    ;;
  kde)
    need kwin_wayland; need Xwayland
    # The installed binary carries a file capability that refuses to run as
    # root; a plain copy under the same name runs.
    cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
    run=("$work/kwin_wayland" --virtual --width 1280 --height 800 --xwayland --socket "$socket"
         --no-lockscreen --no-global-shortcuts --exit-with-session "${session[*]}")
    ;;
  wayland-alone)
    need weston
    run=(bash -c 'weston --backend=headless-backend.so --socket="$1" --idle-time=0 >"$2/weston.log" 2>&1 &
                  w=$!; for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$1" ] && break; sleep 0.05; done
                  WAYLAND_DISPLAY=$1 "${@:3}"; rc=$?; kill $w; wait $w; exit $rc' _ "$socket" "$work" "${session[@]}")
    ;;
  *) echo "usage: $0 x11|gnome|gnome-mixed|kde|wayland-alone BIN_DIR [SCREENSHOT.png]" >&2; exit 2 ;;
esac

start=$(date +%s%3N)
rc=0
timeout --kill-after=5 "$limit" dbus-run-session -- "${run[@]}" >"$work/out.log" 2>&1 || rc=$?
grep -vE 'DeprecationWarning|do_action' "$work/session.log" 2>/dev/null
echo "$mode: $(($(date +%s%3N) - start)) ms in all"
# The session's own verdict: a compositor's exit status need not carry it.
grep -q "^PASS ($mode)" "$work/session.log" 2>/dev/null && [ $rc -ne 124 ] && exit 0
[ $rc -eq 124 ] && echo "FAIL ($mode): timed out after $limit s" >&2
echo "-- full output" >&2; tail -n 60 "$work/out.log" >&2
exit 1
