#!/usr/bin/env bash
# Builds an optimised quillfen-cli, generates the corpus once and times the
# engine against reference commands on the same files, interleaved.
# Usage: bench/run.sh [RUNS]   (default 5; medians are printed)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
cli="$PWD/$build/bin/quillfen-cli"

corpus=bench/work/text
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
echo "text corpus: $(du -sh "$corpus" | cut -f1) in $(ls "$corpus" | wc -l) files"

abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done

python3 bench/compare.py "$runs" "wc -l" \
    "cat=cat $corpus/*" \
    "wc -l=wc -l $corpus/*" \
    "quillfen-cli --paragraphs=$cli --paragraphs $corpus/*" \
    "quillfen-cli --sentences (10 abbreviations)=$cli --sentences $abbrevs $corpus/*"
