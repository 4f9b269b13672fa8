/*
 * What the two demo games share: the command line, the window, the frame
 * loop with its pacing, and the one line each prints at its end. A game
 * supplies how it sets up its graphics and how it draws and presents one
 * frame; everything else is here.
 *
 * Command line (both games):
 *   --seconds N   end after N seconds (default: run until the window closes)
 *   --fps N       present at most N frames a second (default 60; 0: as fast as it can)
 *   --late        load the graphics library only after the window exists
 *   --at X,Y      the window's top-left corner on the screen (default: the system's choice)
 *   --swapchain   (Direct3D 9) present through the swap chain instead of the device
 *
 * At its end a game prints one line on standard output and exits 0:
 *   frames=<presented> seconds=<elapsed> ms_per_frame=<mean frame time>
 * A game whose graphics cannot be set up prints why on standard error and
 * exits 1.
 */
#pragma once

#include <windows.h>

struct DemoOptions {
    double seconds;   /* 0: until closed */
    double fps;       /* 0: uncapped */
    BOOL late;
    BOOL swapChain;
    BOOL placed;
    int x;
    int y;
};

extern DemoOptions Options;
extern HWND GameWindow;

/* What a game provides to the frame loop. Setup returns 0 on success;
 * Frame draws the picture for a time in seconds and presents it, returning
 * 0 when the frame was presented. */
struct DemoGraphics {
    const char *name;
    int (*load)(void);      /* loads the graphics library; before or after the window (--late) */
    int (*setup)(HWND window, int width, int height);
    int (*frame)(double time, int width, int height);
    void (*cleanUp)(void);
};

/* Parses the command line, opens the window, runs the frames, prints the
 * result line; the exit code for main. */
int RunDemo(int argc, char **argv, const DemoGraphics *graphics);
