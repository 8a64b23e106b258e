#!/usr/bin/env python3
"""Writes the text benchmark corpus: about 100 MB in 200 files of mixed
encodings and line ends, with paragraphs, questions and abbreviations.
Deterministic: the same seed gives the same bytes."""
import os
import random
import sys

WORDS = ("the of and to in is was for on that with as by at from this which be are "
         "document reader paragraph sentence river mountain window letter garden "
         "morning evening station harbour engine number quiet bright early careful "
         "museum library village council report chapter figure table result method "
         "café naïve résumé façade über señor smörgåsbord crème brûlée").split()
ABBREVIATIONS = ["e.g.", "i.e.", "etc.", "vs.", "Mr.", "Mrs.", "Ms.", "Jr.", "Inc.", "et al."]
FLAVOURS = [  # (encoding, with mark, line end)
    ("utf-8", False, "\n"), ("utf-8", False, "\n"), ("utf-8", True, "\r\n"),
    ("cp1252", False, "\r\n"), ("utf-16-le", True, "\r\n"),
]


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 22))]
    if rng.random() < 0.3:
        words.insert(rng.randint(0, len(words)), rng.choice(ABBREVIATIONS))
    if rng.random() < 0.1:
        words.insert(rng.randint(0, len(words)), "Mr. " + rng.choice(WORDS).title())
    text = " ".join(words)
    text = text[0].upper() + text[1:]
    return text + rng.choice([".", ".", ".", ".", "?", "!"])


def paragraph(rng, line_end):
    lines, line = [], []
    for _ in range(rng.randint(2, 9)):
        line.append(sentence(rng))
        if rng.random() < 0.4:
            lines.append(" ".join(line))
            line = []
    if line:
        lines.append(" ".join(line))
    return line_end.join(lines)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "bench/work/text"
    total_mb = float(sys.argv[2]) if len(sys.argv) > 2 else 100.0
    files = 200
    os.makedirs(out, exist_ok=True)
    rng = random.Random(20261207)
    per_file = int(total_mb * 1024 * 1024 / files)
    for n in range(files):
        encoding, mark, line_end = FLAVOURS[n % len(FLAVOURS)]
        unit = 2 if encoding == "utf-16-le" else 1
        parts, size = [], 0
        while size * unit < per_file:
            p = paragraph(rng, line_end)
            parts.append(p)
            size += len(p) + 2 * len(line_end)
            parts.append(line_end * rng.choice([2, 2, 2, 3, 4]))
        data = "".join(parts).encode(encoding, errors="replace")
        if mark:
            data = ("\ufeff".encode(encoding)) + data
        with open(os.path.join(out, f"doc{n:03d}.txt"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
