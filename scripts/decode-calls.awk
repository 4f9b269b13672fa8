# Decodes the stand-in library's record of calls for people: one block per
# call with position, name and value. The first call and the shutdown call are
# shown whole; the others show what changed since the call before, and a run
# of calls that change nothing shows as one line ("calls 9-16: no change").
# Hook handles and entry-point offsets show in hex, as zentu64-probe.exe
# writes them.
# The stand-in's frame lines from the games its hooks reached show as one line
# each: "zentu64-demo-d3d9.exe: Present, 60 frames/s", the rate taken over
# the time since that entry point's line before.
# Set full=1 to show every call whole, last=1 to title a single last call,
# live=1 to keep the line of a run of unchanged calls up to date on a
# terminal as calls arrive (otherwise it is written when the run ends).
BEGIN {
    FS = "\t"
    split("CBT hook,CALLWNDPROC hook,Shutdown flag,Always 1,Sampling Rate,Program folder," \
          "Movie Directory,Screenshot Directory,Benchmarks folder,Detailed Stats,Overlay Corner," \
          "Reserved1,Reserved2,D3D9 device Present offset,D3D9 swap chain Present offset," \
          "wglSwapBuffers offset,wglSwapLayerBuffers offset,Always 0,System folder,Movie Framerate," \
          "Always 0,Always 1,Framerate On Screenshot,Movie Half Size,Library buffer,No Cursor,No Sync," \
          "Benchmark Stop,Benchmark Time,Capture width,Capture height,Capture buffer size,Always 0," \
          "D3D9 debug device Present offset,D3D9 debug swap chain Present offset," \
          "SetCursorProperties offset,SetCursorPosition offset,ShowCursor offset," \
          "SetCursorProperties probe,SetCursorPosition probe,ShowCursor probe," \
          "Reserved3,Reserved4,Reserved5,Reserved6,Reserved7,Reserved8," \
          "D3D9 device Present probe,D3D9 swap chain Present probe," \
          "Reserved9,Reserved10,Reserved11,Reserved12,Reserved13,Display driver kind," \
          "Overlay Key,Log Key,Movie Key,Capture Key", names, ",")
    for (i = 0; i < 256; i++) hexval[sprintf("%02X", i)] = i
    # Module-relative offsets of the graphics entry points.
    split("14,15,16,17,34,35,36,37,38", list, ",")
    for (i in list) offset[list[i]] = 1
    calls = 0
    run_first = 0
    split("Present,SwapChainPresent,wglSwapBuffers", entries, ",")
    split("Present,swap chain Present,wglSwapBuffers", entry_names, ",")
    for (i in entries) entry_name[entries[i]] = entry_names[i]
}

function unescape(text,    out, i) {
    out = ""
    for (i = 1; i <= length(text); i++) {
        if (substr(text, i, 1) == "%" && i + 2 <= length(text)) {
            out = out sprintf("%c", hexval[substr(text, i + 1, 2)])
            i += 2
        } else {
            out = out substr(text, i, 1)
        }
    }
    return out
}

function shown(p, value,    eq) {
    if (p in offset) return sprintf("0x%08X", value + 0)
    if (p <= 2 && value ~ /^0x/) return "0x" toupper(substr(value, 3))
    eq = index(value, "=")
    if (eq == 0) return value
    return substr(value, 1, eq - 1) " \"" unescape(substr(value, eq + 1)) "\""
}

function run_text() {
    if (run_first == run_last) return sprintf("call %d: no change", run_first)
    return sprintf("calls %d-%d: no change", run_first, run_last)
}

# Ends a run of unchanged calls: its one line stands from now on.
function end_run() {
    if (!run_first) return
    if (live) printf "\n\n"
    else printf "%s\n\n", run_text()
    run_first = 0
    fflush()
}

{ sub(/\r$/, "") }

$1 == "ZentuCount" {
    end_run()
    printf "ZentuCount(%s, %s)\n\n", $3, $4
    fflush()
    next
}

# ZentuFrames <us> <pid> <exe> <entry> <state> <count> <module>+0x<offset>
$1 == "ZentuFrames" {
    end_run()
    key = $3 SUBSEP $5
    game = unescape($4)
    entry = ($5 in entry_name) ? entry_name[$5] : $5
    if ($6 == "hooked") {
        printf "%s: %s hooked at %s (process %d)\n", game, entry, $8, $3
    } else if ($6 == "counting") {
        if (key in since && $2 > since[key])
            printf "%s: %s, %d frames/s\n", game, entry, int(($7 - counted[key]) * 1000000 / ($2 - since[key]) + 0.5)
        else
            printf "%s: %s, %d frames\n", game, entry, $7
    } else if ($6 == "ended") {
        printf "%s: %s, %d frames in all; the game ended\n", game, entry, $7
    } else if ($6 == "unhooked") {
        printf "%s: %s, %d frames in all; hook removed, the game runs on\n", game, entry, $7
    } else if ($6 == "unmeasured") {
        printf "%s: %s not hooked: no offset measured\n", game, entry
    } else if ($6 == "outside") {
        printf "%s: %s not hooked: %s lies outside the module\n", game, entry, $8
    } else {
        printf "%s: %s not hooked: %s is not code\n", game, entry, $8
    }
    since[key] = $2
    counted[key] = $7
    fflush()
    next
}

$1 == "ZentuSetup" {
    calls++
    whole = full || calls == 1 || $5 == "1"
    changed = 0
    for (p = 1; p <= 59; p++)
        if (!whole && previous[p] != $(p + 2)) changed++
    if (!whole && changed == 0) {
        if (!run_first) run_first = calls
        run_last = calls
        if (live) {
            printf "\r%s", run_text()
            fflush()
        }
        next
    }
    end_run()
    if (last)
        printf "ZentuSetup, last call%s\n", ($5 == "1" ? " (shutdown)" : "")
    else
        printf "ZentuSetup call %d%s\n", calls, ($5 == "1" ? " (shutdown)" : "")
    for (p = 1; p <= 59; p++) {
        if (whole || previous[p] != $(p + 2))
            printf "  %2d  %-36s %s\n", p, names[p], shown(p, $(p + 2))
        previous[p] = $(p + 2)
    }
    print ""
    fflush()
}

END { end_run() }
