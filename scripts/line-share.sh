#!/usr/bin/env bash
# How big the test suite is next to the product it tests: non-blank lines of
# each, folder by folder, and the suite's share of all those lines in percent
# (the figure to hold between 25 and 35), with tests per product line beside.
# The stand-in library (standin/), the demo games (demo/) and the benchmarks
# (bench/) count on neither side: they are neither the product nor its
# pass/fail tests.
set -euo pipefail
cd "$(dirname "$0")/.."

PRODUCT_FOLDERS=(base app settings probe hotkeys pages tools resources)

# Non-blank lines of the files a find expression selects, under one folder.
count() {
    local folder=$1; shift
    [ -d "$folder" ] || { echo 0; return; }
    find "$folder" -type f \( "$@" \) -print0 | sort -z |
        xargs -0 -r cat -- | grep -cv '^[[:space:]]*$' || true
}
# The product's source: code, resource scripts, templates, manifests and
# scripts; its art (.bmp, .ico, .png) is generated and not counted.
product_lines() {
    count "$1" -name '*.cpp' -o -name '*.h' -o -name '*.rc' -o -name '*.in' -o -name '*.manifest' -o -name '*.sh'
}
# Everything in tests/ that is text.
test_lines() {
    count "$1" -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' -o -name '*.cmake' \
        -o -name CMakeLists.txt -o -name '*.txt' -o -name '*.log'
}

product=0
printf '%-22s %7s\n' "product" "lines"
for folder in "${PRODUCT_FOLDERS[@]}"; do
    n=$(product_lines "$folder")
    product=$((product + n))
    printf '  %-20s %7d\n' "$folder/" "$n"
done
printf '  %-20s %7d\n' "total" "$product"

tests=0
printf '%-22s %7s\n' "tests" "lines"
# Files straight in tests/ (its CMakeLists.txt), then each folder under it.
n=$(find tests -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \
        -o -name '*.cmake' -o -name CMakeLists.txt -o -name '*.txt' -o -name '*.log' \) -print0 | sort -z |
    xargs -0 -r cat -- | grep -cv '^[[:space:]]*$' || true)
tests=$((tests + n))
printf '  %-20s %7d\n' "tests/ (top level)" "$n"
for folder in $(find tests -mindepth 1 -maxdepth 1 -type d | sort); do
    n=$(test_lines "$folder")
    tests=$((tests + n))
    printf '  %-20s %7d\n' "$folder/" "$n"
done
printf '  %-20s %7d\n' "total" "$tests"

awk -v t="$tests" -v p="$product" 'BEGIN {
    if (p == 0) { print "no product lines found"; exit }
    printf "\nshare of the tests: %d / (%d + %d) = %.2f%%\n", t, t, p, 100 * t / (t + p)
    printf "tests per product line: %.2f\n", t / p
}'
