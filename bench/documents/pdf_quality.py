#!/usr/bin/env python3
"""Scores quillfen-cli's words against pdftotext's on a folder of PDFs:
for each file, recall (the share of pdftotext's words that quillfen-cli
gives too) and precision (the share of its words that pdftotext gives),
counting words as multisets, then the median and the files below 0.9.

Both texts are compared as a reader would: NFKC (ligatures and
presentation forms as letters, which pdftotext leaves as they are), bidi
controls as spaces (pdftotext marks right-to-left runs with them, in
place of the space between two runs), words
hyphenated at pdftotext's line ends joined as quillfen-cli joins them. A
word is a run of letters, digits and marks; a CJK character is a word of
its own, since neither side puts spaces between them.

Usage: pdf_quality.py QUILLFEN_CLI FOLDER [--show N]   (N: print the N worst)
"""
import collections
import os
import re
import statistics
import subprocess
import sys
import unicodedata

# pdftotext puts these between a line's runs in place of a space.
BIDI_CONTROLS = dict.fromkeys(map(ord, "\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"), " ")
CJK = re.compile(r"[\u2e80-\u9fff\uf900-\ufaff\uff00-\uffef\U00020000-\U0003ffff]")
WORD = re.compile(r"[^\W_]+", re.UNICODE)
HYPHENATED = re.compile(r"(\w)[-\u2010\u00ad]\s*\n\s*(?=[a-z])")


def words(text, dehyphenate):
    text = unicodedata.normalize("NFKC", text).translate(BIDI_CONTROLS)
    if dehyphenate:
        text = HYPHENATED.sub(r"\1", text)
    text = CJK.sub(lambda m: " " + m.group(0) + " ", text)
    return collections.Counter(WORD.findall(text))


def run(command):
    """The command's standard output, or None after a timeout or a
    failure (its first line of errors printed)."""
    try:
        result = subprocess.run(command, capture_output=True, timeout=300)
    except subprocess.TimeoutExpired:
        print("timed out:", " ".join(command))
        return None
    if result.returncode != 0:
        print("failed:", " ".join(command), result.stderr.decode("utf-8", "replace")[:200].strip())
        return None
    return result.stdout.decode("utf-8", "replace")


def main():
    cli, folder = sys.argv[1], sys.argv[2]
    show = int(sys.argv[sys.argv.index("--show") + 1]) if "--show" in sys.argv else 10
    rows = []
    for name in sorted(os.listdir(folder)):
        if not name.lower().endswith(".pdf"):
            continue
        path = os.path.join(folder, name)
        peer = run(["pdftotext", "-q", "-enc", "UTF-8", path, "-"])
        ours = run([cli, "--text", path])
        if peer is None or ours is None:
            continue
        want = words(peer, True)
        got = words(ours, False)
        if sum(want.values()) < 50:
            continue  # too little text for a share to mean much
        common = sum((want & got).values())
        recall = common / max(1, sum(want.values()))
        precision = common / max(1, sum(got.values()))
        rows.append((min(recall, precision), recall, precision, sum(want.values()), name))
    if not rows:
        print("no PDF with text in", folder)
        return
    recalls = [r[1] for r in rows]
    precisions = [r[2] for r in rows]
    print("%d PDFs: median recall %.4f, median precision %.4f; below 0.9: recall %d, precision %d"
          % (len(rows), statistics.median(recalls), statistics.median(precisions),
             sum(r < 0.9 for r in recalls), sum(p < 0.9 for p in precisions)))
    print("mean recall %.4f, mean precision %.4f" % (statistics.mean(recalls), statistics.mean(precisions)))
    for worst, recall, precision, count, name in sorted(rows)[:show]:
        print("  %.3f recall %.3f precision %.3f  %6d words  %s" % (worst, recall, precision, count, name))


if __name__ == "__main__":
    main()
