#!/usr/bin/env bash
# The product's folders stand in layers, and a folder includes only folders
# in the layers below its own. This reads the #include "folder/..." lines of
# the product's sources, prints the arrows between folders, and fails naming
# every arrow that points sideways or up, every two folders that include each
# other, and every folder the layers do not place.
set -euo pipefail
cd "$(dirname "$0")/.."

# Top first; folders on one line stand side by side and include neither.
LAYERS=(
    "app tools"
    "pages"
    "hotkeys"
    "settings"
    "probe"
    "base"
    "resources"
)

order=$(echo "${LAYERS[@]}")
rank=""
for i in "${!LAYERS[@]}"; do
    for folder in ${LAYERS[i]}; do rank+="$folder=$(( ${#LAYERS[@]} - i )) "; done
done

# "folder<TAB>included folder" for every include that names a folder.
for folder in $order; do
    [ -d "$folder" ] || continue
    find "$folder" -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.rc' \) -print0 |
        xargs -0 -r grep -H -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' |
        sed -E 's/^([^/]*)\/[^:]*:.*"([^"/]+)\/$/\1\t\2/'
done | sort -u | awk -F '\t' -v order="$order" -v rank="$rank" '
    BEGIN {
        n = split(rank, pairs, " ")
        for (i = 1; i <= n; i++) { split(pairs[i], p, "="); level[p[1]] = p[2] }
        folders = split(order, name, " ")
    }
    {
        if ($2 != $1) { seen[$1, $2] = 1; arrows[$1] = arrows[$1] " " $2 }
    }
    END {
        for (f = 1; f <= folders; f++) {
            from = name[f]
            if (!(from in arrows)) { print from; continue }
            print from " ->" arrows[from]
            m = split(arrows[from], to, " ")
            for (i = 1; i <= m; i++) {
                if (!(to[i] in level))
                    problems = problems "\nnot in the layers: " to[i] " (included by " from "/)"
                else if (level[to[i]] >= level[from])
                    problems = problems "\npoints " (level[to[i]] == level[from] ? "sideways" : "up") ": " from " -> " to[i]
                if ((to[i], from) in seen && level[from] > level[to[i]])
                    problems = problems "\ninclude each other: " from " <-> " to[i]
            }
        }
        if (problems != "") { print problems; exit 1 }
        print "\nevery arrow points down"
    }'
