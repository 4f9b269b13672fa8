#!/usr/bin/env bash
# Page and keyboard figures under Wine: memory and painting after 20 000 page
# switches with repaints, and the input latency the keyboard hook adds.
#   bench/pages.sh [switches, default 20000]
# Every benchmark program has a deadline (ZENTU_BENCH_DEADLINE seconds,
# default 600): past it the script stops with a message and exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

switches=${1:-20000}
deadline=${ZENTU_BENCH_DEADLINE:-600}
zentu_install_packages
zentu_build

zentu_start_session

echo "== page churn"
zentu_run_with_deadline "$deadline" bench_page_churn.exe \
    wine "$ZENTU_BUILD/bench/bench_page_churn.exe" "$switches"

echo "== keyboard hook latency"
bench_folder="$ZENTU_BUILD/bench-folder"
rm -rf "$bench_folder"
mkdir -p "$bench_folder"
cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/standin/normal/zentu64.dll" "$bench_folder/"
zentu_set_running 1
zentu_run_with_deadline "$deadline" bench_hook_latency.exe \
    wine "$ZENTU_BUILD/bench/bench_hook_latency.exe" "Z:${bench_folder//\//\\}"
zentu_set_running 0
