#!/usr/bin/env bash
# HTML to text alone: quillfen-cli against html2text, lynx -dump, w3m -dump
# and npm's html-to-text on the same generated pages (about 50 MB in 200
# pages with scripts, styles, tables and character references), interleaved,
# with cat as the floor. bench/run.sh runs the same commands in its table.
#
#   bench/html/run.sh [RUNS] [BUILD_DIR]   (defaults: 3, build)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
build_dir="${2:-build}"
cli="$build_dir/bin/quillfen-cli"
if [[ ! -x "$cli" ]]; then
    echo "no $cli: build first (scripts/build.sh)" >&2
    exit 1
fi
source bench/html/commands.sh
html_prepare
python3 bench/compare.py "$runs" "${html_commands[@]}" "$html_versus"
