#!/usr/bin/env bash
# Builds the Debian package, installs it with its dependencies, starts the
# installed toolbar on a private X display and session bus where only the
# installed service file can start the host, checks that the host received the
# start-up commands and that the toolbar's window came up, and removes the
# package again. Exits non-zero on any failure.
#
#   packaging/check-install.sh [BUILD_DIR]     (default: build-deb)
#
# BUILD_DIR may be an existing build folder: it is reconfigured for /usr, which
# changes no compiled file. Needs root or sudo (apt-get).
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build-deb}")
startup_timeout=${VELMORA_STARTUP_TIMEOUT:-90}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
say() { printf '== %s\n' "$*"; }
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

work=$(mktemp -d)
chmod 755 "$work"   # apt's download user reads the .deb from here
installed=0
cleanup() {
  local rc=$?
  if [ $installed -eq 1 ]; then
    say "removing the package after a failure"
    $sudo apt-get remove -y -qq velmora >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT

# Tools of the check itself; the package's own dependencies come with it.
tools=(xvfb xauth x11-utils dbus dbus-bin appstream desktop-file-utils mutter xwayland wmctrl)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing check tools: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- Build the .deb ----------------------------------------------------------
say "building the package in $build"
gen=()
[ -f "$build/CMakeCache.txt" ] || gen=(-G Ninja -DVELMORA_BENCH=OFF)
cmake -S "$src" -B "$build" "${gen[@]}" -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target velmora-toolbar velmora-zep velmora_man
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/velmora_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no velmora_*.deb"
deb=$work/$(basename "${debs[0]}")
cp "${debs[0]}" "$deb"
chmod 644 "$deb"
say "package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends
for dep in dbus xplanet-images libqt6widgets6 libqt6dbus6; do
  dpkg-deb --field "$deb" Depends | grep -Eq "(^|, )$dep( |,|$)" || fail "Depends lacks $dep"
done

# --- Install -----------------------------------------------------------------
say "installing"
installed=1
if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1; then
  # A fresh machine may have no package lists yet.
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install of the package"; }
fi
dpkg -L velmora | sort | while read -r f; do [ -d "$f" ] || echo "   $f"; done

# --- The installed files ---------------------------------------------------------
say "checking the installed files"
service=/usr/share/dbus-1/services/ZEP.Application.service
[ -f "$service" ] || fail "no $service"
grep -qx 'Name=ZEP.Application' "$service" || fail "service file names no ZEP.Application"
grep -qx 'Exec=/usr/bin/velmora-zep --automation' "$service" || fail "service file Exec: $(grep Exec= "$service")"
for exe in /usr/bin/velmora-toolbar /usr/bin/velmora-zep; do
  [ -x "$exe" ] || fail "$exe is not installed"
done
desktop-file-validate --no-hints /usr/share/applications/org.velmora.Toolbar.desktop \
  /usr/share/applications/org.velmora.Zep.desktop || fail "desktop entries"
appstreamcli validate --no-net /usr/share/metainfo/org.velmora.Toolbar.metainfo.xml ||
  fail "metainfo"
for icon in velmora velmora-zep; do
  for size in 48 64 128 256; do
    [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "icon $icon $size"
  done
done
for page in velmora-toolbar velmora-zep; do
  zcat "/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH ' || fail "man page $page"
done
[ -s /usr/share/doc/velmora/CREDITS ] || fail "no credits file"
[ "$(ls /usr/share/velmora/lessons/*.lesson | wc -l)" -eq 4 ] || fail "the lessons are not installed"

# --- Start-up of the installed toolbar ----------------------------------------------
# Runs inside a private X display and session bus. Only system paths: whatever
# starts the host must be the installed service file.
cat >"$work/startup.sh" <<'EOF'
set -u
journal=$1
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
bus() { dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus \
          /org/freedesktop/DBus "org.freedesktop.DBus.$1" "${@:2}"; }

# A host that the bus starts takes its environment from the bus, not from us.
dbus-update-activation-environment ZEP_JOURNAL="$journal" || fail "activation environment"
bus ListActivatableNames | grep -qw ZEP.Application ||
  fail "the session bus cannot start ZEP.Application"
if bus NameHasOwner string:ZEP.Application | grep -qw true; then
  fail "ZEP.Application already has an owner before the toolbar starts"
fi

# Started as the desktop's menu would: the entry's command line, found on PATH.
menu_command() { sed -n 's/^Exec=//p' "/usr/share/applications/$1" | head -1; }
toolbar_command=$(menu_command org.velmora.Toolbar.desktop)
echo "menu command: $toolbar_command"
$toolbar_command >toolbar.log 2>&1 &
toolbar=$!
host=""
finish() {
  [ -n "$host" ] && kill "$host" 2>/dev/null
  kill "$toolbar" 2>/dev/null
  wait "$toolbar" 2>/dev/null
  exit "${1:-1}"
}

window=0; started=0
for _ in $(seq 1 "$STARTUP_TIMEOUT"); do
  sleep 1
  kill -0 "$toolbar" 2>/dev/null || { cat toolbar.log >&2; fail "the toolbar ended during start-up"; }
  if [ -z "$host" ] && bus NameHasOwner string:ZEP.Application 2>/dev/null | grep -qw true; then
    host=$(bus GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
  fi
  xwininfo -name "Velmora Toolbar" 2>/dev/null | grep -q 'Map State: IsViewable' && window=1
  # The last start-up commands: the viewer position, then the first orbit state.
  if [ -f "$journal" ] &&
     awk '/Vo \* ViewerPosition 30 0 100000000/ { v = 1 }
          v && /SetState Scenario\/Velmora\/Satellite\/Satellite Classical TwoBody/ { s = 1 }
          END { exit !s }' "$journal"; then
    started=1
  fi
  [ $window -eq 1 ] && [ $started -eq 1 ] && break
done

lines=0
[ -f "$journal" ] && lines=$(wc -l <"$journal")
echo "host journal ($lines lines):"
sed 's/^/   /' "$journal" 2>/dev/null | head -60
[ -n "$host" ] || { finish 1; }
exe=$(readlink "/proc/$host/exe")
echo "host: pid $host, $exe $(tr '\0' ' ' <"/proc/$host/cmdline")"
ok=1
[ "$exe" = /usr/bin/velmora-zep ] || { echo "FAIL: the host is not the installed velmora-zep" >&2; ok=0; }
# Only the bus's activation environment holds ZEP_JOURNAL; a host started any
# other way would have the toolbar's environment, which lacks it.
tr '\0' '\n' <"/proc/$host/environ" | grep -qx "ZEP_JOURNAL=$journal" ||
  { echo "FAIL: the host did not get the bus's activation environment" >&2; ok=0; }
[ $window -eq 1 ] || { echo "FAIL: no viewable window \"Velmora Toolbar\"" >&2; ok=0; }
[ $started -eq 1 ] || { echo "FAIL: the host's journal lacks the start-up commands" >&2; ok=0; }
grep -q 'ViewerPosition' "$journal" 2>/dev/null && [ "$(grep -c 'NextReferenceFrame' "$journal")" -ge 2 ] ||
  { echo "FAIL: the frame commands of the start-up are missing" >&2; ok=0; }
if [ $ok -eq 0 ]; then
  echo "toolbar output:" >&2; cat toolbar.log >&2
  finish 1
fi
xwininfo -name "Velmora Toolbar" | grep -E 'Window id|Width|Height|Map State'
kill "$toolbar" "$host" 2>/dev/null
wait "$toolbar" 2>/dev/null
host=""

# The host's own menu entry: a user's start shows its window at once.
for _ in $(seq 1 20); do
  bus NameHasOwner string:ZEP.Application | grep -qw true || break
  sleep 0.5
done
host_command=$(menu_command org.velmora.Zep.desktop)
echo "menu command: $host_command"
$host_command >host.log 2>&1 &
host=$!
visible=""
for _ in $(seq 1 "$STARTUP_TIMEOUT"); do
  sleep 1
  kill -0 "$host" 2>/dev/null || { cat host.log >&2; fail "the host ended at start"; }
  # Ask only once it owns the name: a message to an unowned name would have the
  # bus start a hidden host instead.
  bus NameHasOwner string:ZEP.Application | grep -qw true || continue
  owner=$(bus GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
  [ "$owner" = "$host" ] || fail "ZEP.Application is owned by pid $owner, not the started host"
  visible=$(dbus-send --session --print-reply=literal --dest=ZEP.Application /Application \
      org.freedesktop.DBus.Properties.Get string:ZEP.Application string:Visible 2>/dev/null |
    awk '{print $NF}')
  [ "$visible" = true ] && break
done
kill "$host" 2>/dev/null
[ "$visible" = true ] || { cat host.log >&2; fail "the host started from its menu entry is not visible"; }
echo "host from its menu entry: owns ZEP.Application, Visible $visible"
exit 0
EOF

say "starting the installed toolbar under Xvfb on a private session bus"
journal=$work/zep-journal.txt
runtime=$work/runtime
mkdir -m 700 "$runtime"
mkdir -p "$work/home" "$work/data-home"
(
  cd "$work"
  # Clean environment: system paths only, no service directories of a user or
  # of /usr/local, so that nothing but the package can answer for the host.
  env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS=/usr/share \
    STARTUP_TIMEOUT="$startup_timeout" \
    timeout $((startup_timeout + 60)) \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- bash "$work/startup.sh" "$journal" 2>"$work/session.err"
) || { cat "$work/session.err" >&2; fail "start-up of the installed toolbar"; }
# The bus daemon logs each activation; the host must have been one of them.
grep -F "Successfully activated service 'ZEP.Application'" "$work/session.err" ||
  { cat "$work/session.err" >&2; fail "the session bus did not start the host"; }

# --- The bus-started host in a Wayland session ------------------------------------
# GNOME's compositor with Xwayland and no QT_QPA_PLATFORM anywhere: the host
# that the installed service file starts must choose X11 by itself.
cat >"$work/wayland.sh" <<'EOF'
set -u
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
bus() { dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus \
          /org/freedesktop/DBus "org.freedesktop.DBus.$1" "${@:2}"; }
[ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] || fail "no Wayland session with Xwayland"
if [ -z "${XAUTHORITY:-}" ]; then
  for auth in "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*; do [ -f "$auth" ] && export XAUTHORITY=$auth; done
fi
dbus-update-activation-environment DISPLAY WAYLAND_DISPLAY XAUTHORITY || fail "activation environment"
bus StartServiceByName string:ZEP.Application uint32:0 >/dev/null || fail "the bus did not start the host"
host=$(bus GetConnectionUnixProcessID string:ZEP.Application | awk '{print $NF}')
[ -n "$host" ] || fail "no host on the bus"
trap 'kill "$host" 2>/dev/null' EXIT
if tr '\0' '\n' <"/proc/$host/environ" | grep -q '^QT_QPA_PLATFORM='; then
  fail "the host was given a platform; it must choose one itself"
fi
dbus-send --session --print-reply --dest=ZEP.Application /Application org.freedesktop.DBus.Properties.Set \
  string:ZEP.Application string:Visible variant:boolean:true >/dev/null || fail "showing the host"
window=""
for _ in $(seq 1 100); do
  window=$(wmctrl -lp 2>/dev/null | awk -v pid="$host" '$3 == pid { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the host (pid $host) has no window on the X display $DISPLAY"
grep -q libqxcb "/proc/$host/maps" || fail "the host does not use Qt's X11 platform"
echo "host: pid $host, $(readlink "/proc/$host/exe"), X11 window $window on $DISPLAY under Wayland $WAYLAND_DISPLAY"
echo PASS
EOF

say "starting the bus-activated host under GNOME's compositor (Wayland with Xwayland)"
(
  cd "$work"
  env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS=/usr/share \
    timeout 90 dbus-run-session -- \
    mutter --wayland --headless --virtual-monitor 1280x800 --wayland-display=velmora-install \
      --sm-disable -- bash "$work/wayland.sh" >"$work/wayland.out" 2>&1
) || true
grep -E '^(host|PASS|FAIL)' "$work/wayland.out" || true
grep -qx PASS "$work/wayland.out" || { tail -n 40 "$work/wayland.out" >&2; fail "the bus-activated host under Wayland"; }

# --- Remove ------------------------------------------------------------------
say "removing the package"
$sudo apt-get remove -y -qq velmora >/dev/null
installed=0
[ ! -e /usr/bin/velmora-toolbar ] || fail "velmora-toolbar is still there after removal"
[ ! -e "$service" ] || fail "the service file is still there after removal"
say "check-install passed"
