#!/usr/bin/env python3
"""Times the same benchmarks with two builds, interleaved round by round
(base, head, base, head ...), and prints one Markdown table: each side's
median wall and processor time and the ratios HEAD/BASE, flagging a wall
ratio above the limit. Commands without "{build}" (the floors) run once a
round; the last table sets HEAD's rows against them.

Usage: ratios.py ROUNDS LIMIT BASE_BUILD HEAD_BUILD LABEL=COMMAND ... [--floor=LABEL] ...
A COMMAND names the build folder "{build}"; "--floor=LABEL" sets the floor of the
rows after it. A command that fails on its warm-up (a base without the
option) is left out on that side. Each command runs through /bin/sh with
its output sent to the null device (NULL_DEVICE when set)."""
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


def main():
    rounds, limit = int(sys.argv[1]), float(sys.argv[2])
    builds = {"base": sys.argv[3], "head": sys.argv[4]}
    rows, floor = [], None  # (label, command, floor)
    for arg in sys.argv[5:]:
        if arg.startswith("--floor="):
            floor = arg.partition("=")[2]
        else:
            label, _, command = arg.partition("=")
            rows.append((label, command, floor))
    runs = []  # (label, side, command)
    for label, command, _ in rows:
        sides = ("base", "head") if "{build}" in command else ("floor",)
        for side in sides:
            runs.append((label, side, command.replace("{build}", builds.get(side, ""))))
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

    print(f"{rounds} rounds, medians; ratio = head / base; flagged above {limit:.2f}")
    print()
    print("| benchmark | base s | head s | wall ratio | cpu ratio | |")
    print("|---|---:|---:|---:|---:|---|")
    flagged = 0
    for label, command, _ in rows:
        if "{build}" not in command:
            continue
        base, head = med.get((label, "base")), med.get((label, "head"))
        if head is None:
            print(f"| {label} | | | fails on head | | FAILS |")
            flagged += 1
            continue
        if base is None:
            print(f"| {label} | n/a | {head:.4f} | | | new |")
            continue
        ratio = head / base
        cpu_ratio = medcpu[label, "head"] / medcpu[label, "base"]
        flag = "SLOWER" if ratio > limit else ""
        flagged += bool(flag)
        print(f"| {label} | {base:.4f} | {head:.4f} | {ratio:.2f} | {cpu_ratio:.2f} | {flag} |")
    floored = [(label, f) for label, command, f in rows if f and "{build}" in command]
    if floored:
        print()
        print("| head's benchmark | against | x against (wall) | base x against |")
        print("|---|---|---:|---:|")
        for label, f in floored:
            against = med.get((f, "floor")) or med.get((f, "head"))
            if against is None or (label, "head") not in med:
                continue
            base_against = med.get((f, "floor")) or med.get((f, "base"))
            base_x = (f"{med[label, 'base'] / base_against:.2f}"
                      if (label, "base") in med and base_against else "")
            print(f"| {label} | {f} | {med[label, 'head'] / against:.2f} | {base_x} |")
    print()
    print(f"{flagged} flagged" if flagged else "nothing flagged")


if __name__ == "__main__":
    main()
