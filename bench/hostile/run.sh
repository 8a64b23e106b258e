#!/usr/bin/env bash
# Peak memory and time of quillfen-cli on the hostile documents that
# make_hostile_documents.py writes (a PDF claiming room for 33 million
# objects in six places, a .docx with 319 MB of XML, one with 256 MB of
# paragraphs without text). Usage: bench/hostile/run.sh [CLI] [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
cli="${1:-build/bin/quillfen-cli}"
folder="${2:-/tmp/quillfen-hostile}"
[ -d "$folder" ] || python3 bench/hostile/make_hostile_documents.py "$folder" >/dev/null
printf '| document | bytes | peak RSS (MB) | wall (s) | exit | report |\n| --- | --- | --- | --- | --- | --- |\n'
for file in "$folder"/*.pdf "$folder"/*.docx; do
    log=$(mktemp)
    status=0
    /usr/bin/time -f '%M %e' -o "$log.time" "$cli" "$file" >/dev/null 2>"$log" || status=$?
    read -r kib seconds < <(tail -n 1 "$log.time")
    report=$(grep -v '^Command exited' "$log" | head -n 1 | cut -c 1-120 || true)
    printf '| %s | %s | %s | %s | %s | %s |\n' "$(basename "$file")" "$(stat -c %s "$file")" \
        "$((kib / 1024))" "$seconds" "$status" "$report"
    rm -f "$log" "$log.time"
done
