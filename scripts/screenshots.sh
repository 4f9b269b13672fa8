#!/usr/bin/env bash
# Takes the pictures of the four settings pages in docs/: at 96 DPI
# (docs/page-*.png) and at 144 DPI (docs/144dpi/page-*.png). Starts the
# companion beside the stand-in library on a private Xvfb, in a build folder
# and Wine prefix of its own (build-shots/, or $ZENTU_BUILD), shows each page
# in turn and captures its window.
set -euo pipefail
cd "$(dirname "$0")/.."
export ZENTU_BUILD="${ZENTU_BUILD:-$PWD/build-shots}"
. scripts/common.sh

ZENTU_PACKAGES+=(imagemagick)
zentu_install_packages
zentu_build

# The page helper: a click on the tab of the wanted page.
x86_64-w64-mingw32-g++-posix -O1 -static -o "$ZENTU_BUILD/show-page.exe" scripts/show-page.cpp

companion_pid=
ZENTU_SESSION_PROGRAM=companion_pid
trap zentu_end_session EXIT
ZENTU_SCREEN=1024x768x24 zentu_start_xvfb

# reg ARGUMENTS...: reg.exe in the prefix, quietly.
reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }

# x_window TITLE: the X window of a Wine top-level window.
x_window() {
    xwininfo -root -tree | awk -v title="\"$1\"" 'index($0, title) { print $1; exit }'
}

# shoot DPI FOLDER: the four pages at that screen DPI into FOLDER.
shoot() {
    local dpi=$1 folder=$2
    mkdir -p "$folder"
    zentu_start_wine
    # Wine takes the screen DPI from here when its server starts.
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    reg delete 'HKLM\SOFTWARE\Zentu2' /f || true   # no placement of another run (none in a fresh prefix)
    zentu_stop_wine
    zentu_start_wine

    # Installed where a user would have it: the folder lines show this path.
    local program_folder="$WINEPREFIX/drive_c/Program Files/Zentu"
    mkdir -p "$program_folder"
    cp "$ZENTU_BUILD/zentu64.exe" "$ZENTU_BUILD/zentu64.dll" "$program_folder/"
    cp -r "$ZENTU_BUILD/help" "$program_folder/"

    zentu_set_running 1
    setsid wine "$program_folder/zentu64.exe" </dev/null >/dev/null 2>&1 &
    companion_pid=$!
    zentu_poll 100 wine "$ZENTU_BUILD/zentu64-notify.exe" open </dev/null >/dev/null 2>&1

    local page title window
    for page in general fps movies screenshots; do
        title="ZENTU64 $page"
        wine "$ZENTU_BUILD/show-page.exe" "$page" </dev/null >/dev/null 2>&1 ||
            { zentu_say "page $page did not show"; return 1; }
        window=$(x_window "$title")
        [ -n "$window" ] || { zentu_say "no X window for $title"; return 1; }
        # Give the page a moment to paint after it showed.
        sleep 1
        import -window "$window" "$folder/page-$page.png"
        zentu_say "$folder/page-$page.png: $(identify -format '%wx%h' "$folder/page-$page.png")"
    done

    zentu_set_running 0
    wait "$companion_pid" || true
    companion_pid=
    zentu_stop_wine
}

shoot 96 docs
shoot 144 docs/144dpi
