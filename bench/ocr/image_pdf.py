#!/usr/bin/env python3
"""Wraps 8-bit grey PGM pages (as `pdftoppm -gray -r 300` writes them) into
one PDF whose pages are only images, as a scanner makes them.

Usage: image_pdf.py DPI OUT.pdf PAGE.pgm..."""
import sys
import zlib


def read_pgm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P5" and fields[3] == b"255", path
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def main():
    dpi, out, pages = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>", None]
    kids = []
    for page in pages:
        width, height, pixels = read_pgm(page)
        w, h = width * 72.0 / dpi, height * 72.0 / dpi
        image = zlib.compress(pixels, 6)
        content = b"q %.2f 0 0 %.2f 0 0 cm /I Do Q" % (w, h)
        n = len(objects) + 1
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %.2f %.2f] /Contents %d 0 R "
                       b"/Resources << /XObject << /I %d 0 R >> >> >>" % (w, h, n + 1, n + 2))
        objects.append(b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content))
        objects.append(b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace "
                       b"/DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\n"
                       b"stream\n" % (width, height, len(image)) + image + b"\nendstream")
        kids.append(b"%d 0 R" % n)
    objects[1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (b" ".join(kids), len(kids))
    pdf, offsets = bytearray(b"%PDF-1.4\n"), []
    for i, body in enumerate(objects):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n" % (i + 1) + body + b"\nendobj\n"
    xref = len(pdf)
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    pdf += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    with open(out, "wb") as f:
        f.write(pdf)


if __name__ == "__main__":
    main()
