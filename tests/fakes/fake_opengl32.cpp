/*
 * Test double of the system's OPENGL32.DLL: the two buffer-swap exports the
 * probe locates, as real functions that record a call if one ever came (the
 * probe must only locate them). Built with FAKE_NO_SWAP_BUFFERS or
 * FAKE_NO_SWAP_LAYER_BUFFERS, the library lacks that export.
 *
 * Record: when ZENTU_FAKE_LOG names a file, each call appends one line.
 */
/* Without the platform's declarations of the two functions, which import
 * them from the real library. */
#define NOGDI
#include <windows.h>

#define EXPORT extern "C" __declspec(dllexport)

static void Record(const char *line)
{
    char path[MAX_PATH];
    DWORD pathLength = GetEnvironmentVariableA("ZENTU_FAKE_LOG", path, sizeof path);
    if (pathLength == 0 || pathLength >= sizeof path)
        return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, NULL);
    CloseHandle(file);
}

#ifndef FAKE_NO_SWAP_BUFFERS
EXPORT BOOL WINAPI wglSwapBuffers(HDC dc)
{
    (void)dc;
    Record("OPENGL32 wglSwapBuffers\r\n");
    return FALSE;
}
#endif

#ifndef FAKE_NO_SWAP_LAYER_BUFFERS
EXPORT BOOL WINAPI wglSwapLayerBuffers(HDC dc, UINT planes)
{
    (void)dc;
    (void)planes;
    Record("OPENGL32 wglSwapLayerBuffers\r\n");
    return FALSE;
}
#endif
