#!/usr/bin/env bash
# Page and keyboard figures under Wine: memory and painting after 20 000 page
# switches with repaints, and the input latency the keyboard hook adds.
# Run from the repository root: bench/pages.sh [switches, default 20000]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

switches=${1:-20000}
zentu_install_packages
zentu_build
cleanup() { zentu_stop_wine; zentu_stop_xvfb; }
trap cleanup EXIT
zentu_start_xvfb
zentu_start_wine

echo "== page churn"
wine "$ZENTU_BUILD/bench/bench_page_churn.exe" "$switches" </dev/null 2>/dev/null

echo "== keyboard hook latency"
folder="$ZENTU_BUILD/bench-folder"
rm -rf "$folder"
mkdir -p "$folder"
cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/standin/normal/zentu64.dll" "$folder/"
wine reg add 'HKLM\SOFTWARE\Wow6432Node\Zentu2' /v Running /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
wine "$ZENTU_BUILD/bench/bench_hook_latency.exe" "Z:${folder//\//\\}" </dev/null 2>/dev/null
wine reg add 'HKLM\SOFTWARE\Wow6432Node\Zentu2' /v Running /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
