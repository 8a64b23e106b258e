#!/usr/bin/env bash
# Times the folder walk of quillfen-cli (the walk "Add All File(s) In
# Folder" and folder drops use) against find on a tree of 100,000 files in
# 10,000 folders. Usage: bench/adding/run.sh [RUNS]   (default 3; medians)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillfen-cli >/dev/null
cli="$PWD/$build/bin/quillfen-cli"

tree=bench/work/tree
[ -d "$tree" ] || python3 bench/adding/gen_tree.py "$tree" 10000 10

# Both must name the same files, or the comparison means nothing.
listed=$("$cli" --list-inputs "$tree" | wc -l)
found=$(find "$tree" -type f | wc -l)
echo "quillfen-cli lists $listed files, find $found"
[ "$listed" = "$found" ] || { echo "the file counts differ" >&2; exit 1; }

python3 bench/compare.py "$runs" \
    "find -type f=find $tree -type f" \
    "quillfen-cli --list-inputs=$cli --list-inputs $tree" \
    "quillfen-cli --extension txt --list-inputs=$cli --extension txt --list-inputs $tree"
