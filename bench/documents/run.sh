#!/usr/bin/env bash
# Times the document readers against the tools people use for the same job,
# interleaved, in one table: .docx and .odt text against pandoc -t plain and
# docx2txt / odt2txt, .epub against pandoc, .pdf against pdftotext one file
# at a time and two at a time. The corpus is made once, by LibreOffice,
# from pages of the text corpus and the HTML corpus (bench/work/documents).
# Until quillfen-cli --text reads documents, the readers are timed through
# document_text, which prints each file's text as quillfen-cli --text -j N
# will. Last, what detecting legacy encodings costs the corpus's
# Windows-1252 text files.
# Usage: bench/documents/run.sh [RUNS] [COUNT] [TEXT_KB]
#        (default 5 rounds; 12 files from each corpus, 150 kB of text each)
#        ONLY="pdf encodings" bench/documents/run.sh   times those groups alone
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-5}"
count="${2:-12}"
text_kb="${3:-150}"
work=bench/work
docs=$work/documents

missing=()
command -v pandoc >/dev/null || missing+=(pandoc)
command -v docx2txt >/dev/null || missing+=(docx2txt)
command -v odt2txt >/dev/null || missing+=(odt2txt)
command -v pdftotext >/dev/null || missing+=(poppler-utils)
command -v soffice >/dev/null || missing+=(libreoffice-writer-nogui)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLFEN_BUILD_TESTS=OFF \
    -DQUILLFEN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target document_text unmarked_text >/dev/null
reader="$PWD/$build/bench/documents/document_text"
unmarked="$PWD/$build/bench/documents/unmarked_text"

export NULL_DEVICE=/dev/null
if [ ! -c /dev/null ]; then
    [ -c "$work/null" ] || mknod -m 666 "$work/null" c 1 3
    NULL_DEVICE="$PWD/$work/null"
fi

# The sources: the bench's text (as UTF-8 LF copies) and HTML corpora.
corpus=$work/text
lf=$work/text-lf
[ -d "$corpus" ] || python3 bench/gen_text_corpus.py "$corpus" 100
[ -d "$lf" ] || python3 bench/make_lf_copies.py "$corpus" "$lf"
[ -f "$work/html/pages/page199.html" ] || python3 bench/html/generate_pages.py "$work/html/pages" 200 250000

if [ ! -f "$docs/made-$count-$text_kb" ]; then
    rm -rf "$docs"
    python3 bench/documents/make_corpus.py "$lf" "$work/html/pages" "$docs/html" "$count" "$text_kb"
    profile="$PWD/$docs/lo-profile"
    for target in 'docx:MS Word 2007 XML' 'odt:writer8' 'epub:EPUB' 'pdf:writer_pdf_Export'; do
        format=${target%%:*}
        echo "converting the corpus to .$format with LibreOffice"
        soffice -env:UserInstallation="file://$profile" --headless --infilter='HTML (StarWriter)' \
            --convert-to "$target" --outdir "$docs/$format" "$docs"/html/*.html >/dev/null 2>&1
    done
    touch "$docs/made-$count-$text_kb"
fi
for format in docx odt epub pdf; do
    echo "$format: $(ls "$docs/$format" | wc -l) files, $(du -sh "$docs/$format" | cut -f1)"
done
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "pandoc $(pandoc --version | head -1 | cut -d' ' -f2), pdftotext $(pdftotext -v 2>&1 | head -1 | cut -d' ' -f3)"

# The text corpus's Windows-1252 files: what detecting a legacy encoding
# costs the files that the program reads as Windows-1252 today.
cp1252=$(python3 - "$corpus" <<'PY'
import os, sys
folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    data = open(os.path.join(folder, name), "rb").read()
    if data[:2] in (b"\xff\xfe", b"\xfe\xff") or data[:3] == b"\xef\xbb\xbf":
        continue
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        print(os.path.join(folder, name))
PY
)
cp1252=$(echo $cp1252)

each() { # each FORMAT COMMAND: the command once per file, the file as $f
    echo "for f in $docs/$1/*.$1; do $2; done"
}
groups="${ONLY:-docx odt epub pdf encodings}"
args=()
for group in $groups; do
    case $group in
    docx) args+=(
        --floor="cat (docx)"
        "cat (docx)=cat $docs/docx/*.docx"
        "document_text -j 1 (docx)=$reader -j 1 $docs/docx/*.docx"
        "document_text -j 2 (docx)=$reader -j 2 $docs/docx/*.docx"
        "pandoc -t plain (docx)=$(each docx 'pandoc -t plain "$f"')"
        "docx2txt=$(each docx 'docx2txt "$f" -')"
        "--versus=document_text -j 1 (docx),document_text -j 2 (docx):pandoc -t plain (docx),docx2txt") ;;
    odt) args+=(
        --floor="cat (odt)"
        "cat (odt)=cat $docs/odt/*.odt"
        "document_text -j 1 (odt)=$reader -j 1 $docs/odt/*.odt"
        "document_text -j 2 (odt)=$reader -j 2 $docs/odt/*.odt"
        "pandoc -t plain (odt)=$(each odt 'pandoc -t plain "$f"')"
        "odt2txt=$(each odt 'odt2txt --encoding=UTF-8 "$f"')"
        "--versus=document_text -j 1 (odt),document_text -j 2 (odt):pandoc -t plain (odt),odt2txt") ;;
    epub) args+=(
        --floor="cat (epub)"
        "cat (epub)=cat $docs/epub/*.epub"
        "document_text -j 1 (epub)=$reader -j 1 $docs/epub/*.epub"
        "document_text -j 2 (epub)=$reader -j 2 $docs/epub/*.epub"
        "pandoc -t plain (epub)=$(each epub 'pandoc -t plain "$f"')"
        "--versus=document_text -j 1 (epub),document_text -j 2 (epub):pandoc -t plain (epub)") ;;
    pdf) args+=(
        --floor="cat (pdf)"
        "cat (pdf)=cat $docs/pdf/*.pdf"
        "document_text -j 1 (pdf)=$reader -j 1 $docs/pdf/*.pdf"
        "document_text -j 2 (pdf)=$reader -j 2 $docs/pdf/*.pdf"
        "document_text, a process a file (pdf)=$(each pdf "$reader \"\$f\"")"
        "pdftotext=$(each pdf 'pdftotext "$f" -')"
        "pdftotext two at a time (xargs -P 2)=ls $docs/pdf/*.pdf | xargs -P 2 -I{} pdftotext {} -"
        "--versus=document_text -j 1 (pdf),document_text -j 2 (pdf):pdftotext"
        "--versus=document_text -j 2 (pdf):pdftotext two at a time (xargs -P 2)") ;;
    encodings) args+=(
        --floor="Windows-1252 alone"
        "Windows-1252 alone=$unmarked --windows-1252 $cp1252"
        "uchardet, then the encoding=$unmarked $cp1252") ;;
    esac
done
python3 bench/compare.py "$runs" "${args[@]}"
