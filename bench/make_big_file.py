#!/usr/bin/env python3
"""Writes one large UTF-8 text file (no mark, LF and CR LF line ends) by
repeating the UTF-8 files of the corpus, each of which ends with an empty
line, so that its paragraphs are those of the copies one after another.

Usage: make_big_file.py CORPUS_DIR TARGET_FILE SIZE_MB"""
import os
import sys


def main():
    corpus, target, size_mb = sys.argv[1], sys.argv[2], float(sys.argv[3])
    wanted = int(size_mb * 1024 * 1024)
    parts = []
    for name in sorted(os.listdir(corpus)):
        with open(os.path.join(corpus, name), "rb") as f:
            data = f.read()
        if data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")):
            continue
        try:
            data.decode("utf-8")
        except UnicodeDecodeError:
            continue
        parts.append(name)
    written = 0
    listed = []
    with open(target, "wb") as out:
        while written < wanted:
            for name in parts:
                with open(os.path.join(corpus, name), "rb") as f:
                    data = f.read()
                out.write(data)
                listed.append(name)
                written += len(data)
                if written >= wanted:
                    break
    with open(target + ".parts", "w") as f:
        f.write("\n".join(listed) + "\n")


if __name__ == "__main__":
    main()
