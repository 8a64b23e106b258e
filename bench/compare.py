#!/usr/bin/env python3
"""Times whole commands, interleaved run by run, and prints medians of the
wall-clock time and of the processor time (user and system), peak memory
and each command's ratio to a reference. On a machine that others share,
the processor time is the steadier measure of work; only the wall-clock
time shows what running files in parallel gains.

Usage: compare.py RUNS REFERENCE_LABEL LABEL=COMMAND ...
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


def main():
    runs = int(sys.argv[1])
    reference = sys.argv[2]
    commands = [arg.split("=", 1) for arg in sys.argv[3:]]
    times = {label: [] for label, _ in commands}
    cpus = {label: [] for label, _ in commands}
    peaks = {label: 0.0 for label, _ in commands}
    for label, command in commands:  # warm-up, caches filled
        timed(command)
    for _ in range(runs):
        for label, command in commands:
            elapsed, cpu, peak = timed(command)
            times[label].append(elapsed)
            cpus[label].append(cpu)
            peaks[label] = max(peaks[label], peak)
    ref = statistics.median(times[reference])
    ref_cpu = statistics.median(cpus[reference])
    print(f"| command | median s | x {reference} | cpu s | cpu x {reference} | peak MB |")
    print("|---|---:|---:|---:|---:|---:|")
    for label, _ in commands:
        med = statistics.median(times[label])
        cpu = statistics.median(cpus[label])
        print(f"| {label} | {med:.3f} | {med / ref:.2f} | {cpu:.3f} | {cpu / ref_cpu:.2f} "
              f"| {peaks[label]:.0f} |")


if __name__ == "__main__":
    main()
