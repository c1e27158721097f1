#!/usr/bin/env bash
# Runs one test in isolation: headless Qt by default, and on request a private
# session bus and a private X display with a window manager.
set -euo pipefail
bus=0 display=0
while [ $# -gt 0 ]; do
  case "$1" in
    --bus) bus=1 ;;
    --display) display=1 ;;
    --) shift; break ;;
    *) break ;;
  esac
  shift
done

cmd=("$@")
if [ "$display" = 1 ]; then
  unset QT_QPA_PLATFORM
  # xvfb-run picks a free display; openbox gives focus and stacking like a desktop.
  cmd=(xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp"
       bash -c 'openbox >/dev/null 2>&1 & wm=$!; sleep 0.3; "$@"; rc=$?; kill $wm 2>/dev/null; exit $rc' _ "$@")
else
  export QT_QPA_PLATFORM=offscreen
fi

if [ "$bus" = 1 ]; then
  exec dbus-run-session -- "${cmd[@]}"
fi
exec "${cmd[@]}"
