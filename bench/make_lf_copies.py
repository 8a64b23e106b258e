#!/usr/bin/env python3
"""Writes a UTF-8 copy with LF line ends of every file in a folder, decoded
as quillfen-cli decodes it (byte-order mark, else UTF-8, else Windows-1252),
for the reference tools that only know LF text.

Usage: make_lf_copies.py SOURCE_DIR TARGET_DIR"""
import os
import sys


def decode(data):
    for mark, encoding in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"),
                           (b"\xfe\xff", "utf-16-be")):
        if data.startswith(mark):
            return data[len(mark):].decode(encoding, errors="replace")
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def main():
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        with open(os.path.join(source, name), "rb") as f:
            text = decode(f.read())
        with open(os.path.join(target, name), "wb") as f:
            f.write(text.replace("\r\n", "\n").encode("utf-8"))


if __name__ == "__main__":
    main()
