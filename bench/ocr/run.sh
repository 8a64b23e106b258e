#!/usr/bin/env bash
# OCR pages per minute: quillfen-cli --ocr against the tesseract command on
# the same pages, one job; then quillfen-cli -j 2 on two such files.
# The pages are those of a text PDF from a Debian documentation package,
# rendered at 300 dpi in grey (pdftoppm) and wrapped as image-only pages.
#
# Usage: bench/ocr/run.sh BUILD_DIR [SOURCE.pdf] [PAGES]
set -euo pipefail
build=$(realpath "$1")
source=${2:-/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf}
pages=${3:-6}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pdftoppm -gray -r 300 -f 1 -l "$pages" "$source" "$work/page"
python3 "$here/image_pdf.py" 300 "$work/scan-a.pdf" "$work"/page-*.pgm
cp "$work/scan-a.pdf" "$work/scan-b.pdf"

seconds() { local s e; s=$(date +%s.%N); "$@" > /dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }
per_minute() { echo "scale=1; $1 * 60 / $2" | bc -l; }

t_tess=0
for page in "$work"/page-*.pgm; do
    t=$(OMP_THREAD_LIMIT=1 seconds tesseract "$page" - -l eng)
    t_tess=$(echo "$t_tess + $t" | bc -l)
done
t_one=$(OMP_THREAD_LIMIT=1 seconds "$build/bin/quillfen-cli" --ocr -j 1 "$work/scan-a.pdf")
t_two=$(OMP_THREAD_LIMIT=1 seconds "$build/bin/quillfen-cli" --ocr -j 2 "$work/scan-a.pdf" "$work/scan-b.pdf")

echo "pages: $pages (300 dpi, $(basename "$source"))"
echo "tesseract command, one page a run: $(per_minute "$pages" "$t_tess") pages/min"
echo "quillfen-cli --ocr -j 1:           $(per_minute "$pages" "$t_one") pages/min"
echo "quillfen-cli --ocr -j 2, 2 files:  $(per_minute $((2 * pages)) "$t_two") pages/min"
echo "-j 2 against -j 1: $(echo "scale=2; (2 * $t_one) / $t_two" | bc -l)x"
