#!/usr/bin/env bash
# Filtered runs against the unfiltered run of the same mode, in one table:
# literal terms (rare, common, several, case folded), whole words and a
# regular expression, over the text corpus of bench/run.sh. Each row's
# ratio is against "no filter" of its group. One job a run, so that the
# ratios measure the filter and not the scheduling.
# Usage: bench/filters/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-5}"
work=bench/work
mkdir -p "$work"
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
cli="$PWD/$build/bin/quillfen-cli -j 1"
corpus=$work/text
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
echo "text corpus: $(du -sh "$corpus" | cut -f1) in $(ls "$corpus" | wc -l) files"

rows() {
    local mode=$1
    echo "--floor=$mode: no filter"
    echo "$mode: no filter=$cli $mode $corpus/*"
    echo "$mode: museum=$cli $mode --containing museum $corpus/*"
    echo "$mode: -i MUSEUM=$cli $mode -i --containing MUSEUM $corpus/*"
    echo "$mode: -i CRÈME=$cli $mode -i --containing CRÈME $corpus/*"
    echo "$mode: the (a common word)=$cli $mode --containing the $corpus/*"
    echo "$mode: -i zeppelin (in no row)=$cli $mode -i --containing zeppelin $corpus/*"
    echo "$mode: museum \| harbour \| library=$cli $mode --containing museum --containing harbour --containing library $corpus/*"
    echo "$mode: -i museum \| harbour \| library=$cli $mode -i --containing museum --containing harbour --containing library $corpus/*"
    echo "$mode: --not-containing museum=$cli $mode --not-containing museum $corpus/*"
    echo "$mode: -w the=$cli $mode -w --containing the $corpus/*"
    echo "$mode: -E 'mus.um\|harb[o]ur'=$cli $mode -E --containing 'mus.um|harb[o]ur' $corpus/*"
}
mapfile -t commands < <(rows --paragraphs; rows --smart-sentences)
python3 bench/compare.py "$runs" "${commands[@]}"
