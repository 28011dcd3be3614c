#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang with libFuzzer, ASan + UBSan) and runs each
# from its committed seeds for a bounded time. A crash, a leak, an input taking over 1 s or a
# run over 256 MiB fails. FUZZ_SECONDS (default 20) or FUZZ_RUNS (executions) bound each
# target; FUZZ_TARGETS picks some. New inputs go to a scratch corpus, never the committed one.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
[ -f build/fuzz/build.ninja ] || cmake --preset fuzz -G Ninja >/dev/null
cmake --build build/fuzz -j 2 --target fuzz_targets
work=${FUZZ_WORK:-$(mktemp -d)}
limits=(-timeout=1 -rss_limit_mb=256 -malloc_limit_mb=256 -detect_leaks=1 -print_final_stats=1)
if [ -n "${FUZZ_RUNS:-}" ]; then
    limits+=(-runs="$FUZZ_RUNS")
else
    limits+=(-max_total_time="${FUZZ_SECONDS:-20}")
fi
# ASan keeps freed memory for a while (256 MiB by default): less, so the limit is ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:quarantine_size_mb=32}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for target in ${FUZZ_TARGETS:-$(ls tests/fuzz/corpus)}; do
    mkdir -p "$work/$target" "$work/artifacts-$target"
    echo "== $target"
    if ! build/fuzz/bin/"$target" "${limits[@]}" -artifact_prefix="$work/artifacts-$target/" \
        "$work/$target" "tests/fuzz/corpus/$target" >"$work/$target.log" 2>&1; then
        tail -n 40 "$work/$target.log"
        failed+=("$target")
    fi
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$target.log" | tr '\n' ' '
    echo
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $work/artifacts-*)" >&2
    exit 1
fi
[ -n "${FUZZ_WORK:-}" ] || rm -rf "$work"
