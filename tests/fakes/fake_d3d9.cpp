/*
 * Test double of the system's D3D9.DLL and, built with FAKE_DEBUG_RUNTIME, of
 * the debug runtime D3D9D.DLL. Its objects hold real functions in the slots
 * the probe calls and, in the slots it only locates (Present, the cursor
 * methods), exported 16-byte code arrays; every other slot is NULL.
 *
 * Like the real runtime, D3D9.DLL maps D3D9D.DLL from its own folder and lets
 * it create the object while HKLM "Software\Microsoft\Direct3D"
 * "LoadDebugRuntime" is a non-zero number, and unmaps it when it is not.
 *
 * Behaviour: words in ZENTU_FAKE_D3D9, read at every call; D3D9D.DLL reads
 * them with "debug-" in front.
 *   create31-null create30-null       Direct3DCreate9 gives NULL for that version
 *   mode-fails device-fails swapchain-fails identifier-fails
 *   present= set-cursor-properties= set-cursor-position= show-cursor=
 *     other (the 5th byte changed) | outside (readable memory of no module);
 *     otherwise the known prologue
 *   driver=<text> version=<number> driver-unterminated driver-untouched
 *                                     the adapter identifier
 *   no-debug-runtime  never maps D3D9D.DLL; debug-always  always does
 *
 * Record (ZENTU_FAKE_LOG): "Created" and "Released" with the module and the
 * kind of object, and "CreateDevice" with the module and the focus window.
 * Built with FAKE_NO_CREATE, the library lacks Direct3DCreate9.
 */
#include "tests/support/call_record.h"

#include <d3d9types.h>

#include <stdlib.h>
#include <string.h>

#ifdef FAKE_DEBUG_RUNTIME
#define TAG "D3D9D"
#define PREFIX "debug-"
#else
#define TAG "D3D9"
#define PREFIX ""
#endif

extern "C" {
__declspec(dllexport) BYTE FakeDevicePresentCode[16], FakeSwapChainPresentCode[16];
__declspec(dllexport) BYTE FakeSetCursorPropertiesCode[16], FakeSetCursorPositionCode[16], FakeShowCursorCode[16];
}
static HMODULE ThisModule;

/* What follows " <prefix><name>" and an optional '=' (a word ends at a
 * blank), with the value copied into value; NULL when the word is absent. */
static const char *Word(const char *name, char *value = NULL, size_t size = 0)
{
    static char words[4096];
    DWORD length = GetEnvironmentVariableA("ZENTU_FAKE_D3D9", words + 1, sizeof words - 2);
    length = length < sizeof words - 2 ? length : 0;
    words[0] = words[length + 1] = ' ';
    words[length + 2] = '\0';
    char key[128];
    int keyLength = snprintf(key, sizeof key, " %s%s", PREFIX, name);
    for (const char *found = strstr(words, key); found; found = strstr(found + 1, key)) {
        const char *end = found + keyLength;
        if (*end != ' ' && *end++ != '=')
            continue;
        if (value)
            snprintf(value, size, "%.*s", (int)strcspn(end, " "), end);
        return end;
    }
    return NULL;
}

static void Record(const char *name, const char *format, ...)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ZENTU_FAKE_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    RecordLine line;
    RecordStart(&line, name);
    RecordAppend(&line, "\t" TAG "\t");
    va_list args;
    va_start(args, format);
    line.length += (size_t)vsnprintf(line.text + line.length, sizeof line.text - line.length, format, args);
    va_end(args);
    RecordWrite(&line, path);
}

static HRESULT Outcome(const char *failWord)
{
    return Word(failWord) ? (HRESULT)0x8876086AL /* D3DERR_NOTAVAILABLE */ : S_OK;
}

struct FakeObject {
    const void *const *table; /* first, as COM lays an object out */
    LONG references;
    const char *kind;
    FakeObject *parent; /* a device holds its Direct3D object, a swap chain its device */
};

static FakeObject *NewObject(const void *const *table, const char *kind, FakeObject *parent)
{
    FakeObject *object = new FakeObject{ table, 1, kind, parent };
    if (parent)
        parent->references++;
    Record("Created", "%s", kind);
    return object;
}

static ULONG STDMETHODCALLTYPE Release(FakeObject *self)
{
    LONG left = --self->references;
    if (left == 0) {
        Record("Released", "%s", self->kind);
        if (self->parent)
            Release(self->parent);
        delete self;
    }
    return (ULONG)left;
}

/* Fills code as the behaviour word asks; returns the address for the table. */
static const void *EntryPoint(const char *word, BYTE *code, bool cursor)
{
    static const BYTE present[16] = { 0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC,
                                      0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24 };
    static const BYTE cursorCode[16] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x90, 0x90, 0x90,
                                         0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90 };
    static BYTE *outside;
    char value[32] = "";
    Word(word, value, sizeof value);
    if (strcmp(value, "outside") == 0) {
        if (!outside)
            outside = (BYTE *)VirtualAlloc(NULL, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        code = outside + (cursor ? 16 : 0);
    }
    memcpy(code, cursor ? cursorCode : present, 16);
    if (strcmp(value, "other") == 0)
        code[4] ^= 1;
    return code;
}

static const void *SwapChainTable[4], *DeviceTable[18], *Direct3DTable[17];

static HRESULT STDMETHODCALLTYPE GetSwapChain(FakeObject *self, UINT, FakeObject **swapChain)
{
    HRESULT result = Outcome("swapchain-fails");
    *swapChain = result == S_OK ? NewObject(SwapChainTable, "SwapChain", self) : NULL;
    return result;
}

static HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(FakeObject *, UINT, DWORD, D3DADAPTER_IDENTIFIER9 *id)
{
    if (Outcome("identifier-fails") != S_OK)
        return Outcome("identifier-fails");
    char value[600] = "fake_d3d9.dll";
    Word("driver", value, sizeof value);
    if (!Word("driver-untouched"))
        snprintf(id->Driver, sizeof id->Driver, "%s", value);
    if (Word("driver-unterminated"))
        memset(id->Driver, 'u', sizeof id->Driver);
    id->DriverVersion.QuadPart = Word("version") ? (LONGLONG)strtoull(Word("version"), NULL, 0)
                                                  : 0x0006000E000110FFLL;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(FakeObject *, UINT, D3DDISPLAYMODE *mode)
{
    *mode = { 1280, 1024, 60, D3DFMT_X8R8G8B8 };
    return Outcome("mode-fails");
}

static HRESULT STDMETHODCALLTYPE CreateDevice(FakeObject *self, UINT, D3DDEVTYPE, HWND focus, DWORD,
                                             D3DPRESENT_PARAMETERS *, FakeObject **device)
{
    Record("CreateDevice", "%p\t%d", (void *)focus, IsWindowVisible(focus) ? 1 : 0);
    HRESULT result = Outcome("device-fails");
    /* Rebuilt for every device, so that each shows the current behaviour. */
    DeviceTable[17] = EntryPoint("present", FakeDevicePresentCode, false);
    DeviceTable[10] = EntryPoint("set-cursor-properties", FakeSetCursorPropertiesCode, true);
    DeviceTable[11] = EntryPoint("set-cursor-position", FakeSetCursorPositionCode, true);
    DeviceTable[12] = EntryPoint("show-cursor", FakeShowCursorCode, true);
    *device = result == S_OK ? NewObject(DeviceTable, "Device", self) : NULL;
    return result;
}

template <typename Method> static const void *Slot(Method method)
{
    return reinterpret_cast<const void *>(method);
}

#ifndef FAKE_NO_CREATE
extern "C" __declspec(dllexport) void *WINAPI Direct3DCreate9(UINT sdkVersion)
{
#ifndef FAKE_DEBUG_RUNTIME
    static HMODULE debugRuntime;
    DWORD setting = 0, size = sizeof setting;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime", RRF_RT_REG_DWORD, NULL,
                     &setting, &size) != ERROR_SUCCESS)
        setting = 0;
    if ((setting != 0 || Word("debug-always")) && !Word("no-debug-runtime")) {
        char path[MAX_PATH];
        GetModuleFileNameA(ThisModule, path, sizeof path);
        strcpy(strrchr(path, '\\'), "\\D3D9D.DLL");
        if (!debugRuntime)
            debugRuntime = LoadLibraryA(path);
        FARPROC create = debugRuntime ? GetProcAddress(debugRuntime, "Direct3DCreate9") : NULL;
        return create ? reinterpret_cast<void *(WINAPI *)(UINT)>(reinterpret_cast<void *>(create))(sdkVersion)
                      : NULL;
    }
    if (debugRuntime && FreeLibrary(debugRuntime))
        debugRuntime = NULL;
#endif
    char word[32];
    snprintf(word, sizeof word, "create%u-null", sdkVersion);
    return Word(word) ? NULL : NewObject(Direct3DTable, "Direct3D9", NULL);
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ThisModule = instance;
        Direct3DTable[2] = DeviceTable[2] = SwapChainTable[2] = Slot(Release);
        Direct3DTable[5] = Slot(GetAdapterIdentifier);
        Direct3DTable[8] = Slot(GetAdapterDisplayMode);
        Direct3DTable[16] = Slot(CreateDevice);
        DeviceTable[14] = Slot(GetSwapChain);
        memset(FakeSwapChainPresentCode, 0xC3, sizeof FakeSwapChainPresentCode);
        SwapChainTable[3] = FakeSwapChainPresentCode;
    }
    return TRUE;
}
