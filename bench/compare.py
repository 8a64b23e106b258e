#!/usr/bin/env python3
"""Times whole commands, interleaved run by run, and prints one table of
medians of the wall-clock time and of the processor time (user and system,
children included), peak memory and each command's ratio to the floor of
its group. On a machine that others share, the processor time is the
steadier measure of work; only the wall-clock time shows what running
files in parallel gains.

Usage: compare.py RUNS [--floor=LABEL] LABEL=COMMAND ... [--floor=LABEL2] ...
                       [--versus=OURS,...:OTHER,...]
--floor starts a group: the commands after it are set against LABEL (the
first command of the group when LABEL is not given). --versus prints, after
the table, how many times the fastest of the OTHER commands takes as long
as each of OURS, by median wall and processor time.
Each COMMAND runs through /bin/sh with its output sent to the null device
(NULL_DEVICE in the environment when set, else /dev/null)."""
import os
import statistics
import subprocess
import sys
import time

NULL = os.environ.get("NULL_DEVICE", os.devnull)


def timed(command):
    with open(NULL, "wb") as sink:
        start = time.perf_counter()
        proc = subprocess.Popen(["/bin/sh", "-c", command], stdout=sink)
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
    if status != 0:
        print(f"  note: exit status {status >> 8} from {command}", file=sys.stderr)
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def parse(args):
    """(commands as [label, command, floor label], versus pairs)"""
    commands, versus = [], []
    floor, group = None, []
    for arg in args:
        if arg.startswith("--floor"):
            floor, group = arg.partition("=")[2] or None, []
        elif arg.startswith("--versus="):
            ours, _, others = arg.partition("=")[2].partition(":")
            versus.append((ours.split(","), others.split(",")))
        else:
            label, command = arg.split("=", 1)
            group.append(label)
            commands.append([label, command, floor or group[0]])
    labels = {label for label, _, _ in commands}
    for _, _, wanted in commands:
        if wanted not in labels:
            sys.exit(f"compare.py: no command labelled {wanted!r}")
    for ours, others in versus:
        for label in ours + others:
            if label not in labels:
                sys.exit(f"compare.py: no command labelled {label!r}")
    return commands, versus


def main():
    runs = int(sys.argv[1])
    commands, versus = parse(sys.argv[2:])
    times = {label: [] for label, _, _ in commands}
    cpus = {label: [] for label, _, _ in commands}
    peaks = {label: 0.0 for label, _, _ in commands}
    for _, command, _ in commands:  # warm-up, caches filled
        timed(command)
    for _ in range(runs):
        for label, command, _ in commands:
            elapsed, cpu, peak = timed(command)
            times[label].append(elapsed)
            cpus[label].append(cpu)
            peaks[label] = max(peaks[label], peak)
    wall = {label: statistics.median(values) for label, values in times.items()}
    cpu = {label: statistics.median(values) for label, values in cpus.items()}
    print(f"{runs} rounds, medians")
    print()
    print("| command | against | median s | x against | cpu s | cpu x against | peak MB |")
    print("|---|---|---:|---:|---:|---:|---:|")
    for label, _, floor in commands:
        print(f"| {label} | {floor} | {wall[label]:.3f} | {wall[label] / wall[floor]:.2f} "
              f"| {cpu[label]:.3f} | {cpu[label] / cpu[floor]:.2f} | {peaks[label]:.0f} |")
    for ours, others in versus:
        fastest_wall = min(others, key=lambda label: wall[label])
        fastest_cpu = min(others, key=lambda label: cpu[label])
        print()
        print(f"Fastest of the others: {fastest_wall} by wall time, {fastest_cpu} by processor time.")
        for label in ours:
            print(f"- {label}: {wall[fastest_wall] / wall[label]:.2f}x faster by wall time, "
                  f"{cpu[fastest_cpu] / cpu[label]:.2f}x by processor time")


if __name__ == "__main__":
    main()
