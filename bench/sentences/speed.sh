#!/usr/bin/env bash
# Smart sentences against wc -l on the text corpus of bench/run.sh (about
# 100 MB in 200 files), interleaved, medians, with quillfen-cli --sentences
# and ICU's sentence iterator in the same run for context.
# Then one large UTF-8 file, cut block by block, must give the rows of its
# parts, each cut whole (BIG_MB=0 skips it).
# BASE_CLI, when set, names another quillfen-cli (a Release build of main)
# whose smart sentences run in the same rounds, for before and after.
#
#   bench/sentences/speed.sh [RUNS]   (default 5)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-5}"
big_mb="${BIG_MB:-256}"
work=bench/work
mkdir -p "$work"

missing=()
[ -f /usr/include/unicode/brkiter.h ] || missing+=(libicu-dev)
command -v g++ >/dev/null || missing+=(g++)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
cli="$PWD/$build/bin/quillfen-cli"
smart="$cli --smart-sentences"
icu="$work/icu_sentences"
if [ ! -x "$icu" ] || [ bench/icu_sentences.cpp -nt "$icu" ]; then
    g++ -O2 -std=c++17 bench/icu_sentences.cpp -o "$icu" $(pkg-config --libs icu-uc icu-i18n)
fi

export NULL_DEVICE=/dev/null
if [ ! -c /dev/null ]; then
    [ -c "$work/null" ] || mknod -m 666 "$work/null" c 1 3
    NULL_DEVICE="$PWD/$work/null"
fi

corpus=$work/text
lf=$work/text-lf
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
[ -d "$lf" ] || python3 bench/make_lf_copies.py "$corpus" "$lf"
echo "text corpus: $(du -sh "$corpus" | cut -f1) in $(ls "$corpus" | wc -l) files;" \
    "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"

abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done
base_rows=()
base_lf_rows=()
if [ -n "${BASE_CLI:-}" ]; then
    base="$BASE_CLI --smart-sentences"
    base_rows=("base: smart sentences=$base $abbrevs $corpus/*"
        "base: smart sentences -j 1=$base -j 1 $abbrevs $corpus/*")
    base_lf_rows=("base: smart sentences -j 1 (LF copies)=$base -j 1 $abbrevs $lf/*")
fi
echo "LF copies: $(du -sh "$lf" | cut -f1)"
python3 bench/compare.py "$runs" --floor="wc -l" \
    "wc -l=wc -l $corpus/*" \
    "smart sentences=$smart $abbrevs $corpus/*" \
    "smart sentences -j 1=$smart -j 1 $abbrevs $corpus/*" \
    "smart sentences -j 2=$smart -j 2 $abbrevs $corpus/*" \
    "${base_rows[@]}" \
    "quillfen-cli --sentences=$cli --sentences $abbrevs $corpus/*" \
    "quillfen-cli --sentences -j 1=$cli --sentences -j 1 $abbrevs $corpus/*" \
    --floor="ICU sentences (LF copies)" \
    "ICU sentences (LF copies)=$icu $lf/*" \
    "wc -l (LF copies)=wc -l $lf/*" \
    "smart sentences (LF copies)=$smart $abbrevs $lf/*" \
    "smart sentences -j 1 (LF copies)=$smart -j 1 $abbrevs $lf/*" \
    "${base_lf_rows[@]}"

if [ "$big_mb" != 0 ]; then
    big=$work/sentences/big.txt
    mkdir -p "$work/sentences"
    [ -f "$big" ] || python3 bench/make_big_file.py "$corpus" "$big" "$big_mb"
    /usr/bin/time -f "%e" -o "$work/sentences/time" $smart "$big" \
        | md5sum | cut -d' ' -f1 > "$work/sentences/rows-big"
    echo
    echo "One file of $(du -h "$big" | cut -f1), cut in blocks of 4 MB: $(cat "$work/sentences/time") s."
    expected=$(cd "$corpus" && xargs -a "../sentences/big.txt.parts" -d '\n' $smart -j 1 \
        | md5sum | cut -d' ' -f1)
    if [ "$expected" = "$(cat "$work/sentences/rows-big")" ]; then
        echo "Its rows are those of its parts, each cut as one text."
    else
        echo "Its rows DIFFER from those of its parts." >&2
        exit 1
    fi
fi
