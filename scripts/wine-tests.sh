#!/usr/bin/env bash
# Cross-builds the layers below the window and the Win32 window vellumax.exe for 64-bit Windows
# with MinGW and runs their tests under Wine, headless on Xvfb, in a Wine prefix of its own
# inside the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${WINE_PACKAGES[@]}"

build="$root/build/win"
cd "$root"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win64
# Wine names files through the locale's character set: without a UTF-8 one (a fresh root has no
# LANG) it cannot create a file named outside ASCII. C.UTF-8 is always there on Debian.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# No Mono or Gecko install prompts; no display; the machine's own printers stay out of reach.
# winemenubuilder would put the prefix's shortcuts into this machine's own menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" CUPS_SERVER="$build/no-cups.sock"
unset DISPLAY WAYLAND_DISPLAY
# One wineserver for the whole run, so no test waits for one to start or linger. wineboot starts
# Wine's own services now, with no hold on the output that ctest reads to its end.
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1
trap 'wineserver -k || true' EXIT
wine wineboot >/dev/null 2>&1
# Wine reports names that start with "." as hidden unless ShowDotFiles is on; Windows does not,
# and the folder walk must be seen as on Windows.
wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1

# --- The Win32 window: a virtual screen of its own, a second DPI, screenshots ----------------
# vellumax.exe runs on an Xvfb screen that no one else uses; the window tests drive it there.
ensure_packages xvfb imagemagick
. "$root/scripts/wine-pdf-printer.sh"
trap 'wineserver -k || true; [ -z "${_vx_xvfb:-}" ] || kill "$_vx_xvfb" 2>/dev/null || true' EXIT
xvfb_start "$build/xvfb-display"
dpi() {  # the screen's DPI for programs started from now on
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
screenshot() {  # the window as it opens, into build/win/screenshots/
    mkdir -p "$build/screenshots"
    wine "$build/bin/vellumax.exe" & local app=$!
    sleep 4
    import -window root -display "$DISPLAY" "$build/screenshots/$1.png"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}
dpi 96
# --- end of the Win32 window block ------------------------------------------------------------

cd "$build"
ctest --output-on-failure

# --- The Win32 window at 200%: its geometry again, and both screenshots -----------------------
screenshot window-96dpi
dpi 192
VELLUMAX_TEST_DPI=192 wine "$build/bin/window_tests.exe" --gtest_filter='*Twips*'
screenshot window-192dpi
dpi 96
echo "Screenshots of the Win32 window: $build/screenshots/"
# --- end of the Win32 window block ------------------------------------------------------------

# --- textprint.exe and vellumax.exe through "PDF Printer", then the installer and the zip ---
# Each in a Wine prefix and with a CUPS server (and a screen) of its own, after the unit tests'
# prefix ends.
wineserver -k || true
env -u DISPLAY "$root/scripts/wine-print-test.sh"
env -u DISPLAY "$root/scripts/package-windows.sh"
env -u DISPLAY "$root/tests/win32/install-test.sh"
