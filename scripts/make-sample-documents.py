#!/usr/bin/env python3
"""Writes the example documents of data/Samples: one Word (.docx), one
OpenDocument text (.odt), one EPUB and one PDF, from the texts below. Run
it after changing them and commit what it writes; the build never runs it.

    scripts/make-sample-documents.py [FOLDER]     (default: data/Samples)

The files are fixed bytes (no dates inside), so running it again changes
nothing. The PDF uses the standard Courier font, whose every character is
0.6 em wide, so that its lines can be filled as a word processor fills
them without font metrics.
"""
import io
import os
import sys
import zipfile
from xml.sax.saxutils import escape

WORD = ("Field Notes (Word).docx", [
    ("h", "Field Notes from the Marsh"),
    ("p", "We left the boathouse at first light. The water was still, and the reeds on "
          "both banks stood taller than the punt."),
    ("p", "Birds seen before breakfast:\nbittern, reed warbler, marsh harrier."),
    ("table", [["Time", "Place", "Count"], ["06:10", "North pool", "12 teal"],
               ["07:45", "Old sluice", "3 herons"]]),
    ("p", "Mrs. Hale, who keeps the records, asked us to note the weather as well: cool, "
          "a light wind from the west, no rain.", "She has kept them since 1987."),
    ("p", "Tomorrow we try the southern channel, if the tide allows."),
])

ODT = ("Garden Diary (OpenDocument).odt", [
    ("h", "Garden Diary, April"),
    ("p", "The frost held off this week, so the beans went in on Tuesday. Dr. Moss "
          "thinks it is still too early; we shall see."),
    ("list", ["Sow: broad beans, peas, spinach.", "Plant out: onion sets.",
              "Mend: the gate by the compost heap."]),
    ("p", "Rainfall\tMonday 4 mm\tThursday 11 mm"),
    ("p", "The apple blossom is late but thick.", "Ms. Reed from next door counted the "
          "bees on it: forty in ten minutes."),
])

EPUB = ("A Short Story (EPUB).epub", "The Lighthouse Keeper", [
    ("Chapter One", [
        "The keeper climbed the hundred and twelve steps every evening at six.",
        "He had done it for thirty years, in fog and in gales, and he knew each step by "
        "the sound it made under his boots.",
    ]),
    ("Chapter Two", [
        "One night in November the lamp would not light. He tried the spare wick, then "
        "the matches from the drawer, then the ones in his coat.",
        "At last, by the light of a storm lantern, he found the trouble: a moth, e.g. a "
        "very large one, asleep in the burner.",
    ]),
])

PDF = ("Annual Report (PDF).pdf", "Tarnwick Reading Society - Annual Report", [
    "Annual Report of the Reading Society",
    "The society met eleven times this year, once a month except in August, when the "
    "hall was closed for repairs. Attendance rose from an average of nineteen members to "
    "twenty-six, and four new members joined after the autumn open evening.",
    "Our reading list ranged widely: two novels, a book of essays, a history of the "
    "canal that runs past the hall, and, at the request of several members, a collection "
    "of short stories translated from the Portuguese. The discussion of the canal history "
    "was the liveliest of the year, helped by Mr. Okafor, whose grandfather worked one of "
    "the locks, and who brought photographs, tickets and a lock-keeper's logbook from "
    "nineteen twenty-three.",
    "The treasurer reports a small surplus. Subscriptions covered the rent of the hall and "
    "the cost of books for the lending shelf; the raffle at the summer party paid for new "
    "chairs. We thank everyone who gave their time, and the representatives of the "
    "neighbouring societies for their extraordinarily generous correspondence throughout "
    "the year.",
    "Next year we plan a joint meeting with the history group and a reading in the library "
    "garden in June, weather permitting.",
])

ZIP_DATE = (2026, 1, 1, 0, 0, 0)


def zip_bytes(entries):
    """A zip whose first entry is stored, as .odt and .epub need for "mimetype"."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for index, (name, data) in enumerate(entries):
            info = zipfile.ZipInfo(name, ZIP_DATE)
            info.compress_type = zipfile.ZIP_STORED if index == 0 else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data.encode("utf-8") if isinstance(data, str) else data)
    return out.getvalue()


W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
R = 'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def word_runs(text):
    parts = []
    for n, line in enumerate(text.split("\n")):
        if n:
            parts.append("<w:r><w:br/></w:r>")
        parts.append('<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % escape(line))
    return "".join(parts)


def docx(blocks):
    body = []
    notes = []
    for block in blocks:
        kind = block[0]
        if kind == "h":
            body.append('<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr>%s</w:p>'
                        % word_runs(block[1]))
        elif kind == "p":
            note = ""
            if len(block) > 2:
                notes.append(block[2])
                note = ('<w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr>'
                        '<w:footnoteReference w:id="%d"/></w:r>' % len(notes))
            body.append("<w:p>%s%s</w:p>" % (word_runs(block[1]), note))
        elif kind == "table":
            rows = "".join("<w:tr>%s</w:tr>" % "".join(
                "<w:tc><w:p>%s</w:p></w:tc>" % word_runs(cell) for cell in row)
                for row in block[1])
            body.append('<w:tbl><w:tblPr><w:tblStyle w:val="TableGrid"/></w:tblPr>%s</w:tbl>'
                        % rows)
    footnotes = ('<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r>'
                 '</w:p></w:footnote>' + "".join(
                     '<w:footnote w:id="%d"><w:p>%s</w:p></w:footnote>' % (n + 1, word_runs(t))
                     for n, t in enumerate(notes)))
    return zip_bytes([
        ("[Content_Types].xml",
         '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
         '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
         '<Default Extension="xml" ContentType="application/xml"/>'
         '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
         '<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml"/>'
         '</Types>'),
        ("_rels/.rels",
         '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
         '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
         '<Relationship Id="rId1" Type="%s/officeDocument" Target="word/document.xml"/>'
         '</Relationships>' % REL),
        ("word/_rels/document.xml.rels",
         '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
         '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
         '<Relationship Id="rId1" Type="%s/footnotes" Target="footnotes.xml"/>'
         '</Relationships>' % REL),
        ("word/document.xml",
         '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document %s %s><w:body>%s'
         '<w:sectPr/></w:body></w:document>' % (W, R, "".join(body))),
        ("word/footnotes.xml",
         '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:footnotes %s>%s</w:footnotes>'
         % (W, footnotes)),
    ])


ODF_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"')


def odf_text(text):
    return escape(text).replace("\t", "<text:tab/>")


def odt(blocks):
    body = []
    for block in blocks:
        kind = block[0]
        if kind == "h":
            body.append('<text:h text:outline-level="1">%s</text:h>' % odf_text(block[1]))
        elif kind == "p":
            note = ""
            if len(block) > 2:
                note = ('<text:note text:note-class="footnote"><text:note-citation>1'
                        '</text:note-citation><text:note-body><text:p>%s</text:p>'
                        '</text:note-body></text:note>' % odf_text(block[2]))
            body.append("<text:p>%s%s</text:p>" % (odf_text(block[1]), note))
        elif kind == "list":
            body.append("<text:list>%s</text:list>" % "".join(
                "<text:list-item><text:p>%s</text:p></text:list-item>" % odf_text(item)
                for item in block[1]))
    mime = "application/vnd.oasis.opendocument.text"
    return zip_bytes([
        ("mimetype", mime),
        ("content.xml",
         '<?xml version="1.0" encoding="UTF-8"?><office:document-content %s office:version="1.3">'
         "<office:body><office:text>%s</office:text></office:body></office:document-content>"
         % (ODF_NS, "".join(body))),
        ("META-INF/manifest.xml",
         '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest %s manifest:version="1.3">'
         '<manifest:file-entry manifest:full-path="/" manifest:media-type="%s"/>'
         '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
         "</manifest:manifest>" % (ODF_NS, mime)),
    ])


def epub(title, chapters):
    items = "".join('<item id="c%d" href="Text/chapter%d.xhtml" media-type="application/xhtml+xml"/>'
                    % (n, n) for n in range(1, len(chapters) + 1))
    spine = "".join('<itemref idref="c%d"/>' % n for n in range(1, len(chapters) + 1))
    entries = [
        ("mimetype", "application/epub+zip"),
        ("META-INF/container.xml",
         '<?xml version="1.0" encoding="UTF-8"?><container version="1.0" '
         'xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles>'
         '<rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>'
         "</rootfiles></container>"),
        ("OEBPS/content.opf",
         '<?xml version="1.0" encoding="UTF-8"?><package xmlns="http://www.idpf.org/2007/opf" '
         'version="3.0" unique-identifier="id"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/">'
         '<dc:identifier id="id">quillfen-sample-story</dc:identifier><dc:title>%s</dc:title>'
         '<dc:language>en</dc:language><meta property="dcterms:modified">2026-01-01T00:00:00Z</meta>'
         '</metadata><manifest><item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" '
         'properties="nav"/>%s</manifest><spine>%s</spine></package>' % (escape(title), items, spine)),
        ("OEBPS/nav.xhtml",
         '<?xml version="1.0" encoding="UTF-8"?><html xmlns="http://www.w3.org/1999/xhtml" '
         'xmlns:epub="http://www.idpf.org/2007/ops"><head><title>Contents</title></head><body>'
         '<nav epub:type="toc"><ol>%s</ol></nav></body></html>' % "".join(
             '<li><a href="Text/chapter%d.xhtml">%s</a></li>' % (n + 1, escape(c[0]))
             for n, c in enumerate(chapters))),
    ]
    for n, (heading, paragraphs) in enumerate(chapters, 1):
        entries.append(("OEBPS/Text/chapter%d.xhtml" % n,
                        '<?xml version="1.0" encoding="UTF-8"?><!DOCTYPE html><html '
                        'xmlns="http://www.w3.org/1999/xhtml"><head><title>%s</title></head><body>'
                        "<h2>%s</h2>%s</body></html>" % (escape(heading), escape(heading), "".join(
                            "<p>%s</p>" % escape(p) for p in paragraphs))))
    return zip_bytes(entries)


def pdf_string(text):
    return "(" + text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)") + ")"


def pdf(header, paragraphs):
    """Courier 11 on A4: 60 characters a line, hyphenating long words that
    would leave a line short, a running header and page numbers, a gap
    between paragraphs, 14 lines a page so that paragraphs run over."""
    size, left, top, leading, per_page, columns = 11, 72, 760, 15, 14, 60
    lines = []  # (text, starts a paragraph)
    for paragraph in paragraphs:
        line = ""
        first = True
        for word in paragraph.split(" "):
            candidate = word if not line else line + " " + word
            if len(candidate) <= columns:
                line = candidate
                continue
            room = columns - len(line) - (1 if line else 0) - 1
            if word.isalpha() and 3 <= room <= len(word) - 3:
                lines.append((line + " " + word[:room] + "-", first))
                first = False
                line = word[room:]
            else:
                lines.append((line, first))
                first = False
                line = word
        lines.append((line, first))
    pages = []
    page = []
    y = top
    for text, starts in lines:
        if starts and page:
            y -= leading // 2
        if len(page) == per_page:
            pages.append(page)
            page, y = [], top
        page.append((y, text))
        y -= leading
    pages.append(page)

    objects = ["<< /Type /Catalog /Pages 2 0 R >>", None,
               "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>"]
    kids = []
    for number, page in enumerate(pages, 1):
        content = "BT /F1 9 Tf %d 805 Td %s Tj ET\n" % (left, pdf_string(header))
        content += "BT /F1 9 Tf 290 40 Td %s Tj ET\n" % pdf_string(str(number))
        for y, text in page:
            content += "BT /F1 %d Tf %d %d Td %s Tj ET\n" % (size, left, y, pdf_string(text))
        data = content.encode("cp1252")
        objects.append("<< /Length %d >>\nstream\n%s\nendstream" % (len(data), content))
        kids.append(len(objects) + 1)
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R "
                       "/Resources << /Font << /F1 3 0 R >> >> >>" % (len(objects)))
    objects[1] = "<< /Type /Pages /Kids [%s] /Count %d >>" % (
        " ".join("%d 0 R" % k for k in kids), len(kids))
    out = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body.encode("cp1252") + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return out


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "Samples")
    files = {
        WORD[0]: docx(WORD[1]),
        ODT[0]: odt(ODT[1]),
        EPUB[0]: epub(EPUB[1], EPUB[2]),
        PDF[0]: pdf(PDF[1], PDF[2]),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
        print("wrote", os.path.join(folder, name), len(data), "bytes")


if __name__ == "__main__":
    main()
