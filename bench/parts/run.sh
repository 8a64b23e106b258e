#!/usr/bin/env bash
# Times each hand-written part against the Qt facility that would do its
# job (parts_bench.cpp: codecs on the text corpus, folder listing and
# wildcards on the folder tree, the ordered -j 2 run, the argument parser),
# then the ordered run's peak memory on a 512 MB file, both ways.
# Usage: bench/parts/run.sh [ROUNDS]   (default 11; medians)
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-11}"
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF \
    -DQUILLFEN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target parts_bench >/dev/null
bench="$build/bench/parts/parts_bench"

work=bench/work
[ -d "$work/text" ] || python3 bench/gen_text_corpus.py "$work/text" 100
[ -d "$work/tree" ] || python3 bench/adding/gen_tree.py "$work/tree" 10000 10
"$bench" "$work/text" "$work/tree" "$rounds"

big=$work/big/big512.txt
mkdir -p "$work/big"
[ -f "$big" ] || python3 bench/make_big_file.py "$work/text" "$big" 512
echo
mapfile -t some < <(ls "$work"/text/* | head -20)
for variant in hand qt; do
    "$bench" --ordered-memory "$variant" "$big" "${some[@]}"
done
