#!/usr/bin/env bash
# Shared by ./run, ./test, the benchmarks and scripts/screenshots.sh:
# packages, build, Wine and display, the main tool's settings, deadlines.
# Sourced (from any folder) by scripts that run with set -euo pipefail.

ZENTU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZENTU_BUILD="${ZENTU_BUILD:-$ZENTU_ROOT/build}"
ZENTU_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
                googletest wine wine64 fonts-wine xvfb xauth x11-utils libgl1-mesa-dri
                python3)

zentu_say() { printf '[zentu] %s\n' "$*" >&2; }

# zentu_fail MESSAGE: says what went wrong and ends the script (its EXIT
# trap still cleans up).
zentu_fail() {
    zentu_say "$*"
    exit 1
}

zentu_install_packages() {
    local missing=()
    for package in "${ZENTU_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        zentu_say "missing Debian packages: ${missing[*]} (run as root to install them)"
        return 1
    fi
    zentu_say "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null >/dev/null
}

# zentu_build [TARGET...]: configures once, then builds the targets named
# (everything when none is).
zentu_build() {
    if [ ! -f "$ZENTU_BUILD/CMakeCache.txt" ]; then
        cmake -S "$ZENTU_ROOT" -B "$ZENTU_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DCMAKE_TOOLCHAIN_FILE="$ZENTU_ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$ZENTU_BUILD" -j "$(nproc)" "${targets[@]}" -- --no-print-directory >/dev/null
}

# A private 64-bit prefix inside the build folder, without Mono and Gecko prompts.
zentu_wine_env() {
    export WINEPREFIX="$ZENTU_BUILD/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

ZENTU_XVFB_PID=
zentu_start_xvfb() {
    local display
    for display in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
        # In a session of its own, like the Wine services below: a Ctrl-C in
        # ./run must reach the script alone, not the display or the server.
        setsid Xvfb ":$display" -screen 0 "${ZENTU_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
        ZENTU_XVFB_PID=$!
        local _
        for _ in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$display" ] && break
            kill -0 "$ZENTU_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 "$ZENTU_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$display"
            return 0
        fi
    done
    zentu_say "could not start Xvfb"
    return 1
}

# Starts a persistent wineserver and warms the prefix. Wine's background
# services inherit the output of whatever starts them, so they are started
# here with nothing attached (ctest would otherwise wait for them forever).
zentu_start_wine() {
    zentu_wine_env
    mkdir -p "$WINEPREFIX"
    setsid wineserver -p </dev/null >/dev/null 2>&1
    setsid wine cmd /c exit </dev/null >/dev/null 2>&1
    # No window manager runs on a private display: without this Wine waits
    # up to two seconds for one at every hide of a page.
    if [ -n "$ZENTU_XVFB_PID" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
    fi
    # Debian's Wine does not look in its own font folder, so dialogs asking
    # for "MS Sans Serif" would get a much wider substitute: give the prefix
    # Wine's own fonts.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/sserife.fon" ]; then
        cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
    fi
}

zentu_stop_wine() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k </dev/null >/dev/null 2>&1 || true
        # The server ends a little after it is told to: waiting for it keeps
        # the next start from meeting the old one on its way out.
        wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
}

zentu_stop_xvfb() {
    if [ -n "$ZENTU_XVFB_PID" ]; then
        kill "$ZENTU_XVFB_PID" 2>/dev/null || true
        wait "$ZENTU_XVFB_PID" 2>/dev/null || true
        ZENTU_XVFB_PID=
    fi
}

# The main tool's settings, where the companion reads them (the 32-bit view).
ZENTU_SETTINGS_KEY='HKLM\SOFTWARE\Wow6432Node\Zentu2'

# zentu_start_session [PROGRAM]: a display and a Wine server of the script's
# own, both stopped when it exits, after the program whose PID the variable
# named PROGRAM holds by then (if any).
zentu_end_session() {
    local pid=
    if [ -n "${ZENTU_SESSION_PROGRAM:-}" ]; then pid=${!ZENTU_SESSION_PROGRAM:-}; fi
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    zentu_stop_wine
    zentu_stop_xvfb
}
zentu_start_session() {
    ZENTU_SESSION_PROGRAM=${1:-}
    trap zentu_end_session EXIT
    zentu_start_xvfb
    zentu_start_wine
}

# zentu_set_setting NAME TYPE VALUE: writes one setting as the main tool
# would (TYPE as reg.exe spells it: REG_DWORD, REG_SZ).
zentu_set_setting() {
    wine reg add "$ZENTU_SETTINGS_KEY" /v "$1" /t "$2" /d "$3" /f </dev/null >/dev/null 2>&1 ||
        zentu_fail "could not write the setting $1"
}

# zentu_set_running 1|0: "Running" as the main tool writes it when it starts
# and when it ends (0 asks the companion to shut down).
zentu_set_running() { zentu_set_setting Running REG_DWORD "$1"; }

# zentu_poll TRIES COMMAND...: runs COMMAND every 0.2 s until it succeeds, at
# most TRIES times; fails when it never did.
zentu_poll() {
    local tries=$1 _
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

# zentu_wait_pid PID SECONDS WHAT: waits for a process this script started
# to end and returns its exit code. After SECONDS it stops that process and
# ends the script with a message naming WHAT.
zentu_wait_pid() {
    local pid=$1 seconds=$2 what=$3
    local deadline=$((SECONDS + seconds))
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            kill "$pid" 2>/dev/null || true
            zentu_fail "$what did not end within $seconds s"
        fi
        sleep 0.2
    done
    wait "$pid"
}

# zentu_run_with_deadline SECONDS WHAT COMMAND...: runs COMMAND with no input
# and without its standard error (Wine's own chatter), its output where the
# script's goes, and returns its exit code; past SECONDS, as zentu_wait_pid.
zentu_run_with_deadline() {
    local seconds=$1 what=$2
    shift 2
    "$@" </dev/null 2>/dev/null &
    zentu_wait_pid "$!" "$seconds" "$what"
}
