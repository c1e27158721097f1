#!/usr/bin/env bash
# Builds Velmora and starts the toolbar; it attaches to a running host or starts
# the stand-in host that is built beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DVELMORA_BENCH=OFF >/dev/null
cmake --build build
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  exec dbus-run-session -- build/bin/velmora-toolbar
fi
exec build/bin/velmora-toolbar
