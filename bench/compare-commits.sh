#!/usr/bin/env bash
# The regression gate: builds two commits in Release (each once, in a
# cached folder) and times the main benchmarks of both in one interleaved
# run, then prints each ratio HEAD/BASE and flags those above 1.05.
#   start-up on a one-line file; paragraphs -j 1 and default; sentences
#   (ten abbreviations) -j 1 and default; smart sentences; a filter;
#   --text and --paragraphs on the HTML pages; .docx, .odt, .epub and .pdf;
#   the window's run (bench/window, when the commit has it).
# Usage: bench/compare-commits.sh BASE [HEAD] [ROUNDS]
#        (HEAD defaults to HEAD, ROUNDS to 7)
#        ALSO="C1 C2" times more commits in the same run, each against BASE
#        WINDOW=0 leaves out the window's run (it builds the window twice)
#        LIMIT=1.10 flags above another ratio
# Builds live in bench/work/commits/<commit>/ (sources from git archive,
# ccache as the compiler launcher when it is installed).
set -euo pipefail
cd "$(dirname "$0")/.."
base=$(git rev-parse --verify "${1:?usage: bench/compare-commits.sh BASE [HEAD] [ROUNDS]}^{commit}")
head=$(git rev-parse --verify "${2:-HEAD}^{commit}")
rounds="${3:-7}"
window="${WINDOW:-1}"
work=bench/work
cache=$work/commits
mkdir -p "$cache"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # Paths relative to each build folder, so that a file unchanged between
    # two commits is a cache hit in the other's folder.
    export CCACHE_BASEDIR="$PWD/$cache"
fi

# build COMMIT: bench/work/commits/COMMIT/build/bin/quillfen-cli and, when
# the commit has it and WINDOW is on, the window's run program.
build() {
    local commit=$1 dir=$cache/$1
    if [ ! -f "$dir/src/CMakeLists.txt" ]; then
        rm -rf "$dir/src"
        mkdir -p "$dir/src"
        git archive "$commit" | tar -x -C "$dir/src"
    fi
    local bench=OFF targets=(quillfen-cli)
    if [ "$window" != 0 ] && [ -f "$dir/src/bench/window/window_run_bench.cpp" ]; then
        bench=ON
        targets+=(window_run_bench)
    fi
    echo "building $(git log -1 --format='%h %s' "$commit" | cut -c1-70)" >&2
    cmake -S "$dir/src" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUILLFEN_BUILD_TESTS=OFF -DQUILLFEN_BUILD_BENCH=$bench "${launcher[@]}" >/dev/null
    nice cmake --build "$dir/build" --parallel 2 --target "${targets[@]}" >/dev/null
}
also=()
for commit in ${ALSO:-}; do
    also+=("$(git rev-parse --verify "$commit^{commit}")")
done
builds=()
for commit in "$base" "$head" "${also[@]}"; do
    build "$commit"
    builds+=("$(git rev-parse --short "$commit"):$PWD/$cache/$commit/build")
done
base_build=$PWD/$cache/$base/build

export NULL_DEVICE=/dev/null
if [ ! -c /dev/null ]; then
    [ -c "$work/null" ] || mknod -m 666 "$work/null" c 1 3
    NULL_DEVICE="$PWD/$work/null"
fi

# The inputs, each made once.
corpus=$work/text
lf=$work/text-lf
pages=$work/html/pages
documents=$work/gate-documents
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
[ -d "$lf" ] || python3 bench/make_lf_copies.py "$corpus" "$lf"
[ -f "$pages/page199.html" ] || python3 bench/html/generate_pages.py "$pages" 200 250000
[ -f "$documents/pdf/doc011.pdf" ] || python3 bench/gate/make_documents.py "$lf" "$documents" 12 150
one_line=$work/one-line.txt
[ -f "$one_line" ] || echo "One line of text." > "$one_line"

cli="{build}/bin/quillfen-cli"
abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done
# The start-up is short: 20 starts make one timed command.
starts="for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do $cli $one_line; done"
benchmarks=(
    "--floor=wc -l"
    "wc -l=wc -l $corpus/*"
    "start-up x20 (one-line file)=$starts"
    "--paragraphs -j 1=$cli --paragraphs -j 1 $corpus/*"
    "--paragraphs=$cli --paragraphs $corpus/*"
    "--sentences -j 1=$cli --sentences -j 1 $abbrevs $corpus/*"
    "--sentences=$cli --sentences $abbrevs $corpus/*"
    "--smart-sentences=$cli --smart-sentences $abbrevs $corpus/*"
    "--paragraphs --containing museum -j 1=$cli --paragraphs -j 1 --containing museum $corpus/*"
    "--floor=cat (HTML pages)"
    "cat (HTML pages)=cat $pages/*.html"
    "--text (HTML)=$cli --text $pages/*.html"
    "--paragraphs (HTML)=$cli --paragraphs $pages/*.html"
)
for format in docx odt epub pdf; do
    # An older commit reads these files as text: its row is left out.
    benchmarks+=("--text .$format [needs src/reading/documents/DocumentFormats.cpp]=$cli --text $documents/$format/*.$format")
done
if [ -x "$base_build/bench/window/window_run_bench" ]; then
    benchmarks+=("--floor=--paragraphs"
        "window --paragraphs={build}/bench/window/window_run_bench $corpus/* 2>/dev/null")
fi

for commit in "$base" "$head" "${also[@]}"; do
    echo "- $(git log -1 --format='%h %cs %s' "$commit" | cut -c1-90)"
done
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), load $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/gate/ratios.py "$rounds" "${LIMIT:-1.05}" \
    "${builds[@]}" "${benchmarks[@]}"
