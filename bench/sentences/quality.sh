#!/usr/bin/env bash
# The Golden Rules table (tests/extract/golden-rules.tsv) through Quillfen's
# smart sentences and its peers: ICU's BreakIterator and npm's
# sentence-splitter, sentencex and sbd at the versions that
# bench/sentences/node/package.json pins. Prints passes per rule group.
#
#   bench/sentences/quality.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
work=bench/work
mkdir -p "$work"

missing=()
[ -f /usr/include/unicode/brkiter.h ] || missing+=(libicu-dev)
command -v g++ >/dev/null || missing+=(g++)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
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

echo "node $(node --version); $(cd "$node_dir" && npm ls --depth=0 2>/dev/null | tail -n +2 | tr -d '├└─ ' | paste -sd ' ')"
python3 bench/sentences/quality.py "$build/bin/quillfen-cli --smart-sentences --no-abbreviations" "$icu" \
    "$node_dir/split.mjs" "$work/sentences"
