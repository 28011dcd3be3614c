#!/usr/bin/env bash
# Installs what building needs and builds (preset "default"); quick when nothing changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "$@"
cd "$root"
[ -f build/default/build.ninja ] || cmake --preset default -G Ninja >/dev/null
cmake --build build/default -j "$(nproc)"
