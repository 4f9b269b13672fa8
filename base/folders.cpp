/* The four folder buffers of the companion, filled once at start-up, and the
 * folders that libraries loaded by name may come from. */
#include "base/base.h"

#include <string.h>

char ProgramFolder[FOLDER_BUFFER_SIZE];
char HelpFolder[FOLDER_BUFFER_SIZE];
char BenchmarksFolder[FOLDER_BUFFER_SIZE];
char SystemFolder[FOLDER_BUFFER_SIZE];
BOOL FolderPathsComplete;

int JoinPath(char *dest, size_t size, const char *base, const char *tail)
{
    size_t baseLength = strlen(base);
    size_t tailLength = strlen(tail);
    if (size == 0 || baseLength >= size || tailLength >= size - baseLength)
        return 1;
    memcpy(dest, base, baseLength);
    memcpy(dest + baseLength, tail, tailLength + 1);
    return 0;
}

int ProgramFolderFromModulePath(char *dest, size_t size, const char *modulePath)
{
    const char *lastBackslash = strrchr(modulePath, '\\');
    if (!lastBackslash)
        return 1;
    size_t length = (size_t)(lastBackslash - modulePath);
    if (length >= size)
        return 1;
    memcpy(dest, modulePath, length);
    dest[length] = '\0';
    return 0;
}

void FillFolderPaths(void)
{
    /* GetModuleFileNameA fills the buffer completely when the path is too
     * long (and older systems leave it unterminated), so a full buffer means
     * a cut path that must not be used. */
    char modulePath[FOLDER_BUFFER_SIZE];
    DWORD length = GetModuleFileNameA(NULL, modulePath, sizeof modulePath);
    BOOL complete = length > 0 && length < sizeof modulePath;

    if (complete)
        complete = ProgramFolderFromModulePath(ProgramFolder, sizeof ProgramFolder, modulePath) == 0;
    if (complete)
        complete = JoinPath(HelpFolder, sizeof HelpFolder, ProgramFolder, "\\help") == 0;
    if (complete)
        complete = JoinPath(BenchmarksFolder, sizeof BenchmarksFolder, ProgramFolder, "\\benchmarks") == 0;
    if (complete) {
        /* The library path is built again when it is loaded; checking it here
         * keeps every derived path of one program folder whole or unused. */
        char libraryPath[FOLDER_BUFFER_SIZE];
        complete = JoinPath(libraryPath, sizeof libraryPath, ProgramFolder, "\\zentu64.dll") == 0;
    }
    FolderPathsComplete = complete;

    UINT systemLength = GetSystemDirectoryA(SystemFolder, sizeof SystemFolder);
    if (systemLength == 0 || systemLength >= sizeof SystemFolder)
        SystemFolder[0] = '\0';
}

/* Libraries loaded by name on the process's behalf (by the runtimes or the
 * shell) come from the program's own folder or the system folder, never from
 * the current folder or along PATH, where anyone may plant one. */
void RestrictLibrarySearch(void)
{
    typedef BOOL(WINAPI SET_DEFAULT_DLL_DIRECTORIES_PROC)(DWORD flags);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SET_DEFAULT_DLL_DIRECTORIES_PROC *setDefault =
        kernel ? reinterpret_cast<SET_DEFAULT_DLL_DIRECTORIES_PROC *>(
                     reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
               : NULL;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    /* Older systems: at least take the current folder out of the search. */
    SetDllDirectoryA("");
}
