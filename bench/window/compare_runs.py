#!/usr/bin/env python3
"""The window's run against the command line on the same files, in rounds:
each round runs quillfen-cli, then window_run_bench in a window never shown
(all but the painting), then in the shown window, for each mode. The
window's time is its run alone, from "Start Extracting" to "Done." (the bench
prints it); the command line's is its whole process. Prints medians and the
median of the ratios of each pair, which a machine shared with others
disturbs least.

--pause S waits S seconds before each command (the window's bench waits
after opening the window, before pressing the button), as a user pauses
before a run: on a virtual machine that hands freed memory back to its host,
fresh memory is then slower to fill than just after another program freed it.

Usage: compare_runs.py RUNS CLI WINDOW_BENCH [--pause S] FILE...
"""
import os
import re
import statistics
import subprocess
import sys
import time

ABBREVIATIONS = ["etc.", "vs.", "i.e.", "et al.", "e.g.", "Mr.", "Jr.", "Mrs.", "Ms.", "Inc."]
RUN = re.compile(r"window run: ([0-9.]+) s \(processor ([0-9.]+) s")


PAUSE = 0.0


def cli_seconds(cli, mode, files):
    command = [cli, "--" + mode]
    if mode == "sentences":
        for entry in ABBREVIATIONS:
            command += ["--abbreviation", entry]
    time.sleep(PAUSE)
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        proc = subprocess.Popen(command + files, stdout=sink)
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"compare_runs.py: {cli} failed")
    return elapsed, usage.ru_utime + usage.ru_stime


def window_seconds(bench, mode, files, hidden=False):
    args = [bench] + (["--sentences"] if mode == "sentences" else [])
    args += (["--hidden"] if hidden else []) + (["--pause", str(PAUSE)] if PAUSE else []) + files
    err = subprocess.run(args, capture_output=True, text=True, check=True).stderr
    found = RUN.search(err)
    if not found:
        sys.exit(f"compare_runs.py: no run time in {err!r}")
    return float(found.group(1)), float(found.group(2))


def main():
    global PAUSE
    runs, cli, bench, files = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
    if files[:1] == ["--pause"]:
        PAUSE, files = float(files[1]), files[2:]
    print(f"{runs} rounds after one to warm up; window: the run alone, "
          f"command line: the whole process; {PAUSE:g} s pause before each\n")
    print("| mode | cli median s | window run median s | median of pair ratios "
          "| unshown window's ratio | cli cpu s | window run cpu s | unshown cpu s |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for mode in ("paragraphs", "sentences"):
        cli_seconds(cli, mode, files)
        window_seconds(bench, mode, files)
        rounds = []
        for _ in range(runs):
            rounds.append((cli_seconds(cli, mode, files),
                           window_seconds(bench, mode, files, hidden=True),
                           window_seconds(bench, mode, files)))
        median = statistics.median
        print(f"| {mode} | {median(c[0] for c, _, _ in rounds):.3f} "
              f"| {median(w[0] for _, _, w in rounds):.3f} "
              f"| {median(w[0] / c[0] for c, _, w in rounds):.2f} "
              f"| {median(h[0] / c[0] for c, h, _ in rounds):.2f} "
              f"| {median(c[1] for c, _, _ in rounds):.3f} "
              f"| {median(w[1] for _, _, w in rounds):.3f} "
              f"| {median(h[1] for _, h, _ in rounds):.3f} |")


if __name__ == "__main__":
    main()
