#!/usr/bin/env python3
"""Scores sentence splitters on the Golden Rules table that the tests use
(tests/extract/golden-rules.tsv): Quillfen's smart sentences, ICU's
BreakIterator (en with its standard abbreviation suppressions) and npm's
sentence-splitter, sentencex and sbd. A case passes when the sentences,
each trimmed of blanks, empty ones left out, are exactly the expected ones.
Prints passes per rule group and in all, then each engine's misses.

Usage: quality.py SMART_CLI ICU_PROGRAM NODE_SCRIPT [WORK_DIR]
quality.sh builds the programs, installs the npm packages and calls this."""
import json
import shlex
import os
import subprocess
import sys
from collections import OrderedDict

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "..", "..", "tests", "extract", "golden-rules.tsv")


def unescaped(field):
    out, i = [], 0
    while i < len(field):
        c = field[i]
        if c == "\\" and i + 1 < len(field):
            i += 1
            c = {"t": "\t", "n": "\n", "r": "\r"}.get(field[i], field[i])
        out.append(c)
        i += 1
    return "".join(out)


def read_cases(path=CASES):
    cases = []
    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            cases.append({"number": int(fields[0]), "group": fields[1], "theme": fields[2],
                          "text": unescaped(fields[3]),
                          "sentences": [unescaped(s) for s in fields[4:]]})
    return cases


def tidy(sentences):
    return [s.strip(" \t\r\n") for s in sentences if s.strip(" \t\r\n")]


def per_file(program, cases, work):
    """Runs program (a command line, split as the shell would) on each case's
    text written to a file; one sentence a line."""
    results = []
    for case in cases:
        path = os.path.join(work, f"case-{case['number']:02d}.txt")
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(case["text"])
        out = subprocess.run(shlex.split(program) + [path], capture_output=True,
                             check=True).stdout
        results.append(out.decode("utf-8").split("\n"))
    return results


def main():
    smart, icu, node_script = sys.argv[1:4]
    work = sys.argv[4] if len(sys.argv) > 4 else os.path.join(HERE, "..", "work", "sentences")
    os.makedirs(work, exist_ok=True)
    cases = read_cases()
    outputs = OrderedDict()
    outputs["Quillfen smart"] = per_file(smart, cases, work)
    outputs["ICU (en@ss=standard)"] = per_file(icu, cases, work)
    texts = json.dumps([case["text"] for case in cases])
    node = subprocess.run(["node", node_script], input=texts.encode("utf-8"),
                          capture_output=True, check=True)
    for name, results in json.loads(node.stdout).items():
        outputs[f"{name} (npm)"] = results

    groups = OrderedDict()
    for case in cases:
        groups.setdefault(case["group"], []).append(case)
    passed = {name: set() for name in outputs}
    for name, results in outputs.items():
        for case, result in zip(cases, results):
            if tidy(result) == case["sentences"]:
                passed[name].add(case["number"])

    names = list(outputs)
    print(f"{len(cases)} cases (tests/extract/golden-rules.tsv), passes per group")
    print()
    print("| group | cases | " + " | ".join(names) + " |")
    print("|---|---:|" + "---:|" * len(names))
    for group, members in groups.items():
        counts = [sum(1 for c in members if c["number"] in passed[name]) for name in names]
        print(f"| {group} | {len(members)} | " + " | ".join(map(str, counts)) + " |")
    print(f"| **all** | **{len(cases)}** | "
          + " | ".join(f"**{len(passed[name])}**" for name in names) + " |")
    print()
    for name in names:
        missed = [c["number"] for c in cases if c["number"] not in passed[name]]
        print(f"- {name} misses: {', '.join(map(str, missed)) or 'none'}")


if __name__ == "__main__":
    main()
