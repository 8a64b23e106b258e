#!/usr/bin/env python3
"""Writes about 50 MB of HTML pages like ones saved from the web: a head with
styles and scripts, navigation lists, articles with inline markup and
character references, data tables, preformatted blocks and comments.

usage: generate_pages.py OUTDIR [PAGES] [BYTES_PER_PAGE]
The same arguments always give the same files."""

import os
import random
import sys

WORDS = ("the of and to in is was for on that with as by at from this his her "
         "they which or had not but are were be have one all their there been "
         "river harbour council winter market letter evening garden station "
         "journey history morning village engine lantern quarrel meadow "
         "Quillfen Brisvane Tarnwick Hollow Ashby Marrow").split()
ENTITIES = ["&amp;", "&nbsp;", "&lt;", "&gt;", "&quot;", "&#8217;", "&#x2014;",
            "&eacute;", "&copy;", "&hellip;", "&laquo;", "&raquo;", "&euro;"]
INLINE = ["a href=\"/wiki/{w}\"", "b", "em", "span class=\"{w}\"", "strong",
          "i", "code", "abbr title=\"{w}\""]


def words(rng, count):
    out = []
    for _ in range(count):
        w = rng.choice(WORDS)
        roll = rng.random()
        if roll < 0.03:
            w = w + rng.choice(ENTITIES)
        elif roll < 0.08:
            tag = rng.choice(INLINE).format(w=rng.choice(WORDS))
            name = tag.split()[0]
            w = "<%s>%s %s</%s>" % (tag, w, rng.choice(WORDS), name)
        out.append(w)
    return " ".join(out)


def sentence(rng):
    text = words(rng, rng.randint(6, 22))
    return text[0].upper() + text[1:] + rng.choice([".", ".", ".", "?", "!"])


def paragraph(rng):
    return "<p>%s</p>\n" % " ".join(sentence(rng) for _ in range(rng.randint(2, 7)))


def table(rng):
    rows = ["<table class=\"data\">\n<caption>%s</caption>\n" % words(rng, 4)]
    cols = rng.randint(3, 7)
    rows.append("<tr>" + "".join("<th>%s</th>" % rng.choice(WORDS) for _ in range(cols)) + "</tr>\n")
    for _ in range(rng.randint(5, 30)):
        cells = "".join("<td>%s</td>" % (words(rng, 2) if rng.random() < 0.5 else
                                         "%d,%02d" % (rng.randint(0, 9999), rng.randint(0, 99)))
                        for _ in range(cols))
        rows.append("<tr>%s</tr>\n" % cells)
    rows.append("</table>\n")
    return "".join(rows)


def script(rng):
    body = "\n".join("  var %s%d = document.getElementById('%s') || {};"
                     " if (a < b && c > d) { x.push('</div>'); }" % (rng.choice(WORDS), i, rng.choice(WORDS))
                     for i in range(rng.randint(5, 40)))
    return "<script>\n(function () {\n%s\n})();\n</script>\n" % body


def style(rng):
    return "<style>\n%s\n</style>\n" % "\n".join(
        ".%s-%d { margin: %dpx; color: #%06x; }" % (rng.choice(WORDS), i, rng.randint(0, 40), rng.randint(0, 0xffffff))
        for i in range(rng.randint(20, 120)))


def nav(rng):
    items = "".join("<li><a href=\"/%s\">%s</a></li>\n" % (rng.choice(WORDS), words(rng, 2))
                    for _ in range(rng.randint(5, 25)))
    return "<nav><ul class=\"menu\">\n%s</ul></nav>\n" % items


def pre(rng):
    lines = "\n".join("    %s = %s(%d);" % (rng.choice(WORDS), rng.choice(WORDS), rng.randint(0, 99))
                      for _ in range(rng.randint(3, 15)))
    return "<pre>%s</pre>\n" % lines


def section(rng):
    parts = ["<section>\n<h2>%s</h2>\n" % words(rng, 5)]
    for _ in range(rng.randint(3, 12)):
        roll = rng.random()
        if roll < 0.70:
            parts.append(paragraph(rng))
        elif roll < 0.80:
            parts.append(table(rng))
        elif roll < 0.86:
            parts.append(pre(rng))
        elif roll < 0.93:
            parts.append("<ul>\n%s</ul>\n" % "".join("<li>%s\n" % words(rng, 8) for _ in range(rng.randint(2, 8))))
        else:
            parts.append("<!-- %s -->\n<div class=\"note\"><br>%s<br></div>\n" % (words(rng, 6), words(rng, 15)))
    parts.append("</section>\n")
    return "".join(parts)


def page(rng, size):
    head = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n%s%s%s</head>\n<body>\n<header>%s</header>\n%s<main>\n"
            % (words(rng, 6), style(rng), script(rng), script(rng), words(rng, 5), nav(rng)))
    parts = [head]
    total = len(head)
    while total < size:
        chunk = section(rng) if rng.random() < 0.9 else script(rng)
        parts.append(chunk)
        total += len(chunk)
    parts.append("</main>\n<footer><p>&copy; %s</p></footer>\n%s</body>\n</html>\n" % (words(rng, 4), script(rng)))
    return "".join(parts)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    size = int(sys.argv[3]) if len(sys.argv) > 3 else 250_000
    os.makedirs(outdir, exist_ok=True)
    rng = random.Random(20210831)
    for i in range(pages):
        with open(os.path.join(outdir, "page%03d.html" % i), "w", encoding="utf-8") as f:
            f.write(page(rng, size))


if __name__ == "__main__":
    main()
