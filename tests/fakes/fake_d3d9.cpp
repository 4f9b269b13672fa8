/*
 * Test double of D3D9.DLL and, built with FAKE_DEBUG_RUNTIME, of D3D9D.DLL:
 * real functions in the slots the probe calls, exported code arrays in the
 * slots it only locates. Like the real runtime, D3D9.DLL lets D3D9D.DLL from
 * its own folder create the objects while "LoadDebugRuntime" is a non-zero
 * number. Words in ZENTU_FAKE_D3D9 (D3D9D.DLL reads them with "debug-" in
 * front): create31-null create30-null mode-fails device-fails swapchain-fails,
 * no-debug-runtime debug-always load-helper.
 * ZENTU_FAKE_LIVE counts the objects alive: in-process, it outlives the library.
 */
#include <windows.h>

#include <d3d9types.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef FAKE_DEBUG_RUNTIME
static const char Prefix[] = "debug-";
#else
static const char Prefix[] = "";
#endif

extern "C" { /* definitions, hence the braces */
__declspec(dllexport) BYTE FakeDevicePresentCode[16], FakeSwapChainPresentCode[16], FakeSetCursorPropertiesCode[16],
    FakeSetCursorPositionCode[16], FakeShowCursorCode[16];
}
extern const void *SwapChainTable[4], *DeviceTable[18], *Direct3DTable[17];

/* Whether ZENTU_FAKE_D3D9 holds the word. */
static bool Word(const char *word)
{
    char words[4096] = " ";
    char key[64];
    DWORD length = GetEnvironmentVariableA("ZENTU_FAKE_D3D9", words + 1, sizeof words - 2);
    strcpy(words + (length < sizeof words - 2 ? length + 1 : 1), " ");
    snprintf(key, sizeof key, " %s%s ", Prefix, word);
    return strstr(words, key) != NULL;
}

static void CountLive(int change)
{
    char count[16] = "0";
    GetEnvironmentVariableA("ZENTU_FAKE_LIVE", count, sizeof count);
    snprintf(count, sizeof count, "%d", atoi(count) + change);
    SetEnvironmentVariableA("ZENTU_FAKE_LIVE", count);
}

#define NOT_AVAILABLE ((HRESULT)0x8876086AL) /* D3DERR_NOTAVAILABLE */

struct FakeObject {
    const void *const *table; /* first, as COM lays an object out */
    LONG references;
    FakeObject *parent; /* a device holds its Direct3D object, a swap chain its device */
};

/* A new object unless the behaviour has failWord. */
static HRESULT Make(const char *failWord, const void *const *table, FakeObject *parent, FakeObject **out)
{
    *out = Word(failWord) ? NULL : new FakeObject{ table, 1, parent };
    if (*out && parent)
        parent->references++;
    if (*out)
        CountLive(1);
    return *out ? S_OK : NOT_AVAILABLE;
}

static ULONG STDMETHODCALLTYPE Release(FakeObject *self)
{
    LONG left = --self->references;
    if (left == 0) {
        CountLive(-1);
        if (self->parent)
            Release(self->parent);
        delete self;
    }
    return (ULONG)left;
}

static HRESULT STDMETHODCALLTYPE GetSwapChain(FakeObject *self, UINT, FakeObject **swapChain)
{
    return Make("swapchain-fails", SwapChainTable, self, swapChain);
}

static HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(FakeObject *, UINT, DWORD, D3DADAPTER_IDENTIFIER9 *id)
{
    snprintf(id->Driver, sizeof id->Driver, "NV4_DISP.DLL");
    id->DriverVersion.QuadPart = Word("driver-current") ? 0x0006000E000110FF : 0x0006000E000110FE; /* 4351: no warning */
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(FakeObject *, UINT, D3DDISPLAYMODE *mode)
{
    *mode = { 1280, 1024, 60, D3DFMT_X8R8G8B8 };
    return Word("mode-fails") ? NOT_AVAILABLE : S_OK;
}

static HRESULT STDMETHODCALLTYPE CreateDevice(FakeObject *self, UINT, D3DDEVTYPE, HWND focus, DWORD,
                                             D3DPRESENT_PARAMETERS *parameters, FakeObject **device)
{
    /* A windowed device needs both, as a runtime's does. */
    if (!IsWindow(focus) || !IsWindow(parameters->hDeviceWindow)) {
        *device = NULL;
        return (HRESULT)0x8876086CL; /* D3DERR_INVALIDCALL */
    }
    static const BYTE present[16] = { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC,
                                      0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 };
    static const BYTE cursor[16] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC };
    DeviceTable[17] = memcpy(FakeDevicePresentCode, present, 16);
    DeviceTable[10] = memcpy(FakeSetCursorPropertiesCode, cursor, 16);
    DeviceTable[11] = memcpy(FakeSetCursorPositionCode, cursor, 16);
    DeviceTable[12] = memcpy(FakeShowCursorCode, cursor, 16);
    return Make("device-fails", DeviceTable, self, device);
}

extern "C" __declspec(dllexport) void *WINAPI Direct3DCreate9(UINT sdkVersion)
{
    if (Word("load-helper"))        /* as a runtime loads a library of its own by name */
        LoadLibraryA("zentu-helper.dll");
#ifndef FAKE_DEBUG_RUNTIME
    static HMODULE debugRuntime;
    DWORD setting = 0;
    DWORD size = sizeof setting;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime", RRF_RT_REG_DWORD, NULL,
                     &setting, &size) != ERROR_SUCCESS)
        setting = 0;
    if ((setting != 0 || Word("debug-always")) && !Word("no-debug-runtime")) {
        char path[MAX_PATH];
        HMODULE self;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)Direct3DTable, &self);
        GetModuleFileNameA(self, path, sizeof path);
        strcpy(strrchr(path, '\\'), "\\D3D9D.DLL");
        debugRuntime = debugRuntime ? debugRuntime : LoadLibraryA(path);
        FARPROC create = GetProcAddress(debugRuntime, "Direct3DCreate9");
        return reinterpret_cast<void *(WINAPI *)(UINT)>(reinterpret_cast<void *>(create))(sdkVersion);
    }
    if (debugRuntime && FreeLibrary(debugRuntime))
        debugRuntime = NULL;
#endif
    char word[32];
    FakeObject *direct3d;
    snprintf(word, sizeof word, "create%u-null", sdkVersion);
    Make(word, Direct3DTable, NULL, &direct3d);
    return direct3d;
}

const void *SwapChainTable[4] = { NULL, NULL, (const void *)Release, FakeSwapChainPresentCode };
const void *Direct3DTable[17] = { NULL, NULL, (const void *)Release, NULL, NULL, (const void *)GetAdapterIdentifier,
                                  NULL, NULL, (const void *)GetAdapterDisplayMode, NULL, NULL, NULL, NULL, NULL, NULL,
                                  NULL, (const void *)CreateDevice,
};
const void *DeviceTable[18] = { NULL, NULL, (const void *)Release, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
                                NULL, NULL, (const void *)GetSwapChain,
};
