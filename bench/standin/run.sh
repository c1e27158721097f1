#!/usr/bin/env bash
# By hand: the host visible at 1280 x 1024 under Xvfb with a window manager,
# its 3-D window maximised, and one client dragging as fast as it can.
#   bench/standin/run.sh BUILD_DIR [SECONDS]
set -euo pipefail
build="${1:?build folder}"
seconds="${2:-10}"
host="$(find "$build" -name velmora-zep -type f -perm -u+x | head -1)"
client="$(find "$build" -name bench_standin_triples -type f -perm -u+x | head -1)"
inner=$(cat <<'INNER'
set -euo pipefail
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
"$HOST" >/dev/null 2>&1 &
hostpid=$!
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=ZEP.Application /Application org.freedesktop.DBus.Properties.Get \
    string:ZEP.Application string:Visible >/dev/null 2>&1 && break
  sleep 0.1
done
S="dbus-send --session --print-reply --dest=ZEP.Application"
$S /Application/Personality ZEP.Personality.ExecuteCommand string:"New / Scenario Velmora" >/dev/null
$S /Application org.freedesktop.DBus.Properties.Set string:ZEP.Application string:WindowState variant:int32:3 >/dev/null
last=$($S /Application/Windows org.freedesktop.DBus.Properties.Get string:ZEP.Windows string:Count | awk '/int32/ {print $3}')
path=$($S /Application/Windows ZEP.Windows.Item int32:$((last - 1)) | awk -F'"' '/object path/ {print $2}')
$S "$path" org.freedesktop.DBus.Properties.Set string:ZEP.Window string:WindowState variant:int32:3 >/dev/null
sleep 1
"$CLIENT" "$BENCH_SECONDS"
kill $hostpid $wm 2>/dev/null || true
INNER
)
HOST="$host" CLIENT="$client" BENCH_SECONDS="$seconds" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  dbus-run-session -- bash -c "$inner"
