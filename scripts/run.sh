#!/usr/bin/env bash
# Sets everything up and opens the Vellumax window. Without a display it starts the window
# under Xvfb and saves a screenshot instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
"$root/scripts/setup.sh"
"$root/scripts/printer-setup.sh"
bin="$root/build/default/bin"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin/vellumax"
fi

ensure_packages xvfb xauth
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
app=
echo "No display here: running Vellumax under Xvfb, driven like a user."
"$bin/vellumax-demo" "$root/samples" "$root/build/vellumax-screenshot.png"
echo "PDFs that \"PDF Printer\" writes land in ~/PDF."
