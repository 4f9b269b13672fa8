/*
 * A library the hook library loads by its bare name, planted by a test. If
 * it is ever loaded, it leaves the file "planted-library-loaded" beside
 * itself and refuses to stay.
 */
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    char *slash = length && length < sizeof path ? strrchr(path, '\\') : NULL;
    if (slash && (size_t)(slash - path) + sizeof "\\planted-library-loaded" <= sizeof path) {
        strcpy(slash, "\\planted-library-loaded");
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return FALSE;
}
