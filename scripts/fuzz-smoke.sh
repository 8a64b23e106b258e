#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz (or
# $QUILLFEN_FUZZ_BUILD_DIR) and runs each for a short fixed time from its
# seed corpus, so that regressions show. The random seed is fixed, so that
# a run repeats the same inputs and a submission is not failed by a lucky
# draw; longer and freely seeded runs: see fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${QUILLFEN_FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${QUILLFEN_FUZZ_SECONDS:-30}"
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
targets=(decoding segmentation html normalize_path abbreviations scramble smart_sentences
         office_xml zip_documents pdf ocr legacy_encoding unmarked_encoding document_path)
for t in "${targets[@]}"; do
    # New inputs go to a scratch folder; the seeds in fuzz/corpus stay as written.
    work="$build_dir/corpus/$t"
    mkdir -p "$work"
    echo "== fuzz_$t for ${seconds} s"
    log="$build_dir/fuzz_$t.log"
    status=0
    "$build_dir/fuzz_$t" -seed=20261207 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build_dir/crash-$t-" \
        "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz_$t failed (exit status $status); the input is in $build_dir/crash-$t-*"
        exit 1
    fi
done
