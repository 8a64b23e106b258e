#!/usr/bin/env bash
# Smart sentences against ICU, npm's splitters and Punkt on Universal
# Dependencies treebanks: boundary precision, recall and F1 inside
# paragraphs (treebanks.py says how). UD_DIR holds the treebanks'
# repositories (work trees or bare git directories); the held-out
# treebanks are read only with FINAL=1; BASE_CLI adds another build as
# "before".
#
#   bench/sentences/treebanks.sh [UD_DIR]   (default /work/.mirror)
set -euo pipefail
cd "$(dirname "$0")/../.."
ud_dir="${1:-/work/.mirror}"
work=bench/work
mkdir -p "$work"

missing=()
[ -f /usr/include/unicode/brkiter.h ] || missing+=(libicu-dev)
command -v g++ >/dev/null || missing+=(g++)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
/usr/bin/python3 -c "import nltk" 2>/dev/null || missing+=(python3-nltk)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
icu="$work/icu_sentences"
if [ ! -x "$icu" ] || [ bench/icu_sentences.cpp -nt "$icu" ]; then
    g++ -O2 -std=c++17 bench/icu_sentences.cpp -o "$icu" $(pkg-config --libs icu-uc icu-i18n)
fi
node_dir=bench/sentences/node
if [ ! -d "$node_dir/node_modules" ] || [ "$node_dir/package.json" -nt "$node_dir/node_modules" ]; then
    npm install --prefix "$node_dir" --no-audit --no-fund >/dev/null
    touch "$node_dir/node_modules"
fi

abbrevs=""
for a in etc. vs. i.e. "et al." e.g. Mr. Jr. Mrs. Ms. Inc.; do abbrevs+=" --abbreviation '$a'"; done
systems=("quillfen:Quillfen smart=$build/bin/quillfen-cli --smart-sentences $abbrevs")
if [ -n "${BASE_CLI:-}" ]; then
    systems=("quillfen:before=$BASE_CLI --smart-sentences $abbrevs"
        "quillfen:after=$build/bin/quillfen-cli --smart-sentences $abbrevs")
fi
final=()
[ -n "${FINAL:-}" ] && final=(--final)
python3 bench/sentences/treebanks.py "$ud_dir" "$work/treebanks" "${final[@]}" "${systems[@]}" \
    "icu=$icu" "node=$node_dir/split.mjs" "punkt=/usr/bin/python3"
