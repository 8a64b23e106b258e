#!/usr/bin/env python3
"""Writes the hostile documents whose peak memory bench/hostile/run.sh
measures into a folder (default /tmp/quillfen-hostile):

- xref-stream-33M.pdf: one page of text whose cross-reference stream
  claims 33 million objects (/Size) and whose page tree claims as many
  pages;
- xref-table-33M.pdf: the same claim in a cross-reference table's trailer;
- subsection-33M.pdf: a table whose one subsection claims 33 million
  entries and holds seven;
- object-number-33M.pdf: no usable cross-reference, so the reader rebuilds
  it from the objects it finds, one of them numbered 33 million;
- xref-index-33M.pdf: a cross-reference stream whose /Index claims a
  section ending at 33 million;
- linearized-33M.pdf: a linearized file whose /N claims 33 million pages;
- big-document.docx: a .docx whose word/document.xml is about 310 MB
  (1.78 million paragraphs of a few runs each) in a few MB of archive;
- empty-paragraphs.docx: 256 MB of paragraphs with attributes and no text,
  then one word.

Nothing here is committed: run it, then run.sh.
"""
import os
import sys
import zipfile
import zlib

CLAIM = 33_000_000


def objects(pages):
    content = b"BT /F 12 Tf 72 700 Td (The only page) Tj ET"
    return [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count %d >>" % pages,
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        b"/Resources << /Font << /F 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content),
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]


def body(objs, header=b"%PDF-1.5\n", first=1):
    pdf = bytearray(header)
    offsets = []
    for i, obj in enumerate(objs):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n%s\nendobj\n" % (first + i, obj)
    return pdf, offsets


def xref_stream_pdf(claim):
    objs = objects(claim)
    pdf, offsets = body(objs)

    def entry(kind, offset, gen):
        return bytes([kind]) + offset.to_bytes(4, "big") + bytes([gen])

    xref = len(pdf)
    rows = entry(0, 0, 255) + b"".join(entry(1, o, 0) for o in offsets) + entry(1, xref, 0)
    data = zlib.compress(rows)
    pdf += (b"%d 0 obj\n<< /Type /XRef /Size %d /Index [0 %d] /W [1 4 1] /Root 1 0 R "
            b"/Filter /FlateDecode /Length %d >>\nstream\n" % (len(objs) + 1, claim, len(objs) + 2, len(data)))
    pdf += data + b"\nendstream\nendobj\nstartxref\n%d\n%%%%EOF\n" % xref
    return bytes(pdf)


def table(offsets, first_line):
    rows = b"".join(b"%010d 00000 n \n" % o for o in offsets)
    return b"xref\n" + first_line + b"0000000000 65535 f \n" + rows


def xref_index_pdf(claim):
    return xref_stream_pdf(1).replace(b"/Size 1 /Index [0 7]", b"/Size 7 /Index [0 7 %d 1]" % claim)


def linearized_pdf(claim):
    def build(length):
        pdf, offsets = body(objects(1), b"%PDF-1.4\n")
        head = b"%%PDF-1.4\n9 0 obj << /Linearized 1 /L %010d /N %d >> endobj\n" % (length, claim)
        pdf = bytearray(head) + pdf[len(b"%PDF-1.4\n"):]
        shift = len(head) - len(b"%PDF-1.4\n")
        xref = len(pdf)
        pdf += table([o + shift for o in offsets], b"0 %d\n" % (len(offsets) + 1))
        pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(offsets) + 1, xref)
        return bytes(pdf)
    return build(len(build(0)))


def xref_table_pdf(claim):
    objs = objects(claim)
    pdf, offsets = body(objs, b"%PDF-1.4\n")
    xref = len(pdf)
    pdf += table(offsets, b"0 %d\n" % (len(objs) + 1))
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (claim, xref)
    return bytes(pdf)


def subsection_pdf(claim):
    objs = objects(1)
    pdf, offsets = body(objs, b"%PDF-1.4\n")
    xref = len(pdf)
    pdf += table(offsets, b"0 %d\n" % claim)
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    return bytes(pdf)


def object_number_pdf(claim):
    objs = objects(1)
    pdf, _ = body(objs, b"%PDF-1.4\n")
    pdf += b"%d 0 obj\n<< >>\nendobj\n" % claim
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n999999\n%%%%EOF\n" % (len(objs) + 1)
    return bytes(pdf)


def big_docx(path, paragraphs=1_780_000):
    head = (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            b'<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
            b"<w:body>")
    tail = b"</w:body></w:document>"
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("[Content_Types].xml",
                         b'<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/'
                         b'package/2006/content-types"><Override PartName="/word/document.xml" '
                         b'ContentType="application/vnd.openxmlformats-officedocument.'
                         b'wordprocessingml.document.main+xml"/></Types>')
        with archive.open("word/document.xml", "w", force_zip64=True) as part:
            part.write(head)
            block = []
            for n in range(paragraphs):
                block.append(
                    b'<w:p><w:pPr><w:pStyle w:val="Body"/></w:pPr><w:r><w:rPr><w:b/></w:rPr>'
                    b"<w:t>Paragraph %d says</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
                    b"something of its own.</w:t></w:r></w:p>" % n)
                if len(block) == 10000:
                    part.write(b"".join(block))
                    block = []
            part.write(b"".join(block) + tail)


def empty_paragraphs_docx(path, part_bytes=256 << 20):
    paragraph = (b'<w:p w:rsidR="00A1B2C3" w:rsidRDefault="00D4E5F6" w:rsidP="00123456">'
                 b'<w:pPr><w:pStyle w:val="Normal"/></w:pPr></w:p>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("[Content_Types].xml", b'<?xml version="1.0"?><Types xmlns="http://schemas.'
                         b'openxmlformats.org/package/2006/content-types"/>')
        with archive.open("word/document.xml", "w", force_zip64=True) as part:
            part.write(b'<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="http://schemas.'
                       b'openxmlformats.org/wordprocessingml/2006/main"><w:body>')
            block = paragraph * 10000
            for _ in range(part_bytes // len(block)):
                part.write(block)
            part.write(b"<w:p><w:r><w:t>End.</w:t></w:r></w:p></w:body></w:document>")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/quillfen-hostile"
    os.makedirs(folder, exist_ok=True)
    for name, make in [("xref-stream-33M.pdf", xref_stream_pdf), ("xref-table-33M.pdf", xref_table_pdf),
                       ("subsection-33M.pdf", subsection_pdf), ("object-number-33M.pdf", object_number_pdf),
                       ("xref-index-33M.pdf", xref_index_pdf), ("linearized-33M.pdf", linearized_pdf)]:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(make(CLAIM))
    big_docx(os.path.join(folder, "big-document.docx"))
    empty_paragraphs_docx(os.path.join(folder, "empty-paragraphs.docx"))
    for name in sorted(os.listdir(folder)):
        print(name, os.path.getsize(os.path.join(folder, name)))


if __name__ == "__main__":
    main()
