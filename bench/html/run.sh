#!/usr/bin/env bash
# HTML to text: quillfen-cli against Debian's html2text and lynx -dump on
# the same generated pages (about 50 MB in 200 pages with scripts, styles,
# tables and character references). Prints the median wall and processor
# times of three runs of each, and how many times longer the others take
# than quillfen-cli.
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
runs=${BENCH_RUNS:-3}

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

# Runs a tool three times; prints the median wall time and the median
# processor time (user + system, children included), in seconds.
medians() {
    local walls=() cpus=() i measured
    for ((i = 0; i < runs; i++)); do
        measured=$( { TIMEFORMAT='%R %U %S'; time "$1" >/dev/null 2>&1; } 2>&1 )
        walls+=("$(awk '{ print $1 }' <<<"$measured")")
        cpus+=("$(awk '{ print $2 + $3 }' <<<"$measured")")
    done
    local middle=$(((runs + 1) / 2))
    echo "$(printf '%s\n' "${walls[@]}" | sort -g | sed -n "${middle}p")" \
        "$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "${middle}p")"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "pages: ${#files[@]} files, $megabytes MB; $(nproc) cores; medians of $runs runs"
printf '  %-22s %9s %9s\n' tool wall cpu
declare -A wall cpu
for tool in quillfen_text quillfen_paragraphs html2text_all lynx_each; do
    read -r wall[$tool] cpu[$tool] < <(medians "$tool")
    printf '  %-22s %8.2fs %8.2fs\n' "$tool" "${wall[$tool]}" "${cpu[$tool]}"
done
echo "how many times longer the others take (wall, cpu):"
for ours in quillfen_text quillfen_paragraphs; do
    for other in html2text_all lynx_each; do
        printf '  %-13s / %-19s %6sx %6sx\n' "$other" "$ours" \
            "$(ratio "${wall[$other]}" "${wall[$ours]}")" "$(ratio "${cpu[$other]}" "${cpu[$ours]}")"
    done
done
