#!/usr/bin/env bash
# Mutation testing: plants one small fault at a time in a copy of the product
# and runs the tests labelled with the fault's folder. A suite that keeps
# every real fault caught kills the mutants; a survivor points at a line no
# test looks at closely enough.
#
#   scripts/mutation.sh [--sample N] [--seed S] [--list] [--jobs J] [--from K] [--to L]
#   scripts/mutation.sh --summarise DIR...
#
#   --sample N   how many mutants (default 60), spread over the product's folders
#   --seed S     the sample's seed (default 2026): same source and seed, same mutants
#   --list       print the sampled mutants and stop (no build, no Wine)
#   --jobs J     build jobs (default: the number of processors)
#   --from K     start at the sample's K-th mutant: a run cut short goes on
#                where it stopped, or two runs share one sample
#   --to L       stop after the sample's L-th mutant
#   --summarise  one table for the runs in the folders named (two halves run
#                side by side, each in its own ZENTU_MUTATION_DIR), and stop
#
# Everything happens in build/mutation (or $ZENTU_MUTATION_DIR): a copy of the
# working tree in src/, its build in build/, its own Wine prefix and display,
# the results in results.txt, every mutant's outcome in outcomes.tsv. The
# working tree itself is never touched. Two runs side by side need two
# folders: each locks its own.
#
# A mutant is killed only by a test that passed without a mutant: the tests
# of the sampled folders run once first, and a test failing there (twice) is
# left out of every mutant's run and named in the results. A kill by a failed
# assertion is counted apart from a kill by a timeout or a crash (a test that
# timed out, died of a signal or exception, or ended non-zero without a
# failed assertion).
# Bash reads a script as it goes: the braces make it read the whole before
# running any, so a change of this file during a run (a merge, an edit)
# cannot reach the run.
{
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
. scripts/copy-tree.sh

SAMPLE=60
SEED=2026
LIST=0
JOBS=$(nproc)
FROM=1
TO=
SUMMARISE=()
usage() {
    echo "usage: scripts/mutation.sh [--sample N] [--seed S] [--list] [--jobs J] [--from K] [--to L]" >&2
    echo "       scripts/mutation.sh --summarise DIR..." >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case "$1" in
        --summarise) shift; [ $# -gt 0 ] || usage; SUMMARISE=("$@"); break ;;
        --sample) SAMPLE=$2; shift 2 ;;
        --seed) SEED=$2; shift 2 ;;
        --list) LIST=1; shift ;;
        --jobs) JOBS=$2; shift 2 ;;
        --from) FROM=$2; shift 2 ;;
        --to) TO=$2; shift 2 ;;
        *) usage ;;
    esac
done

MUTANTS_PY="$ZENTU_ROOT/scripts/mutants.py"

# summarise DIR...: the tests each run left out, then one table of all their
# mutants.
summarise() {
    local dir outcomes=()
    for dir in "$@"; do
        [ -f "$dir/outcomes.tsv" ] || { zentu_say "no outcomes in $dir"; return 1; }
        outcomes+=("$dir/outcomes.tsv")
        if [ -s "$dir/baseline-excluded.txt" ]; then
            printf 'Left out in %s (failing without a mutant):\n' "$dir"
            sed 's/^/    /' "$dir/baseline-excluded.txt"
        fi
        if [ -s "$dir/baseline-reran.txt" ]; then
            printf 'Passed without a mutant only when run again, in %s (kept):\n' "$dir"
            sed 's/^/    /' "$dir/baseline-reran.txt"
        fi
    done
    python3 "$MUTANTS_PY" summarise "${outcomes[@]}"
}
if [ ${#SUMMARISE[@]} -gt 0 ]; then
    summarise "${SUMMARISE[@]}"
    exit 0
fi
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


# A relative folder is taken from the tree's root.
OUT=$(zentu_run_folder "${ZENTU_MUTATION_DIR:-$ZENTU_ROOT/build/mutation}" ZENTU_MUTATION_DIR)
SRC="$OUT/src"
BUILD="$OUT/build"
LOGS="$OUT/logs"
RESULTS="$OUT/results.txt"
OUTCOMES="$OUT/outcomes.tsv"
mkdir -p "$SRC" "$LOGS"
# One run per folder: a second run beside it needs a ZENTU_MUTATION_DIR of its own.
exec 9>"$OUT/lock"
flock -n 9 || zentu_fail "another mutation run is using $OUT: give this one a ZENTU_MUTATION_DIR of its own"

zentu_install_packages

zentu_say "copying the tree into $SRC"
zentu_copy_tree "$SRC" "$OUT/fresh"

python3 "$MUTANTS_PY" list "$SRC" "$SAMPLE" "$SEED" >"$OUT/mutants.tsv" 2>"$OUT/mutants.head"
cat "$OUT/mutants.head" >&2
# The folders of the mutants this run does.
FOLDERS=$(awk -F '\t' -v from="$FROM" -v to="${TO:-999999}" '$1 >= from && $1 <= to && !seen[$2]++ { print $2 }' \
    "$OUT/mutants.tsv")
[ -n "$FOLDERS" ] || zentu_fail "no mutant between $FROM and ${TO:-the end}"

# The outcomes of earlier runs in this folder stay (of other samples too:
# they are summed up apart), except those of the mutants this run does again.
if [ -f "$OUTCOMES" ]; then
    awk -F '\t' -v sample="$SAMPLE" -v seed="$SEED" -v from="$FROM" -v to="${TO:-999999}" \
        '!($1 == sample && $2 == seed && $3 >= from && $3 <= to)' "$OUTCOMES" >"$OUTCOMES.kept"
    mv "$OUTCOMES.kept" "$OUTCOMES"
fi
touch "$OUTCOMES"

# The state a Ctrl-C may interrupt: the file under mutation is put back
# before Wine and the display go.
MUTATED_FILE=
restore() {
    if [ -n "$MUTATED_FILE" ]; then
        cp "$OUT/original" "$SRC/$MUTATED_FILE"
        MUTATED_FILE=
    fi
}
zentu_trap_run_end

# The same toolchain and options as ./test, in a build of its own.
zentu_say "building the copy in $BUILD"
if ! ZENTU_ROOT="$SRC" ZENTU_BUILD="$BUILD" zentu_build; then
    zentu_say "the unmutated copy does not build: nothing to measure"
    exit 1
fi
build() {
    cmake --build "$BUILD" -j "$JOBS" -- --no-print-directory >"$1" 2>&1
}

zentu_own_display || zentu_fail "no display of this run's own"
# Wine's prefix beside the copy, not inside its build.
start_wine() {
    zentu_start_run_wine "$OUT"
}
start_wine

# The tests of the folders this run mutates once without a mutant, each on
# its own: a test that fails here (twice, as a mutant's tests may) would
# "kill" every mutant of its folder and prove nothing, so it is left out of
# the mutants' runs.
LABELS="^($(echo $FOLDERS | tr ' ' '|'))\$"
zentu_say "baseline: the tests labelled $LABELS, without a mutant"
ctest --test-dir "$BUILD" -L "$LABELS" -j 2 --timeout 60 --repeat until-pass:2 --output-on-failure \
    </dev/null >"$LOGS/baseline.log" 2>&1 || true
zentu_say "baseline: $(python3 "$MUTANTS_PY" baseline "$LOGS/baseline.log" "$OUT")"
[ -s "$OUT/baseline-passed.txt" ] || zentu_fail "no test passes without a mutant (see $LOGS/baseline.log)"
EXCLUDE=()
if [ -s "$OUT/baseline-excluded.txt" ]; then
    zentu_say "left out, failing without a mutant: $(cut -d' ' -f1 "$OUT/baseline-excluded.txt" | tr '\n' ' ')"
    EXCLUDE=(-E "^($(cut -d' ' -f1 "$OUT/baseline-excluded.txt" | sed 's/[][\.*^$+?(){}|]/\\&/g' | paste -sd'|'))\$")
fi

TOTAL=$(wc -l <"$OUT/mutants.tsv")
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
    # A failing test runs once more, as in ./test: only a fault that fails
    # twice kills the mutant, not a Wine process that ended at once.
    if ! build "$log"; then
        verdict=$'stillborn\t'
    else
        status=0
        ctest --test-dir "$BUILD" -L "^$folder\$" ${EXCLUDE[@]+"${EXCLUDE[@]}"} --stop-on-failure \
            --repeat until-pass:2 -j 2 --timeout 60 --output-on-failure </dev/null >>"$log" 2>&1 || status=$?
        verdict=$(python3 "$MUTANTS_PY" verdict "$log" "$status" "$OUT/baseline-passed.txt")
        if [ "$status" != 0 ]; then
            # A killed mutant may leave its programs behind in the prefix:
            # start the next one with a fresh server.
            zentu_stop_wine
            start_wine
        fi
    fi
    result=${verdict%%$'\t'*}
    detail=${verdict#*$'\t'}
    # Put the file back; the next build recompiles it (lazily, with the next mutant).
    restore
    took=$(( SECONDS - began ))
    zentu_say "$number/$TOTAL $result ${took}s $file:$line $rule${detail:+ ($detail)}"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$SAMPLE" "$SEED" "$number" "$folder" "$file" "$line" \
        "$rule" "$original" "$mutated" "$result" "$took" "${detail//$'\t'/ }" >>"$OUTCOMES"
done 3<"$OUT/mutants.tsv"
ELAPSED=$(( SECONDS - START ))

{
    printf 'Mutation testing: sample %s, seed %s, mutants %s to %s, %s\n' "$SAMPLE" "$SEED" "$FROM" "${TO:-$TOTAL}" \
        "$(date -u '+%Y-%m-%d %H:%M UTC')"
    cat "$OUT/mutants.head"
    printf 'this run: %d mutants in %d s\n\n' "$RAN" "$ELAPSED"
    summarise "$OUT"
    printf '\nEvery mutant:\n'
    awk -F '\t' '{ printf "sample %s seed %s #%s %s %s:%s %s (%ss)%s\n", $1, $2, $3, $10, $5, $6, $7, $11,
                     ($12 == "" ? "" : " by " $12) }' <(sort -t $'\t' -k1,1n -k2,2 -k3,3n "$OUTCOMES")
} >"$RESULTS"
summarise "$OUT" | sed -n '/^Sample of/,/s of mutant runs/p'
zentu_say "every mutant and its result: $RESULTS"
exit
}
