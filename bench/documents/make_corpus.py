#!/usr/bin/env python3
"""Writes the HTML sources of the document corpus: the first TEXT_KB of
each of the first COUNT UTF-8 files of the text corpus (LF copies) as pages
of paragraphs (<p>, line breaks inside as <br>), and the first COUNT pages of
the HTML corpus as they are. LibreOffice then turns each into .docx, .odt,
.epub and .pdf (bench/documents/run.sh).

Usage: make_corpus.py TEXT_LF_DIR HTML_DIR OUT_DIR COUNT TEXT_KB"""
import html
import os
import shutil
import sys


def main():
    text_dir, html_dir, out, count, text_kb = sys.argv[1:6]
    count, limit = int(count), int(text_kb) * 1024
    os.makedirs(out, exist_ok=True)
    texts = sorted(f for f in os.listdir(text_dir))[:count]
    for n, name in enumerate(texts):
        with open(os.path.join(text_dir, name), encoding="utf-8", errors="replace") as f:
            paragraphs = f.read().split("\n\n")
        body, size = [], 0
        for p in paragraphs:
            lines = [html.escape(line) for line in p.strip().split("\n") if line.strip()]
            if not lines:
                continue
            body.append("<p>" + "<br>".join(lines) + "</p>")
            size += len(p)
            if size > limit:
                break
        with open(os.path.join(out, "text%03d.html" % n), "w", encoding="utf-8") as f:
            f.write('<!DOCTYPE html><html><head><meta charset="utf-8"><title>Text %d</title>'
                    "</head><body>\n%s\n</body></html>\n" % (n, "\n".join(body)))
    pages = sorted(f for f in os.listdir(html_dir) if f.endswith(".html"))[:count]
    for n, name in enumerate(pages):
        shutil.copy(os.path.join(html_dir, name), os.path.join(out, "page%03d.html" % n))


if __name__ == "__main__":
    main()
