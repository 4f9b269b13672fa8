/*
 * Test double of the system's OPENGL32.DLL: the two buffer-swap exports the
 * probe locates. A call, which the probe must never make, leaves a "Called"
 * line in the record (ZENTU_FAKE_LOG). Built with FAKE_NO_SWAP_BUFFERS or
 * FAKE_NO_SWAP_LAYER_BUFFERS, the library lacks that export.
 */
#define NOGDI /* without the platform's declarations, which import them */
#include "tests/support/call_record.h"

static BOOL Called(void)
{
    char path[MAX_PATH];
    RecordLine line;
    RecordStart(&line, "Called");
    if (GetEnvironmentVariableA("ZENTU_FAKE_LOG", path, sizeof path) - 1 < sizeof path - 1)
        RecordWrite(&line, path);
    return FALSE;
}

#ifndef FAKE_NO_SWAP_BUFFERS
extern "C" __declspec(dllexport) BOOL WINAPI wglSwapBuffers(HDC) { return Called(); }
#endif
#ifndef FAKE_NO_SWAP_LAYER_BUFFERS
extern "C" __declspec(dllexport) BOOL WINAPI wglSwapLayerBuffers(HDC, UINT) { return Called(); }
#endif
