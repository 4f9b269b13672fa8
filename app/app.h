/*
 * Process lifecycle: start-up in its fixed order, the main loop and the
 * orderly shutdown. The top of the companion: no other folder of the
 * product includes it.
 */
#pragma once

#include <windows.h>

extern DWORD LastRefreshTime;

/* Exit codes of the process. */
enum {
    EXIT_NORMAL = 0,
    EXIT_ALREADY_RUNNING = 1,        /* also when an elevated instance holds the mutex */
    EXIT_NO_LIBRARY = 2,
    EXIT_NO_LIBRARY_VERSION = 3,
    EXIT_WRONG_LIBRARY_VERSION = 4,
    EXIT_NO_DIRECT3D9 = 7,
    EXIT_DIRECT3D9_UNUSABLE = 8,
};

/* Runs the whole life of the companion; the result is the exit code. */
int ZentuMain(HINSTANCE instance, const char *commandLine);

/* The main loop: runs while "Running" is non-zero and the session lasts;
 * returns at a WM_QUIT. */
void RunMainLoop(void);

/* The system ends the user's session: the hook library gets its last call
 * and loses its hooks now, or right after a library call under way returns,
 * and the loop ends for good. */
void EndCompanionSession(void);
