#!/usr/bin/env bash
# Builds the Debian package, installs it and opens the installed Vellumax. Without a display it
# runs the window under Xvfb on the installed files, driven like a user, and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
"$root/scripts/setup.sh"
deb=$("$root/scripts/package.sh")

# CUPS runs before the install, so installing makes "PDF Printer" at once.
ensure_packages cups
ensure_cups_running
echo "Installing $deb"
as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --reinstall "$deb" >/dev/null

# The queue refuses root's jobs. Run as root, this run lets root print for its own length only;
# a mark in build/ puts the queue back at the next run should this one be killed.
optin="$root/build/run-lets-root-print"
plain_uri() {
    [ -e "$optin" ] || return 0
    if lpstat -v PDF_Printer 2>/dev/null | grep -q ': vellumax-pdf:/?system-accounts=yes$'; then
        as_root lpadmin -p PDF_Printer -v vellumax-pdf:/ || return 0
    fi
    rm -f "$optin"
}
plain_uri
xvfb=
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    plain_uri
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
if [ "$(id -u)" -eq 0 ] && lpstat -v PDF_Printer 2>/dev/null | grep -q ': vellumax-pdf:/$'; then
    touch "$optin"
    lpadmin -p PDF_Printer -v 'vellumax-pdf:/?system-accounts=yes'
    echo "Running as root: \"PDF Printer\" takes root's jobs until this run ends."
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    /usr/bin/vellumax
    exit
fi

ensure_packages xvfb xauth
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
echo "No display here: running Vellumax under Xvfb on the installed files, driven like a user."
"$root/build/default/bin/vellumax-demo" "$root/samples" "$root/build/vellumax-screenshot.png" /usr/bin
echo "PDFs that \"PDF Printer\" writes land in ~/PDF."
