#!/usr/bin/env python3
"""Builds a folder tree for the folder-walk benchmark.

Usage: gen_tree.py DIR [FOLDERS] [FILES_PER_FOLDER]
FOLDERS (default 10000) folders below DIR in two levels: 100 at the top,
the rest spread below them; each holds FILES_PER_FOLDER (default 10) small
files with a mix of extensions."""
import os
import sys


def main():
    root = sys.argv[1]
    folders = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    per_folder = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    top = min(100, folders)
    below = folders - top
    extensions = ["txt", "TXT", "html", "md", "doc", ""]
    os.makedirs(root, exist_ok=True)
    paths = []
    for t in range(top):
        paths.append(os.path.join(root, f"top{t:03d}"))
    for b in range(below):
        paths.append(os.path.join(paths[b % top], f"folder {b:05d}"))
    count = 0
    for index, path in enumerate(paths):
        os.makedirs(path, exist_ok=True)
        for f in range(per_folder):
            ext = extensions[(index + f) % len(extensions)]
            name = f"file{f:02d}" + (f".{ext}" if ext else "")
            with open(os.path.join(path, name), "w") as out:
                out.write("x\n")
            count += 1
    print(f"{len(paths)} folders, {count} files in {root}")


if __name__ == "__main__":
    main()
