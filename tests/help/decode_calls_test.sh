#!/usr/bin/env bash
# decode_calls_test.sh SOURCE_ROOT: ./run's view of the stand-in's record through scripts/decode-calls.awk:
# the first call whole (handles and offsets in hex, folders as text), then only what changed, a run of
# unchanged calls as one line, rewritten in place on a terminal (live=1); the games' frame lines, each
# rate over the time since the line before of the same process and entry point.
set -uo pipefail
decode="$1/scripts/decode-calls.awk"
sample="$1/tests/help/decode_calls_sample.log"
out=$(awk -f "$decode" "$sample")
failed=0
while IFS= read -r line; do
    printf '%s\n' "$out" | sed '/^$/q' | grep -qxF -- "$line" || { echo "call 1 lacks: $line"; failed=1; }
done <<'EOF_FIRST'
   2  CALLWNDPROC hook                     0x0
   6  Program folder                       0x7ffe1000 "Z:\zentu"
  14  D3D9 device Present offset           0x000093F0
  16  wglSwapBuffers offset                0xFFFFFFFF
EOF_FIRST
expected=$(printf '%s\n' 'ZentuSetup call 2' '   1  CBT hook                             0x1A2B0' \
    '   2  CALLWNDPROC hook                     0x1A2C0' '' 'calls 3-4: no change' '' 'ZentuSetup call 5' \
    '  29  Benchmark Time                       90')
diff <(printf '%s\n' "$expected") <(printf '%s\n' "$out" | sed '1,/^$/d') || failed=1
live=$(awk -v live=1 -f "$decode" "$sample" | tr '\r' '|' | grep -F 'calls 3-4')
[ "$live" = "|call 3: no change|calls 3-4: no change" ] || { echo "live run: $live"; failed=1; }
frames=$(awk -f "$decode" "$1/tests/help/decode_frames_sample.log")
expected=$(cat <<'EOF_FRAMES'
zentu64-demo-d3d9.exe: Present hooked at d3d9.dll+0x93F0 (process 452)
zentu64-demo-d3d9.exe: Present, 60 frames/s
zentu64-demo-d3d9.exe: swap chain Present, 25 frames
zentu64-demo-d3d9.exe: Present, 30 frames/s
zentu64-demo-d3d9.exe: Present, 95 frames in all; the game ended
my game.exe: wglSwapBuffers, 213 frames in all; hook removed, the game runs on
zentu64-demo-d3d9.exe: Present not hooked: d3d9.dll+0xFFFFFF00 lies outside the module
zentu64-demo-d3d9.exe: swap chain Present not hooked: no offset measured
EOF_FRAMES
)
diff <(printf '%s\n' "$expected") <(printf '%s\n' "$frames") || failed=1
exit "$failed"
