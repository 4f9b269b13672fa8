/*
 * The Direct3D 9 probe. A throw-away windowed device tells where Present and
 * the cursor methods of the system's D3D9.DLL lie: the interface tables of
 * the device and its swap chain point into the library, and the hook library
 * finds the same entry points in a game at the same offsets from the
 * library's base. The adapter identifier tells which display driver runs.
 *
 * When the system is set to load the debug runtime, Direct3DCreate9 hands
 * out objects of D3D9D.DLL instead. The first pass must see the retail
 * runtime, so the setting is switched off while it measures; a second,
 * shorter pass then measures Present inside the debug runtime.
 */
#include "probe/probe.h"

#include "base/base.h"

#include <d3d9.h>
#include <string.h>

char AdapterDriverName[ADAPTER_DRIVER_NAME_SIZE];
INT64 AdapterDriverVersion;

/* Kept loaded for the life of the process once a probe succeeded: games get
 * the same library, and the offsets are only meaningful against it. */
static HMODULE Direct3D9Library;

typedef IDirect3D9 *(WINAPI DIRECT3D_CREATE9_PROC)(UINT sdkVersion);

static const char Direct3DKeyPath[] = "Software\\Microsoft\\Direct3D";
static const char DebugRuntimeValueName[] = "LoadDebugRuntime";

/* Interface table slots, 0-based with the three IUnknown methods first. The
 * methods in these slots are only located, never called. */
enum {
    SWAP_CHAIN_PRESENT_SLOT = 3,
    DEVICE_SET_CURSOR_PROPERTIES_SLOT = 10,
    DEVICE_SET_CURSOR_POSITION_SLOT = 11,
    DEVICE_SHOW_CURSOR_SLOT = 12,
    DEVICE_PRESENT_SLOT = 17,
};

/* The cursor methods, measured in this order. */
struct CursorEntryPoint {
    size_t slot;
    UINT32 ApiOffsetsFields::*offset;
    UINT32 ApiOffsetsFields::*probe;
};
static const CursorEntryPoint CursorEntryPoints[] = {
    { DEVICE_SET_CURSOR_PROPERTIES_SLOT, &ApiOffsetsFields::D3D9SetCursorPropertiesOffset,
      &ApiOffsetsFields::D3D9SetCursorPropertiesProbe },
    { DEVICE_SET_CURSOR_POSITION_SLOT, &ApiOffsetsFields::D3D9SetCursorPositionOffset,
      &ApiOffsetsFields::D3D9SetCursorPositionProbe },
    { DEVICE_SHOW_CURSOR_SLOT, &ApiOffsetsFields::D3D9ShowCursorOffset, &ApiOffsetsFields::D3D9ShowCursorProbe },
};

/* The address in one slot of a COM object's interface table; the table's
 * address is the object's first member. */
static ULONG_PTR InterfaceSlot(const void *object, size_t slot)
{
    const ULONG_PTR *table;
    memcpy(&table, object, sizeof table);
    return table[slot];
}

/* Copies the first code bytes of an entry point. ReadProcessMemory on our
 * own process turns an unmapped or protected entry point into a failed call
 * instead of an access violation. */
static BOOL ReadEntryCode(ULONG_PTR entryPoint, BYTE code[ENTRY_CODE_SIZE])
{
    memset(code, 0, ENTRY_CODE_SIZE);
    SIZE_T copied = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(entryPoint), code, ENTRY_CODE_SIZE,
                             &copied) &&
           copied == ENTRY_CODE_SIZE;
}

/* A code that could not be read matches nothing. */
static UINT32 ProbeEntryPoint(ULONG_PTR entryPoint, UINT32 (*match)(const BYTE *))
{
    BYTE code[ENTRY_CODE_SIZE];
    if (!ReadEntryCode(entryPoint, code))
        return PROBE_CODE_NONE;
    return match(code);
}

/*
 * Opens (creating it if need be) the key where the runtime keeps its
 * settings. The setting is only ever touched in a key that was already
 * there; a key this call created stays empty. NULL when it cannot be opened.
 */
static HKEY OpenDirect3DKey(BOOL *existed)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, Direct3DKeyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return NULL;
    *existed = disposition == REG_OPENED_EXISTING_KEY;
    return key;
}

static void WriteDebugRuntime(HKEY key, DWORD value)
{
    RegSetValueExA(key, DebugRuntimeValueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                   sizeof value);
}

/* Returns the "LoadDebugRuntime" setting as it was (0 when absent, not a
 * REG_DWORD or unreadable) and sets it to 0 when it was on. */
static DWORD SwitchOffDebugRuntime(void)
{
    BOOL existed = FALSE;
    HKEY key = OpenDirect3DKey(&existed);
    if (!key)
        return 0;
    DWORD remembered = 0;
    if (existed) {
        DWORD type = REG_NONE;
        DWORD value = 0;
        DWORD size = sizeof value;
        /* Only a 4-byte number is the runtime's setting; rewriting anything
         * else as a number would change what the user stored. */
        if (RegQueryValueExA(key, DebugRuntimeValueName, NULL, &type, reinterpret_cast<BYTE *>(&value),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value)
            remembered = value;
        if (remembered != 0)
            WriteDebugRuntime(key, 0);
    }
    RegCloseKey(key);
    return remembered;
}

/* Turns the debug runtime back on: always with 1, whatever non-zero value
 * was there before. */
static void SwitchOnDebugRuntime(void)
{
    BOOL existed = FALSE;
    HKEY key = OpenDirect3DKey(&existed);
    if (!key)
        return;
    if (existed)
        WriteDebugRuntime(key, 1);
    RegCloseKey(key);
}

/* SDK version 31 first; runtimes that predate it still answer to 30. */
static IDirect3D9 *CreateDirect3D9(DIRECT3D_CREATE9_PROC *create)
{
    IDirect3D9 *direct3d = create(31);
    if (!direct3d)
        direct3d = create(30);
    return direct3d;
}

/* Without a device window of its own the runtime presents to the focus
 * window, the general page, which Wine then renders through OpenGL for good:
 * its controls never paint again. The offsets are the same either way. */
struct ProbeWindows {
    HWND focus;
    HWND device;
};

/* A windowed device in the display's current format, with nothing else
 * asked for; NULL when the system cannot make one. */
static IDirect3DDevice9 *CreateProbeDevice(IDirect3D9 *direct3d, const ProbeWindows &windows,
                                           const D3DDISPLAYMODE *mode)
{
    D3DPRESENT_PARAMETERS parameters;
    memset(&parameters, 0, sizeof parameters);
    parameters.hDeviceWindow = windows.device;
    parameters.BackBufferFormat = mode->Format;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    IDirect3DDevice9 *device = NULL;
    HRESULT result = direct3d->CreateDevice(0, D3DDEVTYPE_HAL, windows.focus, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                            &parameters, &device);
    /* A runtime that reports success without a device is treated as one that
     * could not make it. */
    if (FAILED(result) || !device)
        return NULL;
    return device;
}

/* The offset of the device's first swap chain's Present into *offset; left
 * as it was when the device has no swap chain to give. Returns TRUE when set. */
static BOOL MeasureSwapChainPresent(IDirect3DDevice9 *device, HMODULE module, UINT32 *offset)
{
    IDirect3DSwapChain9 *swapChain = NULL;
    if (FAILED(device->GetSwapChain(0, &swapChain)) || !swapChain)
        return FALSE;
    *offset = MeasuredOffset(InterfaceSlot(swapChain, SWAP_CHAIN_PRESENT_SLOT), module);
    swapChain->Release();
    return TRUE;
}

/* The probe code of an entry point, looked at only when it was measured:
 * code outside the runtime says nothing about what a game will run. */
static UINT32 ProbeMeasuredEntryPoint(ULONG_PTR entryPoint, UINT32 offset, UINT32 (*match)(const BYTE *))
{
    return offset != 0 ? ProbeEntryPoint(entryPoint, match) : PROBE_CODE_NONE;
}

/* Every entry point of the device, in order. */
static void MeasureDevice(IDirect3DDevice9 *device, HMODULE module)
{
    ApiOffsetsFields &api = ApiOffsets;
    if (MeasureSwapChainPresent(device, module, &api.D3D9SwapChainPresentOffset))
        api.D3D9SwapChainPresentProbe = PROBE_CODE_NONE;

    ULONG_PTR present = InterfaceSlot(device, DEVICE_PRESENT_SLOT);
    api.D3D9DevicePresentOffset = MeasuredOffset(present, module);
    api.D3D9DevicePresentProbe = ProbeMeasuredEntryPoint(present, api.D3D9DevicePresentOffset, DevicePresentProbeCode);

    api.Reserved12 = 0;
    api.Reserved13 = 0;

    for (const CursorEntryPoint &entry : CursorEntryPoints) {
        ULONG_PTR address = InterfaceSlot(device, entry.slot);
        api.*entry.probe = PROBE_CODE_NONE;
        api.*entry.offset = MeasuredOffset(address, module);
        api.*entry.probe = ProbeMeasuredEntryPoint(address, api.*entry.offset, CursorProbeCode);
    }
}

/* The adapter's driver file name and version, for the display-driver check. */
static void ReadAdapterDriver(IDirect3D9 *direct3d)
{
    D3DADAPTER_IDENTIFIER9 identifier;
    memset(&identifier, 0, sizeof identifier);
    if (FAILED(direct3d->GetAdapterIdentifier(0, 0, &identifier))) {
        AdapterDriverName[0] = '\0';
        AdapterDriverVersion = 0;
        return;
    }
    /* The runtime's text is meant to be terminated within its 512 bytes;
     * one that is not is cut to the 511 characters our buffer holds. */
    size_t length = strnlen(identifier.Driver, sizeof identifier.Driver);
    if (length >= sizeof AdapterDriverName)
        length = sizeof AdapterDriverName - 1;
    memcpy(AdapterDriverName, identifier.Driver, length);
    AdapterDriverName[length] = '\0';
    AdapterDriverVersion = identifier.DriverVersion.QuadPart;
}

/*
 * What both passes do with their Direct3D object: the display's current
 * mode, then the throw-away device, which measure() reads before it goes.
 * DIRECT3D9_PROBE_NO_MODE when the adapter tells no mode. No device is no
 * error: the device's fields simply stay as they are.
 */
static int MeasurePass(IDirect3D9 *direct3d, const ProbeWindows &windows, HMODULE module,
                       void (*measure)(IDirect3DDevice9 *device, HMODULE module))
{
    D3DDISPLAYMODE mode;
    if (FAILED(direct3d->GetAdapterDisplayMode(0, &mode)))
        return DIRECT3D9_PROBE_NO_MODE;
    IDirect3DDevice9 *device = CreateProbeDevice(direct3d, windows, &mode);
    if (device) {
        measure(device, module);
        device->Release();
    }
    return DIRECT3D9_PROBE_DONE;
}

/*
 * The retail runtime. *library receives D3D9.DLL once it is loaded and
 * *create its Direct3DCreate9, whatever the result; the caller decides
 * whether the library stays.
 */
static int MeasureRetailRuntime(const ProbeWindows &windows, HMODULE *library, DIRECT3D_CREATE9_PROC **create)
{
    char path[FOLDER_BUFFER_SIZE];
    if (SystemLibraryPath(path, sizeof path, SystemFolder, "D3D9.DLL") != 0)
        return DIRECT3D9_PROBE_NO_LIBRARY;
    *library = LoadLibraryA(path);
    if (!*library)
        return DIRECT3D9_PROBE_NO_LIBRARY;

    /* GetProcAddress hands back a generic pointer; the export's real type
     * is the runtime's documented one. */
    *create = reinterpret_cast<DIRECT3D_CREATE9_PROC *>(
        reinterpret_cast<void *>(GetProcAddress(*library, "Direct3DCreate9")));
    if (!*create)
        return DIRECT3D9_PROBE_NO_CREATE;

    IDirect3D9 *direct3d = CreateDirect3D9(*create);
    if (!direct3d)
        return DIRECT3D9_PROBE_NO_OBJECT;

    int result = MeasurePass(direct3d, windows, *library, MeasureDevice);
    if (result == DIRECT3D9_PROBE_DONE)
        ReadAdapterDriver(direct3d);
    direct3d->Release();
    return result;
}

/* Present of the device and of its swap chain inside the debug runtime. The
 * adapter is not asked again and no code bytes are read: the hook library
 * only needs to know where Present lies in it. */
static void MeasureDebugDevice(IDirect3DDevice9 *device, HMODULE debugLibrary)
{
    MeasureSwapChainPresent(device, debugLibrary, &ApiOffsets.D3D9DebugSwapChainPresentOffset);
    ApiOffsets.D3D9DebugDevicePresentOffset = MeasuredOffset(InterfaceSlot(device, DEVICE_PRESENT_SLOT), debugLibrary);
}

/* The debug runtime, which the runtime maps behind Direct3DCreate9 now that
 * the setting is on again. */
static int MeasureDebugRuntime(const ProbeWindows &windows, DIRECT3D_CREATE9_PROC *create)
{
    IDirect3D9 *direct3d = CreateDirect3D9(create);
    if (!direct3d)
        return DIRECT3D9_PROBE_NO_OBJECT;

    HMODULE debugLibrary = GetModuleHandleA("D3D9D.DLL");
    if (!debugLibrary) {
        /* The system has the setting but not the debug runtime. */
        direct3d->Release();
        return DIRECT3D9_PROBE_DONE;
    }

    int result = MeasurePass(direct3d, windows, debugLibrary, MeasureDebugDevice);
    direct3d->Release();
    return result;
}

/*
 * A hidden window of the probe's own, for the time of the measurement: the
 * swap chain's window, and the focus window when there is no page to offer
 * (the diagnostics tool never has one).
 */
static HWND CreateHiddenProbeWindow(void)
{
    return CreateWindowExA(0, "STATIC", "ZENTU64 probe", WS_POPUP, 0, 0, 1, 1, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

int ProbeDirect3D9(HWND focusWindow)
{
    ApiOffsets.D3D9DebugDevicePresentOffset = 0;
    ApiOffsets.D3D9DebugSwapChainPresentOffset = 0;
    DWORD debugRuntime = SwitchOffDebugRuntime();

    HWND fallbackWindow = NULL;
    if (!focusWindow)
        focusWindow = fallbackWindow = CreateHiddenProbeWindow();
    const ProbeWindows windows = { focusWindow, CreateHiddenProbeWindow() };

    HMODULE library = NULL;
    DIRECT3D_CREATE9_PROC *create = NULL;
    int result = MeasureRetailRuntime(windows, &library, &create);
    /* The user's setting goes back on whether or not the first pass got
     * through; only then can the debug pass see the debug runtime. */
    if (debugRuntime != 0) {
        SwitchOnDebugRuntime();
        if (result == DIRECT3D9_PROBE_DONE)
            result = MeasureDebugRuntime(windows, create);
    }

    if (fallbackWindow)
        DestroyWindow(fallbackWindow);
    if (windows.device)
        DestroyWindow(windows.device);
    if (result == DIRECT3D9_PROBE_DONE)
        Direct3D9Library = library;
    else if (library)
        FreeLibrary(library);
    return result;
}
