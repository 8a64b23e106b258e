#!/usr/bin/env bash
# OCR pages per minute: quillfen-cli --ocr against the tesseract command on
# the same pages, one job; then quillfen-cli -j 2 on two such files.
# The pages are those of a text PDF from a Debian documentation package,
# rendered at 300 dpi in grey (pdftoppm) and wrapped as image-only pages.
# The tesseract command runs with OMP_THREAD_LIMIT=1 (one core, as one job
# of a batch is run); quillfen-cli as a user runs it, with no such setting:
# it keeps Tesseract to one thread per engine itself.
# Each round times the three; medians of wall time, with processor time
# (user and system) beside it, which a machine shared with other work
# disturbs less: -j 2 can only gain where two cores are free.
#
# Usage: bench/ocr/run.sh BUILD_DIR [SOURCE.pdf] [PAGES] [ROUNDS]
set -euo pipefail
build=$(realpath "$1")
source=${2:-/usr/share/doc/shared-mime-info/shared-mime-info-spec.pdf}
pages=${3:-6}
rounds=${4:-3}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pdftoppm -gray -r 300 -f 1 -l "$pages" "$source" "$work/page"
python3 "$here/image_pdf.py" 300 "$work/scan-a.pdf" "$work"/page-*.pgm
cp "$work/scan-a.pdf" "$work/scan-b.pdf"

# timed LABEL COMMAND...: appends "LABEL wall cpu" to the log.
timed() {
    local label=$1
    shift
    /usr/bin/time -f "$label %e %U %S" -a -o "$work/times" "$@" > /dev/null 2>&1
}
for round in $(seq "$rounds"); do
    for page in "$work"/page-*.pgm; do
        OMP_THREAD_LIMIT=1 timed "tess$round" tesseract "$page" - -l eng
    done
    timed one "$build/bin/quillfen-cli" --ocr -j 1 "$work/scan-a.pdf"
    timed two "$build/bin/quillfen-cli" --ocr -j 2 "$work/scan-a.pdf" "$work/scan-b.pdf"
done

python3 - "$work/times" "$pages" "$(basename "$source")" <<'PY'
import collections, statistics, sys
log, pages, source = sys.argv[1], int(sys.argv[2]), sys.argv[3]
wall, cpu = collections.defaultdict(list), collections.defaultdict(list)
tess = collections.defaultdict(lambda: [0.0, 0.0])
for line in open(log):
    label, w, u, s = line.split()
    if label.startswith("tess"):  # one page a run: a round's sum
        tess[label][0] += float(w)
        tess[label][1] += float(u) + float(s)
    else:
        wall[label].append(float(w))
        cpu[label].append(float(u) + float(s))
for w, c in tess.values():
    wall["tess"].append(w)
    cpu["tess"].append(c)
done = {"tess": pages, "one": pages, "two": 2 * pages}
print(f"pages: {pages} (300 dpi, {source}); {len(wall['one'])} rounds, medians (spread)")
print("| command | pages/min, wall | pages/min, processor time |")
print("|---|---:|---:|")
names = {"tess": "tesseract command, one page a run", "one": "quillfen-cli --ocr -j 1",
         "two": "quillfen-cli --ocr -j 2, two files"}
for key in ("tess", "one", "two"):
    rates = [done[key] * 60 / t for t in wall[key]]
    cpu_rates = [done[key] * 60 / t for t in cpu[key]]
    print(f"| {names[key]} | {statistics.median(rates):.1f} ({min(rates):.1f} to {max(rates):.1f})"
          f" | {statistics.median(cpu_rates):.1f} |")
one, two = statistics.median(wall["one"]), statistics.median(wall["two"])
print(f"-j 2 against -j 1 (wall): {2 * one / two:.2f}x; processor time per page, -j 2 against"
      f" -j 1: {statistics.median(cpu['two']) / (2 * statistics.median(cpu['one'])):.2f}")
PY
