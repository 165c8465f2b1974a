#!/usr/bin/env bash
# Builds the file-reader (setup, data and Touchstone files), SCPI answer-reader, NanoVNA
# shell-reply, NanoVNA V2 record-reader and LibreVNA trace-reader fuzz targets with clang and runs
# each for a bounded time. A crash, leak or sanitizer report makes the script fail.
#
#   fuzz/run.sh [seconds per target, default 60] [build folder, default build-fuzz]
#
# New inputs found go to fuzz-corpus-work/<target>/ (not kept in the repository); the seed
# corpus fuzz/corpus/<target>/ is read only. A crashing input is left there as crash-*.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${2:-$root/build-fuzz}"

if ! command -v clang++ >/dev/null; then
    echo "fuzz/run.sh: clang++ is needed (Debian packages clang and libclang-rt-14-dev)" >&2
    exit 1
fi

mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKV_FUZZ=ON -DKV_BUILD_GUI=OFF -DKV_BUILD_TESTS=OFF \
    -DKV_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log" >&2
    exit 1
}
targets=(fuzz_setup_file fuzz_data_file fuzz_touchstone fuzz_scpi_answer fuzz_nanovna_shell
    fuzz_nanovna_v2 fuzz_librevna_trace)
cmake --build "$build" --target "${targets[@]}" -j2

status=0
for target in "${targets[@]}"; do
    work="$root/fuzz-corpus-work/$target"
    mkdir -p "$work"
    log="$build/$target.log"
    echo "== $target: ${seconds} s"
    if ! "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" "$work" "$root/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        echo "$target FAILED; the end of its log:" >&2
        tail -n 60 "$log" >&2
        status=1
        continue
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|stat::new_units_added)' "$log" || true
    grep -E '^#[0-9]+ +DONE' "$log" || true
done
if [ "$status" -eq 0 ]; then
    echo "fuzz targets ran ${seconds} s each without a finding"
fi
exit "$status"
