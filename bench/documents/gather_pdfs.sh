#!/usr/bin/env bash
# Gathers a corpus of real PDFs that nobody here wrote, for
# bench/documents/pdf_quality.py: the test PDFs of pdf.js (a public PDF
# library's test folder, brought to this machine as a git mirror) that
# pdftotext finds text in, and the PDF manuals of Debian documentation
# packages in several scripts (downloaded, not installed).
# Usage: bench/documents/gather_pdfs.sh PDFJS_GIT_DIR [OUT_DIR]
#        (default OUT_DIR bench/work/pdf-corpus; the files are not committed)
set -euo pipefail
pdfjs="$1"
out="${2:-bench/work/pdf-corpus}"
mkdir -p "$out"

# pdf.js: files from 20 kB (PDFJS_MIN_BYTES) to 3 MB (the others are
# mostly single glyph and broken-file cases) with at least 150 words of text.
git --git-dir="$pdfjs" ls-tree -r -l HEAD test/pdfs |
    awk -v least="${PDFJS_MIN_BYTES:-20000}" '$5 ~ /\.pdf$/ && $4 > least && $4 < 3000000 {print $3, $5}' |
while read -r blob path; do
    name="pdfjs-$(basename "$path")"
    [ -f "$out/$name" ] && continue
    git --git-dir="$pdfjs" cat-file blob "$blob" > "$out/$name"
    words=$({ timeout 20 pdftotext -q "$out/$name" - 2>/dev/null || true; } | wc -w)
    [ "$words" -ge 150 ] || rm -f "$out/$name"
done

# Debian's documentation packages: PDFs made by pdfTeX, XeTeX, LibreOffice
# and others, in Latin, Cyrillic, Greek, CJK and right-to-left scripts.
debs=$(mktemp -d)
(cd "$debs" && apt-get download ${DEBIAN_DOC_PACKAGES:-r-doc-pdf} >/dev/null 2>&1 || true)
for deb in "$debs"/*.deb; do
    [ -f "$deb" ] || continue
    dir="$debs/$(basename "$deb" .deb)"
    dpkg-deb -x "$deb" "$dir"
    find "$dir" -name '*.pdf' -size +20k -size -8M | while read -r pdf; do
        cp "$pdf" "$out/deb-$(basename "$(dirname "$pdf")")-$(basename "$pdf")"
    done
    find "$dir" -name '*.pdf.gz' -size +8k -size -4M | while read -r pdf; do
        gunzip -c "$pdf" > "$out/deb-$(basename "$(dirname "$pdf")")-$(basename "$pdf" .gz)"
    done
done
rm -rf "$debs"
echo "$(ls "$out" | wc -l) PDFs in $out"
