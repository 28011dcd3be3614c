#!/usr/bin/env bash
# Cross-builds the layers below the window for 64-bit Windows with MinGW and runs their tests
# under Wine, headless, in a Wine prefix of its own inside the build folder.
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
cd "$build"
ctest --output-on-failure

# --- textprint.exe through "PDF Printer", then the installer and the zip ---
# Each in a Wine prefix and with a CUPS server of its own, after the unit tests' prefix ends.
wineserver -k || true
# textprint.exe's failure boxes, read and answered on a virtual display.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    wine "$build/bin/win32_tests.exe" --gtest_filter='TextPrintExe.*'
wineserver -k || true
"$root/scripts/wine-print-test.sh"
"$root/scripts/package-windows.sh"
"$root/tests/win32/install-test.sh"
