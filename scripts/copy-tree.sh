#!/usr/bin/env bash
# Shared by scripts/mutation.sh and scripts/faults.sh: the working tree
# copied into a folder of a run's own. Sourced after scripts/common.sh.

# zentu_copy_tree DEST SCRATCH: the working tree as it is, uncommitted
# changes included, without build folders and git's own, into DEST. Files
# that vanished from the tree go from the copy too; unchanged files keep
# their times, so the copy's build stays incremental, and a changed file gets
# the time of the copy, so that it is rebuilt even when its time in the tree
# is older than the copy's last build. SCRATCH is a folder it may empty.
zentu_copy_tree() {
    local dest=$1 scratch=$2
    mkdir -p "$dest"
    rm -rf "$scratch"
    mkdir -p "$scratch"
    tar -C "$ZENTU_ROOT" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$scratch" -xf -
    ( cd "$scratch" && find . -type f | sort ) >"$scratch.list"
    ( cd "$dest" && find . -type f | sort ) | comm -23 - "$scratch.list" | ( cd "$dest" && xargs -r -d '\n' rm -f )
    ( cd "$scratch" && find . -type f -print0 ) | while IFS= read -r -d '' file; do
        cmp -s "$scratch/$file" "$dest/$file" 2>/dev/null && continue
        mkdir -p "$dest/$(dirname "$file")"
        cp "$scratch/$file" "$dest/$file"
    done
    rm -rf "$scratch" "$scratch.list"
}

# zentu_run_folder FOLDER NAME: FOLDER made and made absolute (Wine wants its
# prefix so); inside the tree only under build*, or the copy would copy
# itself. NAME is the variable that chose it, for the complaint.
zentu_run_folder() {
    mkdir -p "$1"
    local folder
    folder=$(cd "$1" && pwd)
    case "$folder/" in
        "$ZENTU_ROOT"/build*) ;;
        "$ZENTU_ROOT"/*) zentu_fail "$2 inside the tree must be under build/" ;;
    esac
    echo "$folder"
}

# zentu_trap_run_end: at a run's end, by Ctrl-C and by a failing step too
# (named, or the run just stops), the script's own restore puts back the
# file it planted a change in before Wine and the display go.
zentu_trap_run_end() {
    trap 'restore; zentu_stop_wine; zentu_stop_xvfb' EXIT
    trap 'exit 130' INT TERM
    trap 'zentu_say "stopped: line $LINENO: $BASH_COMMAND"' ERR
}

# zentu_own_display: a display of this run's own. Two runs starting together
# can both find the same number free; the display is this run's only when
# its lock file names this run's server.
zentu_own_display() {
    local attempt owner
    for attempt in 1 2 3 4 5; do
        zentu_start_xvfb || return 1
        owner=$(tr -d ' \n' <"/tmp/.X${DISPLAY#:}-lock" 2>/dev/null || true)
        if [ "$owner" = "$ZENTU_XVFB_PID" ] && kill -0 "$ZENTU_XVFB_PID" 2>/dev/null; then
            zentu_say "display $DISPLAY"
            return 0
        fi
        zentu_stop_xvfb
        sleep "$attempt"
    done
    return 1
}

# zentu_start_run_wine FOLDER: Wine's prefix in FOLDER. Wine's crash
# debugger would wait for nobody on this display, so a program that crashes
# would hang until the timeout: without the debugger it ends at once.
zentu_start_run_wine() {
    ZENTU_BUILD="$1" zentu_start_wine
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d false /f \
        </dev/null >/dev/null 2>&1 || zentu_fail "could not turn Wine's crash debugger off"
}
