#!/usr/bin/env python3
"""Writes the small PDFs that the PDF reader's tests read, one a layout
rule: right-to-left lines, CJK lines, ligatures, paragraphs set apart by
space, two columns, running headers and footers, pages of one line. Run it
after changing a page below and commit what it writes; the build never
runs it.

    scripts/make-test-pdfs.py [FOLDER]   (default: tests/reading/documents/pdfs)

Every page is drawn with one font that the file names but does not embed,
with a width for each glyph and a ToUnicode map, as word processors write
them: text is read from the map, so any script works without a font on the
machine. Right-to-left text is drawn in visual order, left to right, as
LibreOffice, Word and browsers draw it. The files are fixed bytes.
"""
import os
import sys

PAGE_WIDTH, PAGE_HEIGHT = 595, 842


def is_wide(c):
    o = ord(c)
    return (0x1100 <= o <= 0x11FF or 0x2E80 <= o <= 0x9FFF or 0xAC00 <= o <= 0xD7AF
            or 0xF900 <= o <= 0xFAFF or 0xFF00 <= o <= 0xFF60 or 0x20000 <= o)


def is_rtl(c):
    o = ord(c)
    return 0x0590 <= o <= 0x08FF or 0xFB1D <= o <= 0xFDFF or 0xFE70 <= o <= 0xFEFF


def advance(c):
    """A glyph's width in thousandths of the font size."""
    if c == " ":
        return 250
    if is_wide(c):
        return 1000
    if c in "il.,;:'!|":
        return 280
    if c in "mwMW":
        return 800
    if "A" <= c <= "Z":
        return 650
    return 500


def width(text, size):
    return sum(advance(c) for c in text) * size / 1000.0


def visual(text):
    """The visual order of a line whose base direction is right to left,
    for test text of letters, digits, spaces and punctuation only: runs of
    left-to-right characters keep their order, everything else is
    reversed."""
    runs = []  # [is_ltr, text]
    for c in text:
        ltr = c.isascii() and c.isalnum()
        if runs and runs[-1][0] == ltr:
            runs[-1][1] += c
        else:
            runs.append([ltr, c])
    # Spaces between two left-to-right runs belong to them.
    merged = []
    for run in runs:
        if (len(merged) >= 2 and run[0] and merged[-2][0] and merged[-1][1].strip() == ""):
            gap = merged.pop()[1]
            merged[-1][1] += gap + run[1]
        else:
            merged.append(run)
    out = []
    for ltr, chunk in reversed(merged):
        out.append(chunk if ltr else chunk[::-1])
    return "".join(out)


class Document:
    def __init__(self):
        self.pages = []
        self.glyphs = {}  # text -> glyph id

    def page(self):
        page = Page(self)
        self.pages.append(page)
        return page

    def glyph(self, text):
        if text not in self.glyphs:
            self.glyphs[text] = len(self.glyphs) + 1
        return self.glyphs[text]

    def bytes(self):
        objects = ["<< /Type /Catalog /Pages 2 0 R >>", None]
        font = len(objects) + 1
        objects += [None, None, None]  # Type0 font, CID font, ToUnicode
        kids = []
        for page in self.pages:
            content = page.content.encode("ascii")
            objects.append(b"<< /Length %d >>\nstream\n" % len(content) + content
                           + b"\nendstream")
            kids.append(len(objects) + 1)
            objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents %d 0 R "
                           "/Resources << /Font << /F1 %d 0 R >> >> >>"
                           % (PAGE_WIDTH, PAGE_HEIGHT, len(objects), font))
        objects[1] = "<< /Type /Pages /Kids [%s] /Count %d >>" % (
            " ".join("%d 0 R" % k for k in kids), len(kids))
        objects[font - 1] = ("<< /Type /Font /Subtype /Type0 /BaseFont /TestSans /Encoding "
                             "/Identity-H /DescendantFonts [%d 0 R] /ToUnicode %d 0 R >>"
                             % (font + 1, font + 2))
        widths = " ".join("%d [%d]" % (gid, advance(text[0]) if len(text) == 1 else 1000 * len(text) // 2)
                          for text, gid in sorted(self.glyphs.items(), key=lambda g: g[1]))
        objects[font] = ("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /TestSans "
                         "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                         "/FontDescriptor << /Type /FontDescriptor /FontName /TestSans /Flags 32 "
                         "/FontBBox [0 -200 1000 900] /ItalicAngle 0 /Ascent 900 /Descent -200 "
                         "/CapHeight 700 /StemV 80 >> /DW 500 /W [%s] /CIDToGIDMap /Identity >>"
                         % widths)
        entries = "".join("<%04X> <%s>\n" % (gid, text.encode("utf-16-be").hex().upper())
                          for text, gid in sorted(self.glyphs.items(), key=lambda g: g[1]))
        cmap = ("/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                "%d beginbfchar\n%sendbfchar\nendcmap CMapName currentdict /CMap defineresource "
                "pop end end" % (len(self.glyphs), entries)).encode("ascii")
        objects[font + 1] = b"<< /Length %d >>\nstream\n" % len(cmap) + cmap + b"\nendstream"

        out = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"
        offsets = []
        for number, body in enumerate(objects, 1):
            offsets.append(len(out))
            if isinstance(body, str):
                body = body.encode("ascii")
            out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
        xref = len(out)
        out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
        out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
        out += (b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n"
                % (len(objects) + 1, xref))
        return out


class Page:
    def __init__(self, document):
        self.document = document
        self.content = ""

    def text(self, x, y, size, text):
        """Draws text from x with its baseline y points below the page's
        top, each character one glyph (a ligature character one glyph that
        maps to it)."""
        codes = "".join("%04X" % self.document.glyph(c) for c in text)
        self.content += "BT /F1 %g Tf 1 0 0 1 %.2f %.2f Tm <%s> Tj ET\n" % (
            size, x, PAGE_HEIGHT - y, codes)

    def rtl_line(self, right, y, size, text):
        """A right-to-left line ending at right, given in logical order."""
        shown = visual(text)
        self.text(right - width(shown, size), y, size, shown)

    def rtl_paragraph(self, right, y, size, measure, text, leading=None):
        """Right-to-left text filled into lines that end at right."""
        leading = leading or size * 1.2
        for line in wrap(text, size, measure):
            self.rtl_line(right, y, size, line)
            y += leading
        return y

    def paragraph(self, x, y, size, measure, text, leading=None, indent=0, joined=False):
        """Fills text into lines of measure points, greedily; "|" in a
        word is a place where it may be hyphenated at a line end. joined
        text (CJK) may break between any two characters. Returns the
        baseline below the last line."""
        leading = leading or size * 1.2
        lines = wrap(text, size, measure, indent, joined)
        for number, line in enumerate(lines):
            self.text(x + (indent if number == 0 else 0), y, size, line)
            y += leading
        return y


def wrap(text, size, measure, indent=0, joined=False):
    if joined:
        lines, line = [], ""
        for c in text:
            if width(line + c, size) > measure - (indent if not lines else 0):
                lines.append(line)
                line = ""
            line += c
        return lines + [line]
    lines, line = [], ""
    for word in text.split(" "):
        room = measure - (indent if not lines else 0)
        whole = word.replace("|", "")
        candidate = whole if not line else line + " " + whole
        if width(candidate, size) <= room:
            line = candidate
            continue
        parts = word.split("|")
        head = None
        for k in range(len(parts) - 1, 0, -1):
            attempt = "".join(parts[:k]) + "-"
            attempt = attempt if not line else line + " " + attempt
            if width(attempt, size) <= room:
                head = (attempt, "".join(parts[k:]))
                break
        if head:
            lines.append(head[0])
            line = head[1]
        else:
            lines.append(line)
            line = whole
    return lines + [line]


LOREM = ("Reading a page again as its reader sees it means joining the lines that a "
         "paragraph was filled into, and keeping apart what the page sets apart.")


RTL_PARAGRAPH = ("هذا نص عربي طويل يمتد على عدة أسطر في الصفحة حتى يقرأه القارئ "
                 "فقرة واحدة من أولها إلى آخرها")


def rtl():
    doc = Document()
    page = doc.page()
    y = page.rtl_paragraph(520, 100, 12, 200, RTL_PARAGRAPH)
    page.rtl_line(520, y + 14, 12, "البرمجة بلغة R وPython")
    page.rtl_line(520, y + 44, 12, "שלום עולם וגם HTML 5 בשורה אחת")
    page.rtl_line(520, y + 74, 12, "کتاب فارسی خوب است")
    return doc.bytes()


def cjk():
    doc = Document()
    page = doc.page()
    y = page.paragraph(72, 100, 12, 150, "这个程序的功能是把文档中的句子一行一行地列出来，方便读者查找。", joined=True)
    y = page.paragraph(72, y + 14, 12, 150, "日本語の文章は単語の間に空白を入れずに書きます。カタカナも同じです。", joined=True)
    y = page.paragraph(72, y + 14, 12, 150, "한국어는 단어 사이에 띄어쓰기를 합니다 그래서 줄이 바뀌어도 공백이 필요합니다")
    y = page.paragraph(72, y + 14, 12, 150, "ＡＢＣ全角文字と漢字が混ざった行の続きも同じように繋がります。", joined=True)
    return doc.bytes()


def ligatures():
    doc = Document()
    page = doc.page()
    page.paragraph(72, 100, 12, 300, "The \ufb01le was \ufb02agged as e\ufb03cient; sta\ufb00 "
                   "o\ufb04ine \ufb06ore \ufb05ory and \ufb00 all stayed as the printer set them.")
    return doc.bytes()


SHORT = [
    "Dear members,",
    "The meeting moves to Thursday.",
    "Bring the minutes of March if you have them; the copy in the hall was lost when the "
    "cupboard was cleared out last week.",
    "Tea will be served.",
    "Yours,",
    "The secretary",
]


def spaced():
    """Paragraphs set apart by space, most of them a single line: their
    gaps outnumber the gaps between lines."""
    doc = Document()
    page = doc.page()
    y = 100
    for text in SHORT:
        y = page.paragraph(72, y, 11, 300, text, leading=13.2) + 10
    return doc.bytes()


COLUMN_TEXT = [
    "Two columns on a page are read one after the other, the whole left one first, "
    "and a paragraph that runs from the foot of the left column to the head of the "
    "right one is still one paragraph to its reader, who reads on across the gap "
    "without noticing it.",
    "A second paragraph in the right column has its own lines and ends there.",
]


def columns():
    doc = Document()
    page = doc.page()
    page.text(72, 70, 16, "Two Columns")
    lines = wrap(COLUMN_TEXT[0], 10, 200)
    y = 100
    for line in lines[:4]:
        page.text(72, y, 10, line)
        y += 12
    y = 100
    for line in lines[4:]:
        page.text(312, y, 10, line)
        y += 12
    page.paragraph(312, y + 8, 10, 200, COLUMN_TEXT[1], leading=12)
    return doc.bytes()


def running():
    """Three pages with a running header and a footer "N / 3", a paragraph
    running over the page breaks, and a title on the first page only."""
    doc = Document()
    words = ("The society's report runs over three pages and its sentences run over the "
             "page breaks as well, as reports do when nobody has tried to stop them. ") * 4
    lines = wrap(words.strip(), 11, 300)
    per_page = len(lines) // 3 + 1
    for number in range(3):
        page = doc.page()
        page.text(72, 40, 9, "Tarnwick Reading Society")
        page.text(280, 810, 9, "%d / 3" % (number + 1))
        y = 100
        if number == 0:
            page.text(72, 80, 14, "Annual Report")
            y = 110
        for line in lines[number * per_page:(number + 1) * per_page]:
            page.text(72, y, 11, line)
            y += 13.2
    return doc.bytes()


def invoice():
    """Two pages: the title stands once, at the top of the first page."""
    doc = Document()
    for number in range(2):
        page = doc.page()
        if number == 0:
            page.text(72, 60, 16, "Invoice 2024-117")
            page.text(72, 100, 11, "Bill to: Marsh Field Station")
        page.text(72, 140, 11, "Item %d: seed trays, forty at 1.20 each" % (number + 1))
        page.text(72, 800, 9, "Page %d of 2" % (number + 1))
    return doc.bytes()


def numbered_pages():
    """Each page one line, the lines differing only in their number."""
    doc = Document()
    for number in range(1, 6):
        doc.page().text(72, 72, 12, "Sentence number %d on its own page." % number)
    return doc.bytes()


FILES = {
    "rtl.pdf": rtl,
    "cjk.pdf": cjk,
    "ligatures.pdf": ligatures,
    "spaced-paragraphs.pdf": spaced,
    "two-columns.pdf": columns,
    "running-header-footer.pdf": running,
    "invoice.pdf": invoice,
    "numbered-pages.pdf": numbered_pages,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "tests", "reading", "documents", "pdfs")
    os.makedirs(folder, exist_ok=True)
    for name, make in FILES.items():
        data = make()
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
        print("wrote", os.path.join(folder, name), len(data), "bytes")


if __name__ == "__main__":
    main()
