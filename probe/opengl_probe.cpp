/*
 * The OpenGL probe: where the two buffer-swap entry points lie inside the
 * system's OPENGL32.DLL, as offsets from its base. Unlike D3D9.DLL the
 * library is not kept: the offsets stay valid for the same file wherever a
 * game maps it.
 */
#include "probe/probe.h"

#include "base/base.h"

static BOOL MeasureExport(HMODULE library, const char *name, UINT32 *offset)
{
    FARPROC entryPoint = GetProcAddress(library, name);
    if (!entryPoint)
        return FALSE;
    /* An export forwarded to another library has no offset inside this one. */
    *offset = MeasuredOffset(reinterpret_cast<ULONG_PTR>(entryPoint), library);
    return TRUE;
}

int ProbeOpenGL(void)
{
    char path[FOLDER_BUFFER_SIZE];
    if (SystemLibraryPath(path, sizeof path, SystemFolder, "OPENGL32.DLL") != 0)
        return OPENGL_PROBE_NO_LIBRARY;
    HMODULE library = LoadLibraryA(path);
    if (!library)
        return OPENGL_PROBE_NO_LIBRARY;

    /* wglSwapBuffers keeps its offset even when the second export is missing. */
    int result = OPENGL_PROBE_DONE;
    if (!MeasureExport(library, "wglSwapBuffers", &ApiOffsets.WglSwapBuffersOffset) ||
        !MeasureExport(library, "wglSwapLayerBuffers", &ApiOffsets.WglSwapLayerBuffersOffset))
        result = OPENGL_PROBE_NO_EXPORT;
    FreeLibrary(library);
    return result;
}
