#!/usr/bin/env bash
# The catalogue of planted faults: every rule of the companion with the
# smallest edit that breaks it (scripts/faults.txt). Each entry is planted
# alone in a copy of the tree, the copy is built, and the entry's own tests
# run: the entry is caught when one of them fails, missed when all pass, gone
# when its text is no longer in the file (the code moved: the entry needs
# mending), unbuilt when the planted copy does not compile. The tests run once
# and stop at the first failure: a whole catalogue has to go through in one
# sitting, and a test that fails without a fault only makes an entry look
# caught (a missed entry has had every one of its tests pass).
#
#   scripts/faults.sh [--jobs J] [--again] [SELECTION...]
#   scripts/faults.sh --list [SELECTION...]
#   scripts/faults.sh --summary
#
#   SELECTION    an id, an area, an ordinal, or a range (12-30, or two ids
#                with a "-" between them); several with blanks or commas.
#                Without one, the whole catalogue.
#   --again      run entries again that already have a result; without it a
#                run resumes: an entry whose result is there (for the same
#                text of the entry) is skipped
#   --list       print the selected entries and stop (no build, no Wine)
#   --summary    the table of the results so far, and stop
#   --jobs J     build jobs (default 2)
#
# Everything happens in build/faults (or $ZENTU_FAULTS_DIR): a copy of the
# working tree in src/, its build in build/, its own Wine prefix and display,
# every entry's result in results.tsv, its log in logs/. The working tree is
# never touched. ZENTU_FAULTS_MORE_RESULTS names the results.tsv of other
# runs (of a part of the catalogue beside this one) to sum up with this one's.
# Only the executables that hold an entry's tests are rebuilt
# for it, so an entry takes seconds to a minute or two.
# The braces make bash read the whole script before running any of it.
{
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
. scripts/copy-tree.sh

JOBS=2
AGAIN=0
LIST=0
SUMMARY=0
SELECTION=()
usage() {
    echo "usage: scripts/faults.sh [--jobs J] [--again] [--list | --summary] [SELECTION...]" >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case "$1" in
        --jobs) JOBS=$2; shift 2 ;;
        --again) AGAIN=1; shift ;;
        --list) LIST=1; shift ;;
        --summary) SUMMARY=1; shift ;;
        -*) usage ;;
        *) SELECTION+=("$1"); shift ;;
    esac
done

FAULTS_PY="$ZENTU_ROOT/scripts/faults.py"
CATALOGUE="$ZENTU_ROOT/scripts/faults.txt"
if [ "$LIST" = 1 ]; then
    python3 "$FAULTS_PY" show "$CATALOGUE" ${SELECTION[@]+"${SELECTION[@]}"}
    exit 0
fi

OUT=$(zentu_run_folder "${ZENTU_FAULTS_DIR:-$ZENTU_ROOT/build/faults}" ZENTU_FAULTS_DIR)
SRC="$OUT/src"
BUILD="$OUT/build"
LOGS="$OUT/logs"
RESULTS="$OUT/results.tsv"
mkdir -p "$SRC" "$LOGS"
touch "$RESULTS"
if [ "$SUMMARY" = 1 ]; then
    python3 "$FAULTS_PY" summary "$CATALOGUE" "$RESULTS" ${ZENTU_FAULTS_MORE_RESULTS:-}
    exit 0
fi
exec 9>"$OUT/lock"
flock -n 9 || zentu_fail "another run is using $OUT: give this one a ZENTU_FAULTS_DIR of its own"

zentu_install_packages
zentu_say "copying the tree into $SRC"
zentu_copy_tree "$SRC" "$OUT/fresh"
# The entries as the copy has them.
python3 "$FAULTS_PY" list "$SRC/scripts/faults.txt" ${SELECTION[@]+"${SELECTION[@]}"} >"$OUT/selected.tsv"

# The files an entry changed are put back from here, also after a Ctrl-C.
PLANTED=()
restore() {
    local file
    for file in ${PLANTED[@]+"${PLANTED[@]}"}; do
        cp "$OUT/original/$file" "$SRC/$file"
    done
    PLANTED=()
}
zentu_trap_run_end

zentu_say "building the copy in $BUILD"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$SRC/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$BUILD" -j "$JOBS" -- --no-print-directory >"$LOGS/build.log" 2>&1 ||
    zentu_fail "the copy does not build without a fault (see $LOGS/build.log)"

zentu_own_display || zentu_fail "no display of this run's own"
start_wine() {
    zentu_start_run_wine "$OUT"
}
start_wine
# Which executable holds which test (discovering the tests runs them once).
ctest --test-dir "$BUILD" --show-only=json-v1 </dev/null >"$OUT/tests.json" 2>"$LOGS/discovery.log"

# An entry's result is kept with the digest of its text: a changed entry runs again.
kept() {
    local id=$1 digest=$2
    awk -F '\t' -v id="$id" -v digest="$digest" '$1 == id && $2 == digest { found = 1 } END { exit !found }' \
        "$RESULTS"
}
record() {
    local id=$1 digest=$2 verdict=$3 seconds=$4 detail=$5
    awk -F '\t' -v id="$id" '$1 != id' "$RESULTS" >"$RESULTS.new"
    printf '%s\t%s\t%s\t%s\t%s\n' "$id" "$digest" "$verdict" "$seconds" "$detail" >>"$RESULTS.new"
    mv "$RESULTS.new" "$RESULTS"
}

START=$SECONDS
RAN=0
TOTAL=$(wc -l <"$OUT/selected.tsv")
while IFS=$'\t' read -r -u 3 ordinal id area digest tests; do
    if [ "$AGAIN" = 0 ] && kept "$id" "$digest"; then
        continue
    fi
    began=$SECONDS
    RAN=$((RAN + 1))
    log="$LOGS/$id.log"
    : >"$log"
    # Keep the originals of the files the entry touches, then plant it.
    rm -rf "$OUT/original"
    for file in $(python3 "$FAULTS_PY" files "$SRC/scripts/faults.txt" "$id"); do
        [ -f "$SRC/$file" ] || continue
        mkdir -p "$OUT/original/$(dirname "$file")"
        cp "$SRC/$file" "$OUT/original/$file"
    done
    status=0
    planted=$(python3 "$FAULTS_PY" plant "$SRC/scripts/faults.txt" "$id" "$SRC" 2>&1) || status=$?
    if [ "$status" = 3 ]; then
        verdict=gone
        detail=${planted#gone: }
    elif [ "$status" != 0 ]; then
        zentu_fail "$id: $planted"
    else
        read -r -a PLANTED <<<"$planted"
        targets=$(python3 "$FAULTS_PY" targets "$OUT/tests.json" "$tests" 2>>"$log") ||
            zentu_fail "$id: no test matches '$tests'"
        target_args=()
        for target in $targets; do
            [ "$target" = all ] && { target_args=(); break; }
            target_args+=(--target "$target")
        done
        if ! cmake --build "$BUILD" -j "$JOBS" ${target_args[@]+"${target_args[@]}"} -- --no-print-directory \
                >>"$log" 2>&1; then
            verdict=unbuilt
            detail="does not compile (see $log)"
        else
            status=0
            ctest --test-dir "$BUILD" -R "$tests" --stop-on-failure --timeout 180 --output-on-failure \
                </dev/null >>"$log" 2>&1 || status=$?
            if grep -q 'No tests were found' "$log"; then
                zentu_fail "$id: no test matches '$tests'"
            fi
            if [ "$status" != 0 ]; then
                verdict=caught
                detail=$(sed -nE 's/^\s+[0-9]+ - ([^ ]+) \(.*\)$/\1/p' "$log" | sort -u | paste -sd' ')
                # A failing program may leave its windows behind in the prefix.
                zentu_stop_wine
                start_wine
            else
                verdict=missed
                detail="all of '$tests' passed"
            fi
        fi
        restore
    fi
    took=$((SECONDS - began))
    record "$id" "$digest" "$verdict" "$took" "$detail"
    zentu_say "$ordinal $id: $verdict (${took}s) $detail"
done 3<"$OUT/selected.tsv"
# Put the build back in step with the unplanted copy, lazily: the next run
# rebuilds what the last entry left changed.
ELAPSED=$((SECONDS - START))
{
    printf 'Planted faults: %d of %d selected entries run in %d s (%s)\n' "$RAN" "$TOTAL" "$ELAPSED" \
        "$(date -u '+%Y-%m-%d %H:%M UTC')"
    python3 "$FAULTS_PY" summary "$CATALOGUE" "$RESULTS" ${ZENTU_FAULTS_MORE_RESULTS:-}
} | tee "$OUT/summary.txt"
exit
}
