#!/usr/bin/env bash
# Lifecycle figures under Wine: idle CPU of the running companion against a
# bare reference loop, the cost of one settings refresh, and the time from
# process start to the main loop. Run from the repository root:
#   bench/lifecycle.sh [window seconds, default 8]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

window=${1:-8}
zentu_install_packages
zentu_build

cleanup() {
    [ -n "${running_pid:-}" ] && kill "$running_pid" 2>/dev/null || true
    zentu_stop_wine
    zentu_stop_xvfb
}
trap cleanup EXIT
zentu_start_xvfb
zentu_start_wine

bench_folder="$ZENTU_BUILD/bench-folder"
rm -rf "$bench_folder"
mkdir -p "$bench_folder"
cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/standin/normal/zentu64.dll" "$bench_folder/"
bench_folder_w="Z:${bench_folder//\//\\}"
settings_key='HKLM\SOFTWARE\Wow6432Node\Zentu2'
set_running() {
    wine reg add "$settings_key" /v Running /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}

# CPU time (ns) a process has run, from the scheduler's own account.
cpu_ns() { awk '{ print $1 }' "/proc/$1/schedstat" 2>/dev/null || echo 0; }

# The wineserver of our prefix: its working folder is the prefix's server folder.
server_dir=$(printf '/tmp/.wine-%d/server-%x-%x' "$(id -u)" "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
wineserver_pid() {
    local pid
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/cwd" 2>/dev/null)" = "$server_dir" ] || continue
        case "$(readlink "$pid/exe" 2>/dev/null)" in *wineserver*) basename "$pid"; return 0 ;; esac
    done
    return 1
}

# Runs a program for the window and prints its CPU use plus the wineserver's, in ms.
measure() {
    local pid=$1 server start_own start_server
    server=$(wineserver_pid)
    sleep 2                                  # past start-up
    start_own=$(cpu_ns "$pid"); start_server=$(cpu_ns "$server")
    sleep "$window"
    echo $(( ( $(cpu_ns "$pid") - start_own + $(cpu_ns "$server") - start_server ) / 1000000 ))
}

echo "== idle CPU over ${window} s windows (process + wineserver)"
ratios=()
for round in 1 2 3; do
    set_running 1
    wine "$bench_folder/zentu64.exe" </dev/null >/dev/null 2>&1 &
    running_pid=$!
    companion_ms=$(measure "$running_pid")
    set_running 0
    wait "$running_pid" || true

    wine "$ZENTU_BUILD/bench/bench_idle_reference.exe" </dev/null >/dev/null 2>&1 &
    running_pid=$!
    reference_ms=$(measure "$running_pid")
    kill "$running_pid" 2>/dev/null || true
    wait "$running_pid" 2>/dev/null || true
    running_pid=

    ratio=$(awk -v a="$companion_ms" -v b="$reference_ms" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
    ratios+=("$ratio")
    echo "round $round: companion ${companion_ms} ms, reference ${reference_ms} ms, ratio $ratio"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | sed -n 2p)
echo "idle CPU ratio, median of 3: $median"

echo "== settings refresh"
wine "$ZENTU_BUILD/bench/bench_refresh_cost.exe" </dev/null 2>/dev/null

echo "== start-up to main loop"
set_running 0
wine "$ZENTU_BUILD/bench/bench_startup_time.exe" "$bench_folder_w" </dev/null 2>/dev/null
