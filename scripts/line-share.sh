#!/usr/bin/env bash
# How big the test suite is next to the product it tests, in two measures:
# non-blank lines and non-whitespace characters of each, folder by folder,
# and the suite's share of all of them in percent. Lines alone reward
# packing several statements onto one; characters do not, so both are shown.
# The stand-in library (standin/), the demo games (demo/) and the benchmarks
# (bench/) count on neither side: they are neither the product nor its
# pass/fail tests.
set -euo pipefail
cd "$(dirname "$0")/.."

PRODUCT_FOLDERS=(base app settings probe hotkeys pages tools resources)

# The product's source: code, resource scripts, templates, manifests and
# scripts; its art (.bmp, .ico, .png) is generated and not counted.
PRODUCT_FILES=(-name '*.cpp' -o -name '*.h' -o -name '*.rc' -o -name '*.in' -o -name '*.manifest' -o -name '*.sh')
# Everything in tests/ that is text.
TEST_FILES=(-name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' -o -name '*.cmake' -o -name CMakeLists.txt
            -o -name '*.txt' -o -name '*.log')

# "LINES CHARACTERS" of the files that find selects with the given depth
# options and name expression under one folder.
measure() {
    local folder=$1
    shift
    if [ ! -d "$folder" ]; then
        echo "0 0"
        return
    fi
    local text
    text=$(find "$folder" "$@" -print0 | sort -z | xargs -0 -r cat --)
    local lines
    lines=$(printf '%s\n' "$text" | grep -cv '^[[:space:]]*$' || true)
    local characters
    characters=$(printf '%s' "$text" | tr -d '[:space:]' | wc -c)
    echo "$lines $characters"
}

row() {
    printf '  %-20s %7d %11d\n' "$1" "$2" "$3"
}

product_lines=0
product_characters=0
printf '%-22s %7s %11s\n' "product" "lines" "characters"
for folder in "${PRODUCT_FOLDERS[@]}"; do
    read -r lines characters < <(measure "$folder" -type f \( "${PRODUCT_FILES[@]}" \))
    product_lines=$((product_lines + lines))
    product_characters=$((product_characters + characters))
    row "$folder/" "$lines" "$characters"
done
row "total" "$product_lines" "$product_characters"

test_lines=0
test_characters=0
printf '%-22s %7s %11s\n' "tests" "lines" "characters"
# Files straight in tests/ (its CMakeLists.txt), then each folder under it.
read -r lines characters < <(measure tests -maxdepth 1 -type f \( "${TEST_FILES[@]}" \))
test_lines=$((test_lines + lines))
test_characters=$((test_characters + characters))
row "tests/ (top level)" "$lines" "$characters"
for folder in $(find tests -mindepth 1 -maxdepth 1 -type d | sort); do
    read -r lines characters < <(measure "$folder" -type f \( "${TEST_FILES[@]}" \))
    test_lines=$((test_lines + lines))
    test_characters=$((test_characters + characters))
    row "$folder/" "$lines" "$characters"
done
row "total" "$test_lines" "$test_characters"

awk -v tl="$test_lines" -v pl="$product_lines" -v tc="$test_characters" -v pc="$product_characters" 'BEGIN {
    if (pl == 0 || pc == 0) { print "no product found"; exit 1 }
    printf "\nshare of the tests, lines:      %d / (%d + %d) = %.2f%%\n", tl, tl, pl, 100 * tl / (tl + pl)
    printf "share of the tests, characters: %d / (%d + %d) = %.2f%%\n", tc, tc, pc, 100 * tc / (tc + pc)
    printf "tests per product line: %.2f\n", tl / pl
}'
