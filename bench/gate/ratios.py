#!/usr/bin/env python3
"""Times the same benchmarks with several builds, interleaved round by
round (base, head, base, head ...), and prints one Markdown table: each
build's median wall time and its ratios to the base's (wall and processor
time), flagging a wall ratio above the limit. Commands without "{build}"
(the floors) run once a round; the last table sets each build's rows
against their floor.

Usage: ratios.py ROUNDS LIMIT BASE_BUILD HEAD_BUILD [MORE_BUILDS...]
                 LABEL=COMMAND ... [--floor=LABEL] ...
A build is NAME:FOLDER or a folder (then named base, head, then by place).
A COMMAND names the build folder "{build}"; "--floor=LABEL" sets the floor
of the rows after it. A command that fails on its warm-up (a base without
the option) is left out for that build, and so is a row whose label ends in
"[needs PATH]" for a build whose sources (FOLDER/../src) lack PATH. Each command runs through /bin/sh
with its output sent to the null device (NULL_DEVICE when set)."""
import os
import statistics
import subprocess
import sys
import time

NULL = os.environ.get("NULL_DEVICE", os.devnull)


def timed(command):
    with open(NULL, "wb") as sink:
        start = time.perf_counter()
        proc = subprocess.Popen(["/bin/sh", "-c", command], stdout=sink,
                                stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
    return status == 0, elapsed, usage.ru_utime + usage.ru_stime


def parse(args):
    builds, rows, floor = [], [], None  # builds: (name, folder); rows: (label, command, floor)
    for arg in args:
        if arg.startswith("--floor="):
            floor = arg.partition("=")[2]
        elif "=" not in arg:
            if ":" in arg:
                name, folder = arg.split(":", 1)
            else:
                name = ("base", "head")[len(builds)] if len(builds) < 2 else f"build{len(builds) + 1}"
                folder = arg
            builds.append((name, folder))
        else:
            label, _, command = arg.partition("=")
            rows.append((label, command, floor))
    return builds, rows


def main():
    rounds, limit = int(sys.argv[1]), float(sys.argv[2])
    builds, rows = parse(sys.argv[3:])
    names = [name for name, _ in builds]
    runs = []  # (label, build name or "floor", command)
    for label, command, _ in rows:
        if "{build}" in command:
            needs = label.partition("[needs ")[2].rstrip("]").strip()
            for name, folder in builds:
                if needs and not os.path.exists(os.path.join(folder, "..", "src", needs)):
                    print(f"note: {name} has no {needs}; {label!r} left out", file=sys.stderr)
                    continue
                runs.append((label, name, command.replace("{build}", folder)))
        else:
            runs.append((label, "floor", command))
    walls = {(label, side): [] for label, side, _ in runs}
    cpus = {(label, side): [] for label, side, _ in runs}
    working = []
    for label, side, command in runs:  # warm-up; a failing command is left out
        ok, _, _ = timed(command)
        if ok:
            working.append((label, side, command))
        else:
            print(f"note: {side} fails {label!r}; left out", file=sys.stderr)
    for _ in range(rounds):
        for label, side, command in working:
            _, wall, cpu = timed(command)
            walls[label, side].append(wall)
            cpus[label, side].append(cpu)
    med = {key: statistics.median(v) for key, v in walls.items() if v}
    medcpu = {key: statistics.median(v) for key, v in cpus.items() if v}

    base = names[0]
    others = names[1:]
    print(f"{rounds} rounds, medians of wall time; ratio = build / {base} (wall, cpu);"
          f" flagged above {limit:.2f}")
    print()
    print("| benchmark | " + " | ".join(f"{n} s" for n in names) + " | "
          + " | ".join(f"{n} / {base}" for n in others) + " | |")
    print("|---|" + "---:|" * (len(names) + len(others)) + "---|")
    flagged = 0
    for label, command, _ in rows:
        if "{build}" not in command:
            continue
        times = [f"{med[label, n]:.4f}" if (label, n) in med else "n/a" for n in names]
        ratios, flags = [], []
        for n in others:
            if (label, n) not in med:
                ratios.append("fails")
                flags.append(f"{n} FAILS")
            elif (label, base) not in med:
                ratios.append("new")
            else:
                ratio = med[label, n] / med[label, base]
                cpu_ratio = medcpu[label, n] / medcpu[label, base]
                ratios.append(f"{ratio:.2f} ({cpu_ratio:.2f})")
                if ratio > limit:
                    flags.append(f"{n} SLOWER")
        flagged += len(flags)
        print(f"| {label} | " + " | ".join(times) + " | " + " | ".join(ratios) + " | "
              + ", ".join(flags) + " |")
    floored = [(label, f) for label, command, f in rows if f and "{build}" in command]
    if floored:
        print()
        print("| benchmark | against | " + " | ".join(f"{n} x" for n in names) + " |")
        print("|---|---|" + "---:|" * len(names))
        for label, f in floored:
            cells = []
            for n in names:
                against = med.get((f, "floor")) or med.get((f, n))
                cells.append(f"{med[label, n] / against:.2f}"
                             if against and (label, n) in med else "")
            print(f"| {label} | {f} | " + " | ".join(cells) + " |")
    print()
    print(f"{flagged} flagged" if flagged else "nothing flagged")


if __name__ == "__main__":
    main()
