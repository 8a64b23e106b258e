#!/usr/bin/env python3
"""Writes COUNT .docx, .odt, .epub and .pdf files from the text corpus's
LF copies into FOLDER/{docx,odt,epub,pdf}, through the writers of
scripts/make-sample-documents.py (no office suite needed): each document
holds the paragraphs of the first KB kilobytes of one text file.

    make_documents.py TEXT_LF_FOLDER FOLDER [COUNT] [KB]   (12 files, 150 kB)
"""
import importlib.util
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location(
    "samples", os.path.join(here, "..", "..", "scripts", "make-sample-documents.py"))
samples = importlib.util.module_from_spec(spec)
spec.loader.exec_module(samples)


def paragraphs(path, kb):
    text = open(path, encoding="utf-8").read(kb * 1024)
    # The PDF writer's font is Windows-1252; the others take any text.
    text = text.encode("cp1252", "replace").decode("cp1252")
    return [p.replace("\n", " ").strip() for p in text.split("\n\n") if p.strip()]


def main():
    source, folder = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 12
    kb = int(sys.argv[4]) if len(sys.argv) > 4 else 150
    names = sorted(n for n in os.listdir(source) if n.endswith(".txt"))[:count]
    for kind in ("docx", "odt", "epub", "pdf"):
        os.makedirs(os.path.join(folder, kind), exist_ok=True)
    for name in names:
        parts = paragraphs(os.path.join(source, name), kb)
        stem = os.path.splitext(name)[0]
        files = {
            "docx": samples.docx([("p", p) for p in parts]),
            "odt": samples.odt([("p", p) for p in parts]),
            "epub": samples.epub(stem, [("Part %d" % (n // 50 + 1), parts[n:n + 50])
                                        for n in range(0, len(parts), 50)]),
            "pdf": samples.pdf(stem, parts),
        }
        for kind, data in files.items():
            with open(os.path.join(folder, kind, stem + "." + kind), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
