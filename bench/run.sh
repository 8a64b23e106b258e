#!/usr/bin/env bash
# Builds an optimised quillfen-cli, generates the text corpus and the HTML
# pages once and times the engine against reference commands on the same
# files, interleaved, in one table; then reads one 2 GB file for its peak
# memory.
# Usage: bench/run.sh [RUNS]   (default 5; medians are printed)
#        BIG_MB=0 bench/run.sh  skips the large file
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
big_mb="${BIG_MB:-2048}"
work=bench/work
mkdir -p "$work"

# Reference tools from Debian's packages.
missing=()
command -v mawk >/dev/null || missing+=(mawk)
command -v perl >/dev/null || missing+=(perl)
[ -f /usr/include/unicode/brkiter.h ] || missing+=(libicu-dev)
command -v g++ >/dev/null || missing+=(g++)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
cli="$PWD/$build/bin/quillfen-cli"
source bench/html/commands.sh
html_prepare
icu="$work/icu_sentences"
if [ ! -x "$icu" ] || [ bench/icu_sentences.cpp -nt "$icu" ]; then
    g++ -O2 -std=c++17 bench/icu_sentences.cpp -o "$icu" $(pkg-config --libs icu-uc icu-i18n)
fi

# A null device that is one: writing to a regular file would time the disk.
export NULL_DEVICE=/dev/null
if [ ! -c /dev/null ]; then
    [ -c "$work/null" ] || mknod -m 666 "$work/null" c 1 3
    NULL_DEVICE="$PWD/$work/null"
    echo "note: /dev/null is not a device here; output goes to $NULL_DEVICE"
fi

corpus=$work/text
lf=$work/text-lf
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
[ -d "$lf" ] || python3 bench/make_lf_copies.py "$corpus" "$lf"
echo "text corpus: $(du -sh "$corpus" | cut -f1) in $(ls "$corpus" | wc -l) files;" \
    "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"

abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done
para="$cli --paragraphs"
sent="$cli --sentences $abbrevs"

# Text rows against wc -l on the text corpus, HTML rows against cat on the
# HTML pages.
python3 bench/compare.py "$runs" --floor="wc -l" \
    "cat=cat $corpus/*" \
    "wc -l=wc -l $corpus/*" \
    "mawk paragraphs (LF copies)=mawk 'BEGIN{RS=\"\"}{print}' $lf/*" \
    "perl -00 (LF copies)=perl -00 -ne 'print;' $lf/*" \
    "ICU sentences (LF copies)=$icu $lf/*" \
    "quillfen-cli --paragraphs=$para $corpus/*" \
    "quillfen-cli --paragraphs -j 1=$para -j 1 $corpus/*" \
    "quillfen-cli --paragraphs -j 2=$para -j 2 $corpus/*" \
    "quillfen-cli --sentences (10 abbreviations)=$sent $corpus/*" \
    "quillfen-cli --sentences -j 1=$sent -j 1 $corpus/*" \
    "quillfen-cli --sentences -j 2=$sent -j 2 $corpus/*" \
    --floor \
    "${html_commands[@]}" \
    "$html_versus"

if [ "$big_mb" != 0 ]; then
    big=$work/big/big.txt
    mkdir -p "$work/big"
    [ -f "$big" ] || python3 bench/make_big_file.py "$corpus" "$big" "$big_mb"
    size=$(du -h "$big" | cut -f1)
    echo
    echo "| one file of $size | s | peak MB |"
    echo "|---|---:|---:|"
    for mode in paragraphs sentences; do
        command="$para"
        [ "$mode" = sentences ] && command="$sent"
        /usr/bin/time -f "%e %M" -o "$work/big/time" sh -c "$command $big" \
            | md5sum | cut -d' ' -f1 > "$work/big/rows-$mode"
        read -r seconds peak < "$work/big/time"
        echo "| quillfen-cli --$mode | $seconds | $((peak / 1024)) |"
    done
    # Its paragraphs are those of the files it repeats, one after another,
    # each read as one text.
    expected=$(cd "$corpus" && xargs -a "../big/big.txt.parts" -d '\n' "$cli" --paragraphs \
        | md5sum | cut -d' ' -f1)
    if [ "$expected" = "$(cat "$work/big/rows-paragraphs")" ]; then
        echo "Its paragraph rows are those of its parts, each read as one text."
    else
        echo "Its paragraph rows DIFFER from those of its parts." >&2
        exit 1
    fi
fi
