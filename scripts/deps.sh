#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --test, testing) needs.
# Quick when everything is there already.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
      libqt6opengl6-dev libgl-dev libxkbcommon-dev libxtst-dev dbus dbus-x11
      xplanet-images)
if [ "${1:-}" = --test ]; then
  pkgs+=(xvfb xauth x11-utils xdotool libgl1-mesa-dri openbox libbenchmark-dev
         clang libclang-rt-14-dev
         # Wayland desktops: GNOME's and KDE's compositors with Xwayland, one
         # without X, Qt's Wayland plugin, and the accessibility bus that
         # presses buttons there.
         mutter kwin-wayland xwayland weston qt6-wayland wmctrl x11-apps imagemagick
         at-spi2-core gir1.2-atspi-2.0 python3-gi
         # The scripting guide's examples: gdbus, busctl and Python's D-Bus.
         libglib2.0-bin systemd python3-dbus)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
