#!/usr/bin/env bash
# The frame-counting hook's cost per frame: each demo game runs uncapped for a
# few seconds beside the companion, once with the offsets the companion
# measured (the stand-in's breakpoint in the entry point) and once with the
# offsets taken as 0 (the stand-in in the game, nothing hooked), the two
# interleaved; the median frame time of each and their ratio.
#   bench/demo.sh [runs, default 5] [seconds a run, default 3]
# Every wait has a deadline: past it the script stops with a message and exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

runs=${1:-5}
seconds=${2:-3}
zentu_install_packages
zentu_build zentu64 standin_library zentu64-demo-d3d9 zentu64-demo-gl

companion_pid=
zentu_start_session companion_pid

bench_folder="$ZENTU_BUILD/bench-demo"
rm -rf "$bench_folder"
mkdir -p "$bench_folder"
cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/standin/normal/zentu64.dll" "$bench_folder/"
log="$bench_folder/zentu64-calls.log"

hooks_in() { awk -F '\t' '$1 == "ZentuSetup" && $3 != "0x0" { found = 1 } END { exit !found }' "$log"; }

# one_run OFFSETS GAME ARGS...: the game's milliseconds per frame beside a
# companion that hands it OFFSETS ("" for the measured ones).
one_run() {
    local offsets=$1 game=$2 line
    shift 2
    : >"$log"
    zentu_set_running 1
    ZENTU_STANDIN_OFFSETS="$offsets" wine "$bench_folder/zentu64.exe" </dev/null >/dev/null 2>&1 &
    companion_pid=$!
    zentu_poll 150 hooks_in || zentu_fail "the companion's hooks did not come in"
    line=$(zentu_run_with_deadline 120 "$game" wine "$ZENTU_BUILD/$game.exe" --fps 0 --seconds "$seconds" "$@")
    zentu_set_running 0
    zentu_wait_pid "$companion_pid" 60 zentu64.exe >/dev/null || true
    companion_pid=
    [ -n "$offsets" ] || grep -q $'\thooked\t' "$log" || zentu_fail "$game was not hooked"
    sed -nE 's/.*ms_per_frame=([0-9.]+).*/\1/p' <<<"$line"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-34s %12s %12s %8s %12s\n' "game, entry point" "without ms" "with ms" "ratio" "cost us"
for measured in "zentu64-demo-d3d9|Present|" "zentu64-demo-d3d9|swap chain Present|--swapchain" \
            "zentu64-demo-gl|wglSwapBuffers|"; do
    IFS='|' read -r game entry arguments <<<"$measured"
    without=()
    with=()
    for _ in $(seq 1 "$runs"); do
        # shellcheck disable=SC2086  # the game's arguments, split on purpose
        without+=("$(one_run 0,0,0 "$game" $arguments)")
        # shellcheck disable=SC2086
        with+=("$(one_run "" "$game" $arguments)")
    done
    m0=$(printf '%s\n' "${without[@]}" | median)
    m1=$(printf '%s\n' "${with[@]}" | median)
    awk -v name="$game, $entry" -v a="$m0" -v b="$m1" \
        'BEGIN { printf "%-34s %12.4f %12.4f %8.3f %12.1f\n", name, a, b, b / a, (b - a) * 1000 }'
done
echo "(median of $runs runs of $seconds s each, uncapped; without: the stand-in in the game with its offsets taken as 0)"
