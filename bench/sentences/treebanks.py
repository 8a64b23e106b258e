#!/usr/bin/env python3
"""Scores sentence splitters on Universal Dependencies treebanks: boundary
precision, recall and F1 inside paragraphs.

Each document's text is rebuilt from the "# newdoc", "# newpar" and
"# text" lines: a paragraph is its sentences joined by one space (a file
without "# newpar" has one paragraph a document, a file without "# newdoc"
one document a sent_id prefix). A gold boundary is the start of every
sentence but a paragraph's first. A splitter's boundaries are the starts of
the sentences it gives, less those at a paragraph's start; the paragraphs
go to it one text a file, separated by blank lines, or one text each.

Usage: treebanks.py UD_DIR WORK_DIR [--final] [--only NAME,..]
    [--errors SYSTEM:N] SYSTEM...
with SYSTEM one of
    quillfen:LABEL=COMMAND   a command that takes a file and prints a row a line
    icu=PROGRAM              bench/icu_sentences.cpp, with the treebank's locale
    node=SCRIPT              node/split.mjs: the npm splitters
    punkt=PYTHON             a Python with NLTK: Punkt trained on the text itself

UD_DIR holds the treebanks' repositories, either as work trees
(UD_DIR/UD_English-PUD/*.conllu) or as bare git directories
(UD_DIR/UniversalDependencies+UD_English-PUD/repo). Treebanks kept for
the final check are read only with --final."""
import json
import os
import re
import shlex
import subprocess
import sys
from collections import OrderedDict

# name, language, what kind of text
TUNING = [
    ("UD_English-LinES", "en", "fiction, manuals"),
    ("UD_English-ParTUT", "en", "legal, web, talks"),
    ("UD_English-PUD", "en", "news, wiki"),
    ("UD_German-PUD", "de", "news, wiki"),
    ("UD_German-LIT", "de", "literary essays"),
    ("UD_German-HDT", "de", "tech news"),
    ("UD_French-Sequoia", "fr", "news, medical, wiki, europarl"),
    ("UD_French-ParTUT", "fr", "legal, web, talks"),
    ("UD_French-PUD", "fr", "news, wiki"),
    ("UD_Spanish-AnCora", "es", "news"),
    ("UD_Spanish-PUD", "es", "news, wiki"),
]
# Never tuned on: read with --final only.
FINAL = [
    ("UD_English-EWT", "en", "web text"),
    ("UD_English-GUM", "en", "mixed genres"),
    ("UD_German-GSD", "de", "news, reviews, wiki"),
    ("UD_French-GSD", "fr", "news, reviews, wiki"),
    ("UD_Spanish-GSD", "es", "news, reviews, wiki"),
]


def conllu_files(ud_dir, name):
    """(file name, text) of the treebank's top-level .conllu files; files
    the repository snapshot lacks are left out."""
    tree = os.path.join(ud_dir, name)
    if os.path.isdir(tree):
        for entry in sorted(os.listdir(tree)):
            if entry.endswith(".conllu"):
                with open(os.path.join(tree, entry), encoding="utf-8") as f:
                    yield entry, f.read()
        return
    git_dir = os.path.join(ud_dir, "UniversalDependencies+" + name, "repo")
    if not os.path.isdir(git_dir):
        return
    listing = subprocess.run(["git", "--git-dir", git_dir, "ls-tree", "--name-only", "HEAD"],
                             capture_output=True, text=True, check=True).stdout.split()
    for entry in listing:
        if not entry.endswith(".conllu"):
            continue
        blob = subprocess.run(["git", "--git-dir", git_dir, "cat-file", "-p", "HEAD:" + entry],
                              capture_output=True)
        if blob.returncode == 0:
            yield entry, blob.stdout.decode("utf-8")


def paragraphs_of(conllu):
    """Lists of sentence texts, one a paragraph."""
    has_docs = "\n# newdoc" in "\n" + conllu
    has_pars = "\n# newpar" in "\n" + conllu
    paragraphs, current, doc_key = [], [], None

    def close():
        nonlocal current
        if current:
            paragraphs.append(current)
        current = []

    for line in conllu.split("\n"):
        if line.startswith("# newdoc"):
            close()
        elif line.startswith("# newpar") and has_pars:
            close()
        elif line.startswith("# sent_id") and not has_docs:
            key = re.sub(r"[-_.]?[0-9]+$", "", line.split("=", 1)[-1].strip())
            if key != doc_key:
                close()
                doc_key = key
        elif line.startswith("# text ="):
            text = line.split("=", 1)[1].strip()
            if text:
                current.append(text)
    close()
    return paragraphs


class Treebank:
    def __init__(self, name, language, kind, paragraphs):
        self.name, self.language, self.kind = name, language, kind
        self.texts = [" ".join(p) for p in paragraphs]
        # offsets in the file of all paragraphs joined by "\n\n"
        self.starts, self.gold, at = [], set(), 0
        for sentences, text in zip(paragraphs, self.texts):
            self.starts.append(at)
            offset = at
            for k, sentence in enumerate(sentences):
                if k > 0:
                    self.gold.add(offset)
                offset += len(sentence) + 1
            at += len(text) + 2
        self.whole = "\n\n".join(self.texts)
        self.paragraph_starts = set(self.starts)


def starts_in(text, pieces, base=0):
    """Where each piece, trimmed, starts in text, read in order."""
    out, at = [], 0
    for piece in pieces:
        piece = piece.strip()
        if not piece:
            continue
        while at < len(text) and text[at].isspace():
            at += 1
        if text.startswith(piece, at):
            found = at
        else:
            found = text.find(piece, at)
            if found < 0:
                continue  # changed text: its start cannot be told
        out.append(base + found)
        at = found + len(piece)
    return out


def boundaries(bank, starts):
    return {s for s in starts if s not in bank.paragraph_starts}


def run_quillfen(command, bank, work):
    path = os.path.join(work, bank.name + ".txt")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(bank.whole)
    rows = subprocess.run(shlex.split(command) + [path], capture_output=True,
                          check=True).stdout.decode("utf-8").split("\n")
    return boundaries(bank, starts_in(bank.whole, rows))


def run_icu(program, bank, work):
    path = os.path.join(work, bank.name + ".txt")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(bank.whole)
    env = dict(os.environ, ICU_LOCALE=bank.language + "@ss=standard")
    lines = subprocess.run([program, path], capture_output=True, check=True,
                           env=env).stdout.decode("utf-8").split("\n")
    return boundaries(bank, starts_in(bank.whole, lines))


def per_paragraph(bank, results):
    found = set()
    for start, text, pieces in zip(bank.starts, bank.texts, results):
        found |= boundaries(bank, starts_in(text, pieces, start))
    return found


def run_node(script, bank):
    out = subprocess.run(["node", script, bank.language], capture_output=True, check=True,
                         input=json.dumps(bank.texts).encode("utf-8")).stdout
    return {name: per_paragraph(bank, results) for name, results in json.loads(out).items()}


PUNKT = r"""
import json, sys
from nltk.tokenize.punkt import PunktSentenceTokenizer, PunktTrainer
texts = json.load(sys.stdin)
trainer = PunktTrainer()
trainer.INCLUDE_ALL_COLLOCS = True
trainer.train("\n\n".join(texts), finalize=True)
tokenizer = PunktSentenceTokenizer(trainer.get_params())
json.dump([tokenizer.tokenize(t) for t in texts], sys.stdout)
"""


def run_punkt(python, bank):
    out = subprocess.run([python, "-c", PUNKT], capture_output=True, check=True,
                         input=json.dumps(bank.texts).encode("utf-8")).stdout
    return per_paragraph(bank, json.loads(out))


def peer_results(kind, value, bank, work):
    """The peers' boundaries, kept in WORK_DIR: they do not change between
    runs (delete the files to run the peers again)."""
    cache = os.path.join(work, f"peers-{kind}-{bank.name}.json")
    if os.path.exists(cache):
        with open(cache) as f:
            return {name: set(found) for name, found in json.load(f).items()}
    if kind == "icu":
        results = {"ICU": run_icu(value, bank, work)}
    elif kind == "node":
        results = run_node(value, bank)
    elif kind == "punkt":
        results = {"Punkt (trained on the text)": run_punkt(value, bank)}
    else:
        raise SystemExit(f"unknown system {kind}")
    with open(cache, "w") as f:
        json.dump({name: sorted(found) for name, found in results.items()}, f)
    return results


def scores(gold, found):
    hits = len(gold & found)
    precision = hits / len(found) if found else 0.0
    recall = hits / len(gold) if gold else 0.0
    f1 = 2 * precision * recall / (precision + recall) if hits else 0.0
    return hits, len(found), len(gold), precision, recall, f1


def show_errors(bank, found, count):
    """The first misses and false cuts, each with the text around it."""
    def context(at):
        return (bank.whole[max(0, at - 50):at] + " ‖ " + bank.whole[at:at + 40]).replace("\n", "¶")
    missed = sorted(bank.gold - found)[:count]
    extra = sorted(found - bank.gold)[:count]
    print(f"\n### {bank.name}: {len(bank.gold - found)} missed, {len(found - bank.gold)} false")
    for at in missed:
        print("  miss  ", context(at))
    for at in extra:
        print("  false ", context(at))


def main():
    args = sys.argv[1:]
    ud_dir, work = args[0], args[1]
    final = "--final" in args
    only, errors, systems = None, {}, []
    rest = [a for a in args[2:] if a != "--final"]
    i = 0
    while i < len(rest):
        if rest[i] == "--only":
            only = set(rest[i + 1].split(","))
            i += 2
        elif rest[i] == "--errors":
            name, count = rest[i + 1].rsplit(":", 1)
            errors[name] = int(count)
            i += 2
        else:
            systems.append(rest[i])
            i += 1
    os.makedirs(work, exist_ok=True)
    banks = []
    for name, language, kind in (FINAL if final else TUNING):
        if only and name not in only:
            continue
        paragraphs = []
        for _, text in conllu_files(ud_dir, name):
            paragraphs += paragraphs_of(text)
        if not paragraphs:
            print(f"- {name}: not found in {ud_dir} (or its files are not in the snapshot)")
            continue
        banks.append(Treebank(name, language, kind, paragraphs))

    table = OrderedDict()  # system -> bank -> scores
    for bank in banks:
        found = OrderedDict()
        for system in systems:
            kind, _, value = system.partition("=")
            if kind.startswith("quillfen:"):
                found[kind.split(":", 1)[1]] = run_quillfen(value, bank, work)
            else:
                found.update(peer_results(kind, value, bank, work))
        for name, boundary_set in found.items():
            table.setdefault(name, OrderedDict())[bank.name] = scores(bank.gold, boundary_set)
            if name in errors:
                show_errors(bank, boundary_set, errors[name])

    names = list(table)
    print()
    print("Boundary F1 inside paragraphs (precision / recall under the table)")
    print()
    print("| treebank | sentences | " + " | ".join(names) + " |")
    print("|---|---:|" + "---:|" * len(names))
    pooled = {name: [0, 0, 0] for name in names}
    for bank in banks:
        cells = []
        best = max(table[name][bank.name][5] for name in names)
        for name in names:
            f1 = table[name][bank.name][5]
            cells.append(f"**{f1:.3f}**" if f1 == best else f"{f1:.3f}")
            for k in range(3):
                pooled[name][k] += table[name][bank.name][k]
        print(f"| {bank.name} ({bank.kind}) | {len(bank.gold) + len(bank.texts)} | "
              + " | ".join(cells) + " |")
    cells = [scores_from(pooled[name])[2] for name in names]
    print("| **pooled** | | " + " | ".join(f"**{f:.3f}**" for f in cells) + " |")
    print()
    print("| treebank | " + " | ".join(f"{name} P / R" for name in names) + " |")
    print("|---|" + "---:|" * len(names))
    for bank in banks:
        print(f"| {bank.name} | " + " | ".join(
            f"{table[name][bank.name][3]:.3f} / {table[name][bank.name][4]:.3f}"
            for name in names) + " |")
    print("| **pooled** | " + " | ".join(
        "{:.3f} / {:.3f}".format(*scores_from(pooled[name])[:2]) for name in names) + " |")


def scores_from(counts):
    hits, found, gold = counts
    precision = hits / found if found else 0.0
    recall = hits / gold if gold else 0.0
    f1 = 2 * precision * recall / (precision + recall) if hits else 0.0
    return precision, recall, f1


if __name__ == "__main__":
    main()
