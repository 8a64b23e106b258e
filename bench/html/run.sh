#!/usr/bin/env bash
# HTML to text: quillfen-cli against Debian's html2text and lynx -dump on
# the same generated pages (about 50 MB in 200 pages with scripts, styles,
# tables and character references). Prints the median wall time of three
# runs of each and how many times longer the others take than quillfen-cli.
#
#   bench/html/run.sh [BUILD_DIR]      (default: build)
#
# quillfen-cli and html2text read all pages in one process; lynx reads one
# page per process, as it cannot take several.
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir="${1:-build}"
cli="$build_dir/bin/quillfen-cli"
work=bench/work/html
pages="$work/pages"
runs=3

if [[ ! -x "$cli" ]]; then
    echo "no $cli: build first (scripts/build.sh)" >&2
    exit 1
fi
missing=()
command -v html2text >/dev/null || missing+=(html2text)
command -v lynx >/dev/null || missing+=(lynx)
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    $sudo apt-get install -y "${missing[@]}" >/dev/null
fi

if [[ ! -f "$pages/page199.html" ]]; then
    python3 bench/html/generate_pages.py "$pages" 200 250000
fi
mapfile -t files < <(ls "$pages"/*.html)
megabytes=$(du -cm "${files[@]}" | tail -1 | cut -f1)

quillfen_text() { "$cli" --text "${files[@]}"; }
quillfen_paragraphs() { "$cli" --paragraphs "${files[@]}"; }
html2text_all() { html2text -utf8 -nobs "${files[@]}"; }
lynx_each() {
    local f
    for f in "${files[@]}"; do
        lynx -dump -nolist -force_html -assume_charset=utf-8 -display_charset=utf-8 "$f"
    done
}

# The median of three wall times, in seconds.
median_seconds() {
    local times=() i start end
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s.%N)
        "$1" >/dev/null 2>&1
        end=$(date +%s.%N)
        times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
    done
    printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
}

echo "pages: ${#files[@]} files, $megabytes MB; $(nproc) cores; median of $runs runs"
declare -A seconds
for tool in quillfen_text quillfen_paragraphs html2text_all lynx_each; do
    seconds[$tool]=$(median_seconds "$tool")
    printf '  %-22s %8.2f s\n' "$tool" "${seconds[$tool]}"
done
for ours in quillfen_text quillfen_paragraphs; do
    for other in html2text_all lynx_each; do
        printf '  %-13s / %-19s %5.2fx\n' "$other" "$ours" \
            "$(awk -v a="${seconds[$other]}" -v b="${seconds[$ours]}" 'BEGIN { print a / b }')"
    done
done
