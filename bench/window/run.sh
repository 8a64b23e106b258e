#!/usr/bin/env bash
# The window's run over the text corpus against quillfen-cli on the same
# files, interleaved: whole processes, then the run alone in rounds, once
# back to back and once after a pause of 3 s before each command, as a user
# pauses before pressing the button; then the longest gap between two
# yields of the window, and the results list of 2 million rows scrolled,
# saved and cleared.
# Usage: bench/window/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF \
    -DQUILLFEN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target quillfen-cli window_run_bench results_list_bench >/dev/null
corpus=bench/work/text
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done

python3 bench/compare.py "$runs" \
    "cli --paragraphs=$build/bin/quillfen-cli --paragraphs $corpus/*" \
    "window --paragraphs=$build/bench/window/window_run_bench $corpus/* 2>/dev/null" \
    "cli --sentences=$build/bin/quillfen-cli --sentences $abbrevs $corpus/*" \
    "window --sentences=$build/bench/window/window_run_bench --sentences $corpus/* 2>/dev/null"
python3 bench/window/compare_runs.py "$runs" "$build/bin/quillfen-cli" \
    "$build/bench/window/window_run_bench" "$corpus"/*
echo
python3 bench/window/compare_runs.py "$runs" "$build/bin/quillfen-cli" \
    "$build/bench/window/window_run_bench" --pause 3 "$corpus"/*
echo
"$build/bench/window/window_run_bench" "$corpus"/*
"$build/bench/window/window_run_bench" --sentences "$corpus"/*
"$build/bench/window/results_list_bench" 2000000 "$runs" 2>/dev/null
