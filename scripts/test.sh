#!/usr/bin/env bash
# Builds and runs every test: unit, GUI (offscreen) and system (private CUPS server), then the
# Windows tests under Wine (VELLUMAX_SKIP_WINE=1 skips those for a quick local run; CI never does).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Every name must stay unique regardless of case, or the tree cannot be checked out on Windows.
clashes=$(git -C "$root" ls-files | sort -f | uniq -di)
if [ -n "$clashes" ]; then
    echo "Names that differ only in case: $clashes" >&2
    exit 1
fi
. "$root/scripts/common.sh"
"$root/scripts/setup.sh" "${PRINT_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" poppler-utils
cd "$root/build/default"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
# Every reader of outside bytes under libFuzzer, about 20 s each.
bash "$root/tests/fuzz/run.sh"
# The Debian package: its layout, lintian, and the unpacked programs finding their files.
bash "$root/tests/package/package-test.sh"
if [ "${VELLUMAX_SKIP_WINE:-0}" = 1 ] && [ "${CI:-}" != true ]; then
    echo "Windows tests under Wine skipped (VELLUMAX_SKIP_WINE=1)"
else
    "$root/scripts/wine-tests.sh"
fi
