/*
 * The ground every layer of the companion stands on: the program's instance,
 * build and version text, and its folders with the path rules that make
 * them. (The millisecond clock is in base/clock.h.)
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

/* Set at start-up, before any window or hook is made. */
extern HINSTANCE ProgramInstance;

extern const UINT32 BuildNumber;
/* "major.minor.patch", as the general page shows it. */
extern const char VersionText[];

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
