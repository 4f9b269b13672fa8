/*
 * Process lifecycle: start-up, main loop and orderly shutdown.
 *
 * Everything here is process-wide and lives as long as the process. The
 * folder buffers are filled once at start-up and handed to the hook library
 * by address, so they never move and never change afterwards.
 */
#pragma once

#include <windows.h>

#define FOLDER_BUFFER_SIZE 256

extern char ProgramFolder[FOLDER_BUFFER_SIZE];
extern char HelpFolder[FOLDER_BUFFER_SIZE];
extern char BenchmarksFolder[FOLDER_BUFFER_SIZE];
extern char SystemFolder[FOLDER_BUFFER_SIZE];

/* TRUE once every folder and the library path fitted their buffers whole. */
extern BOOL FolderPathsComplete;

extern HINSTANCE ProgramInstance;
extern UINT32 ShutdownFlag;
extern DWORD LastRefreshTime;

extern const UINT32 BuildNumber;
extern char VersionText[16];

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

/* Libraries loaded by name, by the runtimes or the shell on the process's
 * behalf, come from the program's folder or the system folder only; every
 * program of the companion's calls it first thing (folders.cpp). */
void RestrictLibrarySearch(void);

/* Folder layout (folders.cpp). */
void FillFolderPaths(void);

/*
 * Copies base followed by tail into dest (size bytes). Returns 0 on success;
 * when the result would not fit, returns 1 and leaves dest untouched.
 */
int JoinPath(char *dest, size_t size, const char *base, const char *tail);

/*
 * Cuts a module path at its last backslash into dest. Returns 0 on success,
 * 1 when the path has no backslash or does not fit (dest untouched).
 */
int ProgramFolderFromModulePath(char *dest, size_t size, const char *modulePath);
