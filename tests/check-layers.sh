#!/usr/bin/env bash
# Checks every #include under src/ against the layer table of
# docs/ARCHITECTURE.md: a file may include its own folder, the folders of
# its own table row and the folders its row's "may include" column names,
# with what those may include in turn. "all of the above" and "everything"
# stand for every row above; "`X` and below" for X and the folders inside it.
# Prints each include that breaks the table and fails when there is one.
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
table="$root/docs/ARCHITECTURE.md"

declare -A rowOf allowed
rows=()
row=0
while IFS= read -r line; do
    [[ $line == '| `'* ]] || continue
    IFS='|' read -r _ names _ may _ <<<"$line"
    row=$((row + 1))
    folders=()
    for name in $(grep -o '`[^`]*`' <<<"$names" | tr -d '`'); do
        folder="${name%/}"
        folders+=("$folder")
        rowOf[$folder]=$row
    done
    reach=" ${folders[*]} "
    if [[ $may == *"all of the above"* || $may == *everything* ]]; then
        reach+="${rows[*]} "
    fi
    for name in $(grep -o '`[^`]*`' <<<"$may" | tr -d '`'); do
        name="${name%/}"
        reach+="$name "
        below=0
        [[ $may == *"\`$name\` and below"* ]] && below=1
        # Every folder of the named folder's row (and inside it, for "and
        # below"), with what they reach.
        for folder in "${!rowOf[@]}"; do
            if [[ ${rowOf[$folder]} == "${rowOf[$name]:-x}" ]] \
                || { [ $below = 1 ] && [[ $folder == "$name"/* ]]; }; then
                reach+="$folder ${allowed[$folder]} "
            fi
        done
    done
    for folder in "${folders[@]}"; do
        allowed[$folder]="$reach"
        rows+=("$folder")
    done
done <"$table"

if [ ${#rows[@]} -lt 5 ]; then
    echo "check-layers: no layer table found in $table" >&2
    exit 2
fi

# The table folder that holds a folder: the longest one, kept in folderOfDir.
declare -A folderOfDir
findFolder() {
    local dir="$1" best=""
    if [ -z "${folderOfDir[$dir]+known}" ]; then
        for folder in "${rows[@]}"; do
            if [[ $dir == "$folder" || $dir == "$folder"/* ]] && [ ${#folder} -gt ${#best} ]; then
                best="$folder"
            fi
        done
        folderOfDir[$dir]="$best"
    fi
    found="${folderOfDir[$dir]}"
}

broken=0
checked=0
while IFS= read -r file; do
    relative="${file#"$root/src/"}"
    findFolder "${relative%/*}"
    owner="$found"
    if [ -z "$owner" ]; then
        echo "check-layers: $relative is in no folder of the table" >&2
        broken=1
        continue
    fi
    while IFS= read -r included; do
        [[ $included == */* ]] || continue
        findFolder "${included%/*}"
        target="$found"
        [ -n "$target" ] || continue
        checked=$((checked + 1))
        if [[ " ${allowed[$owner]} " != *" $target "* ]]; then
            echo "check-layers: $relative ($owner) includes $included ($target)" >&2
            broken=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$root/src" -name '*.h' -o -name '*.cpp')

echo "check-layers: $checked includes across folders checked against ${#rows[@]} folders"
exit "$broken"
