#!/usr/bin/env bash
# Builds (Release) and runs the benchmarks, printing their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/common.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${PRINT_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cd "$root"
[ -f build/release/build.ninja ] || cmake -S . -B build/release -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DVELLUMAX_TESTS=ON >/dev/null
cmake --build build/release -j "$(nproc)"
for b in "${@:-textprint_big textprint_many e2e_conversion soak_conversion list_append folder_walk reorder conversion}"; do
    for name in $b; do
        echo "== bench_$name"
        "build/release/bin/bench_$name"
    done
done
