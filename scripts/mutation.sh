#!/usr/bin/env bash
# Mutation testing: plants one small fault at a time in a copy of the product
# and runs the tests labelled with the fault's folder. A suite that keeps
# every real fault caught kills the mutants; a survivor points at a line no
# test looks at closely enough.
#
#   scripts/mutation.sh [--sample N] [--seed S] [--list] [--jobs J] [--from K] [--to L]
#
#   --sample N   how many mutants (default 60), spread over the product's folders
#   --seed S     the sample's seed (default 2026): same source and seed, same mutants
#   --list       print the sampled mutants and stop (no build, no Wine)
#   --jobs J     build jobs (default: the number of processors)
#   --from K     start at the sample's K-th mutant: a run cut short goes on
#                where it stopped, or two runs share one sample
#   --to L       stop after the sample's L-th mutant
#
# Everything happens in build/mutation (or $ZENTU_MUTATION_DIR): a copy of the
# working tree in src/, its build in build/, its own Wine prefix, the results
# in results.txt. The working tree itself is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

SAMPLE=60
SEED=2026
LIST=0
JOBS=$(nproc)
FROM=1
TO=
while [ $# -gt 0 ]; do
    case "$1" in
        --sample) SAMPLE=$2; shift 2 ;;
        --seed) SEED=$2; shift 2 ;;
        --list) LIST=1; shift ;;
        --jobs) JOBS=$2; shift 2 ;;
        --from) FROM=$2; shift 2 ;;
        --to) TO=$2; shift 2 ;;
        *) echo "usage: scripts/mutation.sh [--sample N] [--seed S] [--list] [--jobs J] [--from K] [--to L]" >&2; exit 2 ;;
    esac
done

MUTANTS_PY="$ZENTU_ROOT/scripts/mutants.py"
if [ "$LIST" = 1 ]; then
    # Cheap and deterministic: straight from the working tree.
    listing=$(mktemp)
    python3 "$MUTANTS_PY" list "$ZENTU_ROOT" "$SAMPLE" "$SEED" >"$listing" 2>"$listing.head"
    python3 "$MUTANTS_PY" show "$listing"
    cat "$listing.head"
    printf '# sampled per folder:%s\n' "$(cut -f2 "$listing" | uniq -c | awk '{ printf " %s %s", $2, $1 }')"
    rm -f "$listing" "$listing.head"
    exit 0
fi

OUT="${ZENTU_MUTATION_DIR:-$ZENTU_ROOT/build/mutation}"
SRC="$OUT/src"
BUILD="$OUT/build"
LOGS="$OUT/logs"
RESULTS="$OUT/results.txt"
mkdir -p "$SRC" "$LOGS"
rm -f "$LOGS"/*.log

zentu_install_packages

# The copy: the working tree as it is, uncommitted changes included, without
# build folders and git's own. Files that vanished from the tree go from the
# copy too; unchanged files keep their times, so the build stays incremental.
zentu_say "copying the tree into $SRC"
rm -rf "$OUT/fresh"
mkdir -p "$OUT/fresh"
tar -C "$ZENTU_ROOT" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$OUT/fresh" -xf -
( cd "$OUT/fresh" && find . -type f | sort ) >"$OUT/fresh.list"
( cd "$SRC" && find . -type f | sort ) | comm -23 - "$OUT/fresh.list" | ( cd "$SRC" && xargs -r -d '\n' rm -f )
( cd "$OUT/fresh" && find . -type f -print0 ) | while IFS= read -r -d '' file; do
    cmp -s "$OUT/fresh/$file" "$SRC/$file" 2>/dev/null && continue
    mkdir -p "$SRC/$(dirname "$file")"
    cp -p "$OUT/fresh/$file" "$SRC/$file"
done
rm -rf "$OUT/fresh" "$OUT/fresh.list"

python3 "$MUTANTS_PY" list "$SRC" "$SAMPLE" "$SEED" >"$OUT/mutants.tsv" 2>"$OUT/mutants.head"
cat "$OUT/mutants.head" >&2

# The state a Ctrl-C may interrupt: the file under mutation is put back
# before Wine and the display go.
MUTATED_FILE=
restore() {
    if [ -n "$MUTATED_FILE" ]; then
        cp "$OUT/original" "$SRC/$MUTATED_FILE"
        MUTATED_FILE=
    fi
}
cleanup() {
    restore
    zentu_stop_wine
    zentu_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# A step that fails ends the run: say which, or the run just stops.
trap 'zentu_say "stopped: line $LINENO: $BASH_COMMAND"' ERR

# The same toolchain and options as ./test, in a build of its own.
zentu_say "building the copy in $BUILD"
if ! ZENTU_ROOT="$SRC" ZENTU_BUILD="$BUILD" zentu_build; then
    zentu_say "the unmutated copy does not build: nothing to measure"
    exit 1
fi
build() {
    cmake --build "$BUILD" -j "$JOBS" -- --no-print-directory >"$1" 2>&1
}

zentu_start_xvfb
# Wine's prefix beside the copy, not inside its build.
ZENTU_BUILD="$OUT" zentu_start_wine

# The sampled folders' tests once without a mutant: a test failing already
# would "kill" every mutant of its folder and prove nothing.
FOLDERS=$(cut -f2 "$OUT/mutants.tsv" | awk '!seen[$0]++')
LABELS="^($(echo $FOLDERS | tr ' ' '|'))\$"
zentu_say "baseline: the tests labelled $LABELS, without a mutant"
if ! ctest --test-dir "$BUILD" -L "$LABELS" -j 2 --timeout 120 </dev/null >"$LOGS/baseline.log" 2>&1; then
    zentu_say "tests fail without a mutant (see $LOGS/baseline.log)"
    exit 1
fi

{
    printf 'Mutation testing: sample %s, seed %s, %s\n' "$SAMPLE" "$SEED" "$(date -u '+%Y-%m-%d %H:%M UTC')"
    cat "$OUT/mutants.head"
    printf '\n'
} >"$RESULTS"

TOTAL=$(wc -l <"$OUT/mutants.tsv")
declare -A KILLED SURVIVED STILLBORN
SURVIVORS=()
RAN=0
START=$SECONDS
while IFS=$'\t' read -r -u 3 number folder file line rule original mutated; do
    [ "$number" -lt "$FROM" ] && continue
    [ -n "$TO" ] && [ "$number" -gt "$TO" ] && break
    began=$SECONDS
    RAN=$((RAN + 1))
    cp "$SRC/$file" "$OUT/original"
    MUTATED_FILE=$file
    python3 "$MUTANTS_PY" apply "$SRC" "$file" "$line" "$original" "$mutated"
    log="$LOGS/mutant-$number.log"
    detail=
    # A failing test runs once more, as in ./test: only a fault that fails
    # twice kills the mutant, not a Wine process that ended at once.
    if ! build "$log"; then
        result=stillborn
        STILLBORN[$folder]=$(( ${STILLBORN[$folder]:-0} + 1 ))
    elif ctest --test-dir "$BUILD" -L "^$folder\$" --stop-on-failure --repeat until-pass:2 -j 2 --timeout 120 \
        </dev/null >>"$log" 2>&1; then
        result=survived
        SURVIVED[$folder]=$(( ${SURVIVED[$folder]:-0} + 1 ))
    else
        result=killed
        KILLED[$folder]=$(( ${KILLED[$folder]:-0} + 1 ))
        detail=$(grep -m1 -E '\*\*\*(Failed|Timeout|Exception)|Not Run' "$log" | sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: //; s/ +/ /g' || true)
        # A killed mutant may leave its programs behind in the prefix: start
        # the next one with a fresh server.
        zentu_stop_wine
        ZENTU_BUILD="$OUT" zentu_start_wine
    fi
    # Put the file back; the next build recompiles it (lazily, with the next mutant).
    restore
    took=$(( SECONDS - began ))
    zentu_say "$number/$TOTAL $result ${took}s $file:$line $rule${detail:+ ($detail)}"
    entry=$(printf '%s %s:%s %s (%ss)%s\n%s' "$result" "$file" "$line" "$rule" "$took" \
        "${detail:+ by $detail}" "$(python3 "$MUTANTS_PY" show "$OUT/mutants.tsv" "$number")")
    printf '#%s %s\n' "$number" "$entry" >>"$RESULTS"
    [ "$result" = survived ] && SURVIVORS+=("#$number $entry")
done 3<"$OUT/mutants.tsv"
ELAPSED=$(( SECONDS - START ))

table() {
    local folder k s b tk=0 ts=0 tb=0
    printf '%-10s %7s %9s %10s %7s\n' folder killed survived stillborn score
    for folder in $FOLDERS; do
        k=${KILLED[$folder]:-0}; s=${SURVIVED[$folder]:-0}; b=${STILLBORN[$folder]:-0}
        tk=$((tk + k)); ts=$((ts + s)); tb=$((tb + b))
        printf '%-10s %7d %9d %10d %7s\n' "$folder" "$k" "$s" "$b" "$(score "$k" "$s")"
    done
    printf '%-10s %7d %9d %10d %7s\n' total "$tk" "$ts" "$tb" "$(score "$tk" "$ts")"
    printf '\n%d of the %d mutants in %ds, %ds a mutant\n' "$RAN" "$TOTAL" "$ELAPSED" "$(( RAN ? ELAPSED / RAN : 0 ))"
}
# The score counts the mutants that built: killed / (killed + survived).
score() { [ $(( $1 + $2 )) -gt 0 ] && awk -v k="$1" -v s="$2" 'BEGIN { printf "%.0f%%", 100 * k / (k + s) }' || echo -; }

{
    printf '\n'
    table
    printf '\nSurvivors (%d):\n' "${#SURVIVORS[@]}"
    for survivor in "${SURVIVORS[@]}"; do printf '%s\n' "$survivor"; done
} >>"$RESULTS"
table
zentu_say "every mutant and its result: $RESULTS"
