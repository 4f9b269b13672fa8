/*
 * The exports of the hook library "zentu64.dll" as the companion calls them.
 * Both the companion and the stand-in library build against this header, so
 * a change of the argument list shows up in both at compile time.
 *
 * Hook handles and addresses are 64-bit; every other argument is a 32-bit
 * integer. The comment on each line is the argument's position.
 */
#pragma once

#include <windows.h>

typedef int (WINAPI ZENTU_SETUP_PROC)(
    HHOOK cbtHook,                        /*  1 WH_CBT hook, null until installed */
    HHOOK callWndProcHook,                /*  2 WH_CALLWNDPROC hook, null until installed */
    UINT32 shutdownFlag,                  /*  3 1 only in the last call */
    UINT32 always1a,                      /*  4 always 1 */
    UINT32 samplingRate,                  /*  5 "Sampling Rate" */
    const char *programFolder,            /*  6 */
    const char *movieDirectory,           /*  7 "Movie Directory" buffer */
    const char *screenshotDirectory,      /*  8 "Screenshot Directory" buffer */
    const char *benchmarksFolder,         /*  9 */
    UINT32 detailedStats,                 /* 10 "Detailed Stats" */
    UINT32 overlayCorner,                 /* 11 "Overlay Corner" */
    UINT32 reserved1,                     /* 12 */
    UINT32 reserved2,                     /* 13 */
    UINT32 d3d9DevicePresentOffset,       /* 14 */
    UINT32 d3d9SwapChainPresentOffset,    /* 15 */
    UINT32 wglSwapBuffersOffset,          /* 16 */
    UINT32 wglSwapLayerBuffersOffset,     /* 17 */
    UINT32 always0a,                      /* 18 always 0 */
    const char *systemFolder,             /* 19 */
    UINT32 movieFramerate,                /* 20 "Movie Framerate" */
    UINT32 always0b,                      /* 21 always 0 */
    UINT32 always1b,                      /* 22 always 1 */
    UINT32 framerateOnScreenshot,         /* 23 "Framerate On Screenshot" */
    UINT32 movieHalfSize,                 /* 24 "Movie Half Size" */
    void *libraryBuffer,                  /* 25 516 bytes owned by the companion */
    UINT32 noCursor,                      /* 26 "No Cursor" */
    UINT32 noSync,                        /* 27 "No Sync" */
    UINT32 benchmarkStop,                 /* 28 "Benchmark Stop" */
    UINT32 benchmarkTime,                 /* 29 "Benchmark Time" */
    UINT32 captureWidth,                  /* 30 */
    UINT32 captureHeight,                 /* 31 */
    UINT32 captureBufferSize,             /* 32 */
    UINT32 always0c,                      /* 33 always 0 */
    UINT32 d3d9DebugDevicePresentOffset,  /* 34 */
    UINT32 d3d9DebugSwapChainPresentOffset, /* 35 */
    UINT32 d3d9SetCursorPropertiesOffset, /* 36 */
    UINT32 d3d9SetCursorPositionOffset,   /* 37 */
    UINT32 d3d9ShowCursorOffset,          /* 38 */
    UINT32 d3d9SetCursorPropertiesProbe,  /* 39 */
    UINT32 d3d9SetCursorPositionProbe,    /* 40 */
    UINT32 d3d9ShowCursorProbe,           /* 41 */
    UINT32 reserved3,                     /* 42 */
    UINT32 reserved4,                     /* 43 */
    UINT32 reserved5,                     /* 44 */
    UINT32 reserved6,                     /* 45 */
    UINT32 reserved7,                     /* 46 */
    UINT32 reserved8,                     /* 47 */
    UINT32 d3d9DevicePresentProbe,        /* 48 */
    UINT32 d3d9SwapChainPresentProbe,     /* 49 */
    UINT32 reserved9,                     /* 50 */
    UINT32 reserved10,                    /* 51 */
    UINT32 reserved11,                    /* 52 */
    UINT32 reserved12,                    /* 53 */
    UINT32 reserved13,                    /* 54 */
    UINT32 displayDriverKind,             /* 55 */
    UINT32 overlayKey,                    /* 56 "Overlay Key" */
    UINT32 logKey,                        /* 57 "Log Key" */
    UINT32 movieKey,                      /* 58 "Movie Key" */
    UINT32 captureKey);                   /* 59 "Capture Key" */

/* Called by the frame-rate page with 1 and 0. */
typedef int (WINAPI ZENTU_COUNT_PROC)(UINT32 first, UINT32 second);

/* Must return the companion's build number. */
typedef UINT32 (WINAPI ZENTU_VERSION_PROC)(void);

/* Resolved but never called by the companion. */
typedef int (WINAPI ZENTU_UNUSED_PROC)(void);

#define ZENTU_SETUP_ARG_COUNT 59
