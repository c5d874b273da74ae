#!/bin/bash
# Fails when a file under src/ or host/ includes a header from a folder that
# ranks above its own. The order is the layer table under "Layout" in
# README.md, lowest layer first: a folder may include its own headers and
# those of the folders listed before it. A subfolder is a folder of its own.
# Tests and benchmarks may include anything, so they are not looked at.
set -euo pipefail
cd "$(dirname "$0")/.."

readme=README.md

# Includes that break the order today and are allowed until they are gone.
# "folder -> folder" of the including file and of the header.
declare -A known=()

# The layer table: the rows after the marker line, first cell a folder.
declare -A rank=()
declare -a order=()
reading=0
while IFS= read -r line; do
    if [[ $line == *'<!-- layers:'* ]]; then
        reading=1
        continue
    fi
    ((reading)) || continue
    if [[ $line != '|'* ]]; then
        ((${#order[@]} == 0)) && continue
        break
    fi
    cell=${line#|}
    cell=${cell%%|*}
    cell=${cell//\`/}
    cell=${cell// /}
    cell=${cell%/}
    [[ $cell == src/* || $cell == host/* ]] || continue # heading and rule rows
    rank[$cell]=${#order[@]}
    order+=("$cell")
done <"$readme"

if ((${#order[@]} == 0)); then
    echo "check-layers: no layer table found in $readme (a table after '<!-- layers:')" >&2
    exit 2
fi

# Collapses "." and ".." in a relative path; the result is left in $resolved.
resolve() {
    local part
    local -a parts=()
    local IFS=/
    for part in $1; do
        case $part in
            '' | .) ;;
            ..) ((${#parts[@]})) && unset 'parts[${#parts[@]}-1]' ;;
            *) parts+=("$part") ;;
        esac
    done
    resolved="${parts[*]}"
}

failures=0
declare -A seen=()

# Every folder with sources has its place in the table.
while IFS= read -r folder; do
    if [[ -z ${rank[$folder]+x} ]]; then
        echo "$folder/ holds sources but is not in the layer table of $readme;" \
            "add it where it belongs."
        failures=$((failures + 1))
    fi
done < <(find src host -name '*.h' -o -name '*.cpp' | sed 's|/[^/]*$||' | sort -u)

while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    number=${rest%%:*}
    text=${rest#*:}
    dir=${file%/*}
    if [[ $text == *'"'* ]]; then
        header=${text#*\"}
        header=${header%%\"*}
        quoted=1
    else
        header=${text#*<}
        header=${header%%>*}
        quoted=0
    fi
    # Found as the compiler finds it: beside the file (quoted form only),
    # then from the include roots src/ and host/. Anything else (Qt, the
    # system, generated files) is outside the layers.
    if ((quoted)) && [[ -f $dir/$header ]]; then
        [[ $header == */* ]] || continue # a header of the file's own folder
        resolve "$dir/$header"
        target=$resolved
    elif [[ -f src/$header ]]; then
        target=src/$header
    elif [[ -f host/$header ]]; then
        target=host/$header
    else
        continue
    fi
    to=${target%/*}
    [[ $to == "$dir" ]] && continue
    # A folder missing from the table has been reported above.
    [[ -n ${rank[$dir]+x} && -n ${rank[$to]+x} ]] || continue
    ((rank[$to] <= rank[$dir])) && continue
    edge="$dir -> $to"
    if [[ -n ${known[$edge]+x} ]]; then
        seen[$edge]=1
        continue
    fi
    echo "$file:$number: includes \"$header\" from $to/, but $to/ (layer $((rank[$to] + 1)))" \
        "sits above $dir/ (layer $((rank[$dir] + 1))) in the layer table of $readme; a folder" \
        "may include only its own headers and those of the layers below it."
    failures=$((failures + 1))
done < <(grep -rHn --include='*.h' --include='*.cpp' \
    -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' src host)

for edge in "${!known[@]}"; do
    if [[ -z ${seen[$edge]+x} ]]; then
        echo "check-layers: the allowed exception \"$edge\" is no longer used;" \
            "remove it from $0." >&2
    fi
done

if ((failures)); then
    echo "check-layers: $failures finding(s) against the layer order" \
        "(lowest first: ${order[*]})." >&2
    exit 1
fi
echo "check-layers: every include follows the layer order (${#order[@]} layers)."
