/*
 * zentu64-probe.exe: runs the companion's graphics probes and the
 * display-driver classification exactly as start-up does, without the hook
 * library, without hooks and without any box, and prints what they found as
 * INI text on standard output. Support staff ask for it when an overlay does
 * not show up in a game.
 *
 * The exit code is the Direct3D 9 probe's result (0 done, 1 no D3D9.DLL,
 * 2 no Direct3DCreate9, 3 no Direct3D object, 4 no display mode).
 * "LoadDebugRuntime" is switched and restored by the probe itself, as in the
 * companion.
 */
#include "base/base.h"
#include "probe/probe.h"

#include <stdio.h>

/* Every ApiOffsets field in the order of the hook library's arguments. */
struct ReportField {
    const char *name;
    UINT32 ApiOffsetsFields::*field;
    BOOL hex;
};

#define OFFSET_FIELD(name) { #name, &ApiOffsetsFields::name, TRUE }
#define NUMBER_FIELD(name) { #name, &ApiOffsetsFields::name, FALSE }

static const ReportField ReportFields[] = {
    NUMBER_FIELD(Reserved1),
    NUMBER_FIELD(Reserved2),
    OFFSET_FIELD(D3D9DevicePresentOffset),
    OFFSET_FIELD(D3D9SwapChainPresentOffset),
    OFFSET_FIELD(WglSwapBuffersOffset),
    OFFSET_FIELD(WglSwapLayerBuffersOffset),
    OFFSET_FIELD(D3D9DebugDevicePresentOffset),
    OFFSET_FIELD(D3D9DebugSwapChainPresentOffset),
    OFFSET_FIELD(D3D9SetCursorPropertiesOffset),
    OFFSET_FIELD(D3D9SetCursorPositionOffset),
    OFFSET_FIELD(D3D9ShowCursorOffset),
    NUMBER_FIELD(D3D9SetCursorPropertiesProbe),
    NUMBER_FIELD(D3D9SetCursorPositionProbe),
    NUMBER_FIELD(D3D9ShowCursorProbe),
    NUMBER_FIELD(Reserved3),
    NUMBER_FIELD(Reserved4),
    NUMBER_FIELD(Reserved5),
    NUMBER_FIELD(Reserved6),
    NUMBER_FIELD(Reserved7),
    NUMBER_FIELD(Reserved8),
    NUMBER_FIELD(D3D9DevicePresentProbe),
    NUMBER_FIELD(D3D9SwapChainPresentProbe),
    NUMBER_FIELD(Reserved9),
    NUMBER_FIELD(Reserved10),
    NUMBER_FIELD(Reserved11),
    NUMBER_FIELD(Reserved12),
    NUMBER_FIELD(Reserved13),
    NUMBER_FIELD(DisplayDriverKind),
};

static const char *DisplayDriverKindName(UINT32 kind)
{
    switch (kind) {
    case DISPLAY_DRIVER_NVIDIA:
        return "NVIDIA";
    case DISPLAY_DRIVER_ATI:
        return "ATI";
    default:
        return "other";
    }
}

/* The driver text comes from the display driver: control characters would
 * break the INI lines, so they are shown as '?'. */
static void PrintDriverName(const char *name)
{
    fputs("AdapterDriverName=", stdout);
    for (const char *c = name; *c; c++)
        putchar((unsigned char)*c < 0x20 || *c == 0x7F ? '?' : *c);
    putchar('\n');
}

int main(void)
{
    /* The graphics runtimes load further libraries by name, and support
     * staff run the tool from wherever they saved it. */
    RestrictLibrarySearch();
    FillFolderPaths();

    /* The companion's order: OpenGL, Direct3D 9 (on a hidden window of the
     * probe's own, as there is no page here), then the driver check, which
     * start-up only reaches when the Direct3D 9 probe succeeded. */
    int openGlResult = ProbeOpenGL();
    int direct3dResult = ProbeDirect3D9(NULL);
    BOOL warning = FALSE;
    if (direct3dResult == DIRECT3D9_PROBE_DONE)
        warning = ClassifyDisplayDriver();

    printf("[Probe]\n");
    printf("SystemFolder=%s\n", SystemFolder);
    printf("Direct3D9Result=%d\n", direct3dResult);
    printf("OpenGLResult=%d\n", openGlResult);

    printf("\n[ApiOffsets]\n");
    for (const ReportField &field : ReportFields)
        printf(field.hex ? "%s=0x%08X\n" : "%s=%u\n", field.name, (unsigned)(ApiOffsets.*field.field));

    char version[32] = "?";
    FormatDriverVersion(version, sizeof version, AdapterDriverVersion);
    printf("\n[DisplayDriver]\n");
    PrintDriverName(AdapterDriverName);
    printf("AdapterDriverVersion=%s\n", version);
    printf("Kind=%s\n", DisplayDriverKindName(ApiOffsets.DisplayDriverKind));
    printf("Warning=%s\n", warning ? "yes" : "no");
    fflush(stdout);
    return direct3dResult;
}
