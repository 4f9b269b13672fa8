#!/usr/bin/env bash
# ./run's live view: a sample record of calls through scripts/decode-calls.awk
# gives exactly the expected text (hook handles and entry-point offsets in
# hex, runs of unchanged calls as one line), and on a terminal (live=1) the
# line of a run is rewritten in place as the calls arrive.
#
#   decode_calls_test.sh SOURCE_ROOT
set -euo pipefail
root=$1
here="$root/tests/help"
decode="$root/scripts/decode-calls.awk"
failed=0

check() {  # name expected actual
    if [ "$2" != "$3" ]; then
        echo "FAILED: $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") || true
        failed=1
    fi
}

expected=$(cat "$here/decode_calls_expected.txt")
check "decoded record" "$expected" "$(awk -f "$decode" "$here/decode_calls_sample.log")"
# ./run reads the record through a pipe, with mawk told to read by lines:
# the cat is what makes it a pipe.
awk_live=(awk)
awk -W version 2>&1 | grep -q mawk && awk_live=(awk -W interactive)
# shellcheck disable=SC2002
check "decoded record through a pipe" "$expected" \
    "$(cat "$here/decode_calls_sample.log" | "${awk_live[@]}" -f "$decode")"

live=$(awk -v live=1 -f "$decode" "$here/decode_calls_sample.log" | tr '\r' '|')
check "live run of calls 3-4" "|call 3: no change|calls 3-4: no change" "$(printf '%s\n' "$live" | grep -F 'calls 3-4')"
check "live run of calls 6-8" "|call 6: no change|calls 6-7: no change|calls 6-8: no change" \
    "$(printf '%s\n' "$live" | grep -F 'calls 6-8')"

# The last call alone, as ./run shows it after the shutdown.
last=$(grep '^ZentuSetup' "$here/decode_calls_sample.log" | tail -n 1 | awk -v full=1 -v last=1 -f "$decode")
check "last call title" "ZentuSetup, last call (shutdown)" "$(printf '%s\n' "$last" | head -n 1)"
check "last call shutdown flag" "   3  Shutdown flag                        1" "$(printf '%s\n' "$last" | grep 'Shutdown flag')"
check "last call offset" "  14  D3D9 device Present offset           0x000093F0" \
    "$(printf '%s\n' "$last" | grep 'D3D9 device Present offset')"
check "last call lines" 60 "$(printf '%s\n' "$last" | grep -c .)"

[ "$failed" = 0 ] && echo "decoded as expected"
exit "$failed"
