#!/usr/bin/env python3
"""Median time per file of quillfen-cli --text against pdftotext over a
folder of PDFs (bench/documents/gather_pdfs.sh gathers one): each file is
read by both, alternately, ROUNDS times; a file's time is its median, wall
and processor time (user and system). Prints the median over the files of
each, their ratio, the median of the per-file ratios and the files whose
ratio is highest. More builds may be given, each timed as quillfen-cli.

Usage: pdf_times.py FOLDER ROUNDS NAME=QUILLFEN-CLI [NAME=QUILLFEN-CLI ...]"""
import os
import statistics
import subprocess
import sys
import time


def timed(command):
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        proc = subprocess.Popen(command, stdout=sink, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
    return elapsed, usage.ru_utime + usage.ru_stime


def main():
    folder, rounds = sys.argv[1], int(sys.argv[2])
    programs = [arg.split("=", 1) for arg in sys.argv[3:]]
    files = sorted(os.path.join(folder, name) for name in os.listdir(folder)
                   if name.lower().endswith(".pdf"))
    commands = {"pdftotext": lambda f: ["pdftotext", "-q", f, "-"]}
    for name, cli in programs:
        commands[name] = lambda f, cli=cli: [cli, "--text", f]
    walls = {name: {f: [] for f in files} for name in commands}
    cpus = {name: {f: [] for f in files} for name in commands}
    for _ in range(rounds):
        for f in files:
            for name, command in commands.items():
                wall, cpu = timed(command(f))
                walls[name][f].append(wall)
                cpus[name][f].append(cpu)
    median = statistics.median
    print(f"{len(files)} PDFs, {rounds} rounds; a file's time is its median")
    print("| program | median s per file, wall | processor s | wall / pdftotext "
          "| median of per-file ratios | files above 1.25x |")
    print("|---|---:|---:|---:|---:|---:|")
    peer = {f: median(walls["pdftotext"][f]) for f in files}
    peer_median = median(peer.values())
    for name in commands:
        per_file = {f: median(walls[name][f]) for f in files}
        ratios = {f: per_file[f] / peer[f] for f in files}
        above = sum(1 for r in ratios.values() if r > 1.25)
        cpu = median(median(cpus[name][f]) for f in files)
        print(f"| {name} | {median(per_file.values()):.4f} | {cpu:.4f} "
              f"| {median(per_file.values()) / peer_median:.2f} | {median(ratios.values()):.2f} "
              f"| {above} |")
    for name, _ in programs:
        per_file = {f: median(walls[name][f]) / peer[f] for f in files}
        worst = sorted(per_file, key=per_file.get, reverse=True)[:5]
        print(f"{name}, highest ratios: " + ", ".join(
            f"{os.path.basename(f)} {per_file[f]:.2f}x" for f in worst))


if __name__ == "__main__":
    main()
