#!/usr/bin/env bash
# Builds and runs every test: unit, GUI (offscreen) and system (private CUPS server).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
"$root/scripts/setup.sh" "${PRINT_PACKAGES[@]}" poppler-utils
cd "$root/build/default"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
# The Debian package: its layout, lintian, and the unpacked programs finding their files.
bash "$root/tests/package/package-test.sh"
