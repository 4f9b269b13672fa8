#!/usr/bin/env bash
# Takes docs/demo.png: ./run --demo on a private Xvfb, the screen with the two
# demo games once both show a frame rate, and below it the frame lines ./run
# showed by then. Uses ./run's build folder and Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh

ZENTU_PACKAGES+=(imagemagick)
zentu_install_packages

run_pid=
cleanup() {
    if [ -n "$run_pid" ]; then kill -TERM "$run_pid" 2>/dev/null || true; wait "$run_pid" 2>/dev/null || true; fi
    zentu_stop_xvfb
}
trap cleanup EXIT
ZENTU_SCREEN=780x330x24 zentu_start_xvfb

output="$ZENTU_BUILD/demo-run.txt"
ZENTU_RUN_HIDDEN=1 ./run --demo >"$output" 2>&1 &
run_pid=$!
both_counting() {
    grep -q '^zentu64-demo-d3d9.exe: Present, [0-9]* frames/s' "$output" &&
        grep -q '^zentu64-demo-gl.exe: wglSwapBuffers, [0-9]* frames/s' "$output"
}
# A fresh build folder builds first.
zentu_poll 3000 both_counting || zentu_fail "no frame rates from the two games; see $output"
sleep 2     # two more lines a game
shot="$ZENTU_BUILD/demo-screen.png"
import -window root "$shot"
# The text itself, not @file: Debian's ImageMagick policy refuses indirect reads.
lines=$(grep -E '^zentu64-demo-(d3d9|gl)\.exe: .* frames/s$' "$output" | tail -n 6)
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
# No window manager runs on the private display: the games' names go above their windows.
convert "$shot" -font "$font" -pointsize 13 -fill '#e0e0e0' \
    -annotate +44+30 'zentu64-demo-d3d9.exe (Present)' -annotate +404+30 'zentu64-demo-gl.exe (wglSwapBuffers)' \
    \( -background '#202020' -fill '#e0e0e0' -font "$font" -pointsize 13 label:"$lines" \
       -bordercolor '#202020' -border 8 -gravity west -extent 780x \) -append docs/demo.png
zentu_say "docs/demo.png written"
