#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz (or
# $QUILLFEN_FUZZ_BUILD_DIR) and runs each for a fixed number of inputs
# from its seed corpus and an emptied scratch corpus, so that regressions
# show. The random seed and the count are fixed, so that every machine
# tries the same inputs: a failure in CI repeats here, and a submission is
# not failed by a lucky draw. QUILLFEN_FUZZ_SECONDS caps each target's
# time (a slow machine tries a prefix of the same inputs); longer and
# freely seeded runs: see fuzz/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${QUILLFEN_FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${QUILLFEN_FUZZ_SECONDS:-60}"
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Inputs per target: about 20 s of each on a CI machine.
targets=(decoding:1000000 segmentation:8000 html:60000 normalize_path:3000000
         abbreviations:300000 scramble:1500000 smart_sentences:150000 office_xml:400000
         zip_documents:400000 pdf:4000 ocr:1500 legacy_encoding:400000
         unmarked_encoding:200000 document_path:10000)
for entry in "${targets[@]}"; do
    t="${entry%%:*}"
    runs="${entry##*:}"
    # New inputs go to a scratch folder, emptied so that every run starts
    # alike; the seeds in fuzz/corpus stay as written.
    work="$build_dir/corpus/$t"
    rm -rf "$work"
    mkdir -p "$work"
    echo "== fuzz_$t: $runs inputs, ${seconds} s at most"
    log="$build_dir/fuzz_$t.log"
    status=0
    "$build_dir/fuzz_$t" -seed=20261207 -runs="$runs" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build_dir/crash-$t-" \
        "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "fuzz_$t failed (exit status $status); the input is in $build_dir/crash-$t-*"
        exit 1
    fi
done
