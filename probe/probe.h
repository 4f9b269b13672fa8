/*
 * Graphics entry-point discovery. ApiOffsets holds what the probes measured:
 * module-relative offsets, prologue probe codes and the display-driver kind.
 * Every field is 0 until the probes have run; the display-driver check
 * completes it. The order of the fields in memory is free: SetupCall passes
 * each one at its own argument position.
 */
#pragma once

#include <windows.h>

struct ApiOffsetsFields {
    UINT32 Reserved1;
    UINT32 Reserved2;
    UINT32 D3D9DevicePresentOffset;
    UINT32 D3D9SwapChainPresentOffset;
    UINT32 WglSwapBuffersOffset;
    UINT32 WglSwapLayerBuffersOffset;
    UINT32 D3D9DebugDevicePresentOffset;
    UINT32 D3D9DebugSwapChainPresentOffset;
    UINT32 D3D9SetCursorPropertiesOffset;
    UINT32 D3D9SetCursorPositionOffset;
    UINT32 D3D9ShowCursorOffset;
    UINT32 D3D9SetCursorPropertiesProbe;
    UINT32 D3D9SetCursorPositionProbe;
    UINT32 D3D9ShowCursorProbe;
    UINT32 Reserved3;
    UINT32 Reserved4;
    UINT32 Reserved5;
    UINT32 Reserved6;
    UINT32 Reserved7;
    UINT32 Reserved8;
    UINT32 D3D9DevicePresentProbe;
    UINT32 D3D9SwapChainPresentProbe;
    UINT32 Reserved9;
    UINT32 Reserved10;
    UINT32 Reserved11;
    UINT32 Reserved12;
    UINT32 Reserved13;
    UINT32 DisplayDriverKind;
};

extern ApiOffsetsFields ApiOffsets;

/*
 * Who owns what: the probes below are the only writers of ApiOffsets and of
 * the adapter driver information. The companion runs them once, at start-up
 * on its one thread, before the first SetupCall that carries their results
 * (zentu64-probe.exe runs them once too); afterwards everything here is only
 * read.
 */

/* Probe codes: what the first code bytes of an entry point looked like. */
#define PROBE_CODE_NONE 0u
#define PROBE_CODE_DEVICE_PRESENT 2306u
#define PROBE_CODE_CURSOR 2307u

/* How many code bytes the probe copies from an entry point. */
#define ENTRY_CODE_SIZE 16

/* Results of ProbeDirect3D9. */
enum {
    DIRECT3D9_PROBE_DONE = 0,
    DIRECT3D9_PROBE_NO_LIBRARY = 1,   /* D3D9.DLL not loadable from the system folder */
    DIRECT3D9_PROBE_NO_CREATE = 2,    /* no "Direct3DCreate9" export */
    DIRECT3D9_PROBE_NO_OBJECT = 3,    /* Direct3DCreate9 gave nothing for 31 nor 30 */
    DIRECT3D9_PROBE_NO_MODE = 4,      /* GetAdapterDisplayMode failed */
};

/* Results of ProbeOpenGL. */
enum {
    OPENGL_PROBE_DONE = 0,
    OPENGL_PROBE_NO_LIBRARY = 1,
    OPENGL_PROBE_NO_EXPORT = 2,
};

/* Values of DisplayDriverKind. */
enum {
    DISPLAY_DRIVER_OTHER = 0,
    DISPLAY_DRIVER_NVIDIA = 1,        /* "nv4_disp.dll" */
    DISPLAY_DRIVER_ATI = 2,           /* "ati2dvag.dll" */
};

/* The adapter's driver as the Direct3D 9 probe saw it: the Driver text of
 * the adapter identifier (empty when unknown) and its DriverVersion (0 when
 * unknown), whose 16-bit parts from high to low are product, version,
 * subversion and build. Read by the display-driver check only. */
#define ADAPTER_DRIVER_NAME_SIZE 512
extern char AdapterDriverName[ADAPTER_DRIVER_NAME_SIZE];
extern INT64 AdapterDriverVersion;

/* The graphics-card makers' home pages, named at the end of the warnings. */
extern const char NvidiaWebAddress[];
extern const char AtiWebAddress[];

/*
 * Measures the Direct3D 9 entry points of "<SystemFolder>\D3D9.DLL" with a
 * throw-away device on focusWindow (with NULL, on a hidden window of the
 * probe's own), and of D3D9D.DLL when the system loads the debug runtime.
 * Returns one of the DIRECT3D9_PROBE_ results. D3D9.DLL stays loaded after
 * DIRECT3D9_PROBE_DONE and is freed otherwise. "LoadDebugRuntime" under
 * HKLM "Software\Microsoft\Direct3D" reads 0 while the first pass measures
 * and 1 afterwards when it was non-zero before, whatever the result.
 */
int ProbeDirect3D9(HWND focusWindow);

/*
 * Measures wglSwapBuffers and wglSwapLayerBuffers inside
 * "<SystemFolder>\OPENGL32.DLL", which is freed again. Returns one of the
 * OPENGL_PROBE_ results; offsets not reached stay as they were.
 */
int ProbeOpenGL(void);

/*
 * Sets DisplayDriverKind from the adapter driver the Direct3D 9 probe saw
 * and, for an NVIDIA or ATI driver older than the version the capture needs,
 * warns the user with a box (start-up waits until it is closed).
 */
void CheckDisplayDriver(void);

/* CheckDisplayDriver without the box: sets DisplayDriverKind and returns
 * TRUE when the companion would warn. */
BOOL ClassifyDisplayDriver(void);

/* Rules of the probes, free of window and system calls. */

/* The low 32 bits of (entryPoint - moduleBase), taken as a 32-bit
 * subtraction of the low halves, wrapping modulo 2^32. */
UINT32 ModuleRelativeOffset(ULONG_PTR entryPoint, ULONG_PTR moduleBase);

/* TRUE when the address lies inside the image of module. */
BOOL AddressInModule(ULONG_PTR address, HMODULE module);

/* The offset of an entry point from the base of the module it must belong
 * to, or 0 when it lies outside that module. */
UINT32 MeasuredOffset(ULONG_PTR entryPoint, HMODULE module);

/* PROBE_CODE_DEVICE_PRESENT when all 16 bytes are the known Present
 * prologue, else PROBE_CODE_NONE. */
UINT32 DevicePresentProbeCode(const BYTE code[ENTRY_CODE_SIZE]);

/* PROBE_CODE_CURSOR when the first five bytes are 8B FF 55 8B EC
 * (mov edi, edi; push ebp; mov ebp, esp), else PROBE_CODE_NONE. */
UINT32 CursorProbeCode(const BYTE code[ENTRY_CODE_SIZE]);

/* "<folder>\<fileName>" into dest (size bytes). Returns 0 on success; 1 when
 * the folder is empty or the path would not fit (dest untouched), so that a
 * system library is never looked for anywhere but in a known folder. */
int SystemLibraryPath(char *dest, size_t size, const char *folder, const char *fileName);

/* DISPLAY_DRIVER_NVIDIA or _ATI when the driver file name is "nv4_disp.dll"
 * or "ati2dvag.dll" regardless of the case of ASCII letters, else
 * DISPLAY_DRIVER_OTHER. */
UINT32 DisplayDriverKindOf(const char *driverName);

/* TRUE when a driver of this kind is older than the version the capture
 * needs (signed comparison); never for DISPLAY_DRIVER_OTHER. */
BOOL DisplayDriverIsOutdated(UINT32 kind, INT64 driverVersion);

/* The text of the warning for an outdated driver of this kind, web address
 * included, into dest. Returns 0 on success; 1 for DISPLAY_DRIVER_OTHER or
 * when the text would not fit (dest untouched). */
int FormatDisplayDriverWarning(char *dest, size_t size, UINT32 kind);

/* "product.version.subversion.build" of a driver version into dest.
 * Returns 0 on success, 1 when it would not fit (dest untouched). */
int FormatDriverVersion(char *dest, size_t size, INT64 driverVersion);
