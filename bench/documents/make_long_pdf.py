#!/usr/bin/env python3
"""Writes a text PDF of many pages (10,000 by default) for the peak-memory
benchmark: each page a few paragraphs of the text corpus's words in
Helvetica, every page its own content stream, written straight as PDF
objects (no PDF library needed). Deterministic. Never committed: made at
bench time.

Usage: make_long_pdf.py OUT.pdf [PAGES]"""
import random
import sys
import zlib

WORDS = ("the of and to in is was for on that with as by at from this which be are "
         "document reader paragraph sentence river mountain window letter garden "
         "morning evening station harbour engine number quiet bright early careful "
         "museum library village council report chapter figure table result method").split()


def page_stream(rng, number):
    lines = ["BT", "/F1 11 Tf", "14 TL", "72 770 Td"]
    for paragraph in range(5):
        for _ in range(rng.randint(3, 7)):
            words = " ".join(rng.choice(WORDS) for _ in range(rng.randint(9, 13)))
            lines.append("(%s) Tj T*" % words)
        lines.append("T*")
    lines.append("(%d) Tj" % number)
    lines.append("ET")
    return zlib.compress("\n".join(lines).encode("ascii"))


def main():
    out = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    rng = random.Random(10000)
    # Objects: 1 catalog, 2 pages, 3 font, then a page and its content each.
    offsets = {}
    with open(out, "wb") as f:
        def write_object(number, body):
            offsets[number] = f.tell()
            f.write(b"%d 0 obj\n" % number + body + b"\nendobj\n")

        f.write(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
        write_object(1, b"<< /Type /Catalog /Pages 2 0 R >>")
        kids = b" ".join(b"%d 0 R" % (4 + 2 * i) for i in range(pages))
        write_object(2, b"<< /Type /Pages /Count %d /Kids [%s] >>" % (pages, kids))
        write_object(3, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                        b"/Encoding /WinAnsiEncoding >>")
        for i in range(pages):
            page, content = 4 + 2 * i, 5 + 2 * i
            write_object(page, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
                               b"/Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R >>"
                         % content)
            stream = page_stream(rng, i + 1)
            write_object(content, b"<< /Length %d /Filter /FlateDecode >>\nstream\n"
                         % len(stream) + stream + b"\nendstream")
        count = 4 + 2 * pages
        xref = f.tell()
        f.write(b"xref\n0 %d\n0000000000 65535 f \n" % count)
        for number in range(1, count):
            f.write(b"%010d 00000 n \n" % offsets[number])
        f.write(b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (count, xref))


if __name__ == "__main__":
    main()
