#!/usr/bin/env bash
# Lifecycle figures under Wine: idle CPU of the running companion against a
# bare reference loop, the cost of one settings refresh, and the time from
# process start to the main loop.
#   bench/lifecycle.sh [window seconds, default 8]
# Every wait has a deadline (ZENTU_BENCH_DEADLINE seconds for each benchmark
# program, default 600): past it the script stops with a message and exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

window=${1:-8}
deadline=${ZENTU_BENCH_DEADLINE:-600}
# "Running" = 0 ends the companion at its next refresh (3000 ms) and an
# orderly shutdown; a killed reference loop ends at once.
shutdown_deadline=30
zentu_install_packages
zentu_build

running_pid=
zentu_start_session running_pid

bench_folder="$ZENTU_BUILD/bench-folder"
rm -rf "$bench_folder"
mkdir -p "$bench_folder"
cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/standin/normal/zentu64.dll" "$bench_folder/"
bench_folder_w="Z:${bench_folder//\//\\}"

# cpu_ns PID: CPU time (ns) a process has run, from the scheduler's own account.
cpu_ns() {
    local schedstat
    schedstat=$(cat "/proc/$1/schedstat" 2>/dev/null) ||
        zentu_fail "process $1 is gone: its CPU time cannot be read"
    echo "${schedstat%% *}"
}

# The wineserver of our prefix: its working folder is the prefix's server
# folder, server-<device>-<inode> of the prefix, inside a socket folder whose
# place depends on the Wine build (/tmp/.wine-<uid>, /tmp/wine-XXXXXX, ...).
server_dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
wineserver_pid() {
    local pid
    for pid in /proc/[0-9]*; do
        case "$(readlink "$pid/cwd" 2>/dev/null)" in */"$server_dir") ;; *) continue ;; esac
        case "$(readlink "$pid/exe" 2>/dev/null)" in *wineserver*) basename "$pid"; return 0 ;; esac
    done
    return 1
}

# measure PID: runs a program for the window and sets measured_ms to its CPU
# use plus the wineserver's, in ms. Not in a command substitution, so that a
# failure ends the script.
measured_ms=
measure() {
    local pid=$1 server start_own start_server end_own end_server
    server=$(wineserver_pid) || zentu_fail "no wineserver with the working folder $server_dir: its CPU time cannot be counted"
    sleep 2                                  # past start-up
    start_own=$(cpu_ns "$pid")
    start_server=$(cpu_ns "$server")
    sleep "$window"
    end_own=$(cpu_ns "$pid")
    end_server=$(cpu_ns "$server")
    measured_ms=$(( (end_own - start_own + end_server - start_server) / 1000000 ))
}

echo "== idle CPU over ${window} s windows (process + wineserver)"
ratios=()
for round in 1 2 3; do
    zentu_set_running 1
    wine "$bench_folder/zentu64.exe" </dev/null >/dev/null 2>&1 &
    running_pid=$!
    measure "$running_pid"
    companion_ms=$measured_ms
    zentu_set_running 0
    zentu_wait_pid "$running_pid" "$shutdown_deadline" "zentu64.exe after \"Running\" = 0" || true

    wine "$ZENTU_BUILD/bench/bench_idle_reference.exe" </dev/null >/dev/null 2>&1 &
    running_pid=$!
    measure "$running_pid"
    reference_ms=$measured_ms
    kill "$running_pid" 2>/dev/null || true
    zentu_wait_pid "$running_pid" "$shutdown_deadline" "the stopped reference loop" || true
    running_pid=

    ratio=$(awk -v a="$companion_ms" -v b="$reference_ms" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
    ratios+=("$ratio")
    echo "round $round: companion ${companion_ms} ms, reference ${reference_ms} ms, ratio $ratio"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | sed -n 2p)
echo "idle CPU ratio, median of 3: $median"

echo "== settings refresh"
zentu_run_with_deadline "$deadline" bench_refresh_cost.exe \
    wine "$ZENTU_BUILD/bench/bench_refresh_cost.exe"

echo "== start-up to main loop"
zentu_set_running 0
zentu_run_with_deadline "$deadline" bench_startup_time.exe \
    wine "$ZENTU_BUILD/bench/bench_startup_time.exe" "$bench_folder_w"
