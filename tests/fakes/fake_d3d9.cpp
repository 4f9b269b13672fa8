/*
 * Test double of the system's D3D9.DLL and, built with FAKE_DEBUG_RUNTIME,
 * of the debug runtime D3D9D.DLL.
 *
 * It hands out objects whose interface tables hold real functions in the
 * slots the probe calls (Release, GetAdapterIdentifier,
 * GetAdapterDisplayMode, CreateDevice, GetSwapChain) and, in the slots the
 * probe only locates (Present, the cursor methods), the addresses of
 * exported 16-byte code arrays whose bytes the test chooses. Every other
 * slot is NULL: a probe that called one would crash the test.
 *
 * Like the real runtime, D3D9.DLL reads "LoadDebugRuntime" under HKLM
 * "Software\Microsoft\Direct3D" at each Direct3DCreate9 and, when it is
 * non-zero, maps D3D9D.DLL from its own folder and lets it create the
 * object; with the setting off it unmaps D3D9D.DLL again.
 *
 * Behaviour: the environment variable ZENTU_FAKE_D3D9 holds words separated
 * by blanks, read at every call. The debug runtime reads the same words with
 * "debug-" in front (for example "debug-mode-fails").
 *   create31-null, create30-null   Direct3DCreate9 gives NULL for that version
 *   mode-fails, device-fails, swapchain-fails, identifier-fails
 *                                  the method fails (D3DERR_NOTAVAILABLE)
 *   present=<code>, set-cursor-properties=<code>, set-cursor-position=<code>,
 *   show-cursor=<code>             the entry point's bytes; <code> is one of
 *       prologue        the known prologue (2306 for Present, 2307 for the
 *                       cursor methods) followed by 90 bytes
 *       prologue-other  the cursor prologue followed by other bytes
 *       last-byte       the Present prologue with its 16th byte changed
 *       fifth-byte      the cursor prologue with its 5th byte changed
 *       unreadable      a reserved page that cannot be read
 *       outside         the known prologue in readable memory of no module,
 *                       as in a method table another program patched
 *     Default: prologue everywhere.
 *   driver=<text>                  the adapter's Driver text
 *   driver-length=<n>              a Driver text of n characters
 *   driver-unterminated            512 Driver bytes without a terminator
 *   version=<number>               DriverVersion (strtoull, base 0)
 *   no-debug-runtime               D3D9.DLL never maps D3D9D.DLL
 *   debug-always                   D3D9.DLL hands every object to D3D9D.DLL,
 *                                  as when the setting could not be switched off
 *
 * Record: when ZENTU_FAKE_LOG names a file, each call appends one line to
 * it, starting with "D3D9" or "D3D9D".
 *
 * Exports for the tests: the code arrays FakeDevicePresentCode,
 * FakeSwapChainPresentCode, FakeSetCursorPropertiesCode,
 * FakeSetCursorPositionCode, FakeShowCursorCode, and FakeUnreadableCode,
 * the address used for "unreadable" (NULL until first needed), and
 * FakeLastFocusWindow, the focus window of the last CreateDevice.
 * Built with FAKE_NO_CREATE, the library lacks Direct3DCreate9.
 */
#include <windows.h>

#include <d3d9types.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT extern "C" __declspec(dllexport)

/* d3d9.h would declare Direct3DCreate9 with the runtime's own types; the
 * two results the fake gives are spelled out instead. */
#define D3D_OK S_OK
#define D3DERR_NOTAVAILABLE ((HRESULT)0x8876086AL)

#ifdef FAKE_DEBUG_RUNTIME
static const char ModuleTag[] = "D3D9D";
static const char WordPrefix[] = "debug-";
#else
static const char ModuleTag[] = "D3D9";
static const char WordPrefix[] = "";
#endif

#define CODE_SIZE 16
/* Definitions, not declarations: hence the braces. */
extern "C" {
__declspec(dllexport) BYTE FakeDevicePresentCode[CODE_SIZE];
__declspec(dllexport) BYTE FakeSwapChainPresentCode[CODE_SIZE];
__declspec(dllexport) BYTE FakeSetCursorPropertiesCode[CODE_SIZE];
__declspec(dllexport) BYTE FakeSetCursorPositionCode[CODE_SIZE];
__declspec(dllexport) BYTE FakeShowCursorCode[CODE_SIZE];
__declspec(dllexport) void *FakeUnreadableCode;
__declspec(dllexport) HWND FakeLastFocusWindow;
}

static HMODULE ThisModule;

/* --- behaviour and record ------------------------------------------------ */

static void ReadBehaviour(char *words, size_t size)
{
    DWORD length = GetEnvironmentVariableA("ZENTU_FAKE_D3D9", words + 1, (DWORD)size - 2);
    if (length == 0 || length >= size - 2)
        length = 0;
    /* Blanks on both sides make every word findable as " word ". */
    words[0] = ' ';
    words[length + 1] = ' ';
    words[length + 2] = '\0';
}

/* The value of "<prefix><name>=" or NULL; copies it into value. */
static const char *BehaviourValue(const char *name, char *value, size_t size)
{
    char words[4096];
    ReadBehaviour(words, sizeof words);
    char key[128];
    snprintf(key, sizeof key, " %s%s=", WordPrefix, name);
    const char *found = strstr(words, key);
    if (!found)
        return NULL;
    found += strlen(key);
    size_t length = strcspn(found, " ");
    if (length >= size)
        length = size - 1;
    memcpy(value, found, length);
    value[length] = '\0';
    return value;
}

static bool HasWord(const char *name)
{
    char words[4096];
    ReadBehaviour(words, sizeof words);
    char key[128];
    snprintf(key, sizeof key, " %s%s ", WordPrefix, name);
    return strstr(words, key) != NULL;
}

static void Record(const char *format, ...)
{
    char path[MAX_PATH];
    DWORD pathLength = GetEnvironmentVariableA("ZENTU_FAKE_LOG", path, sizeof path);
    if (pathLength == 0 || pathLength >= sizeof path)
        return;
    char line[1024];
    int length = snprintf(line, sizeof line, "%s ", ModuleTag);
    va_list args;
    va_start(args, format);
    length += vsnprintf(line + length, sizeof line - (size_t)length - 2, format, args);
    va_end(args);
    if (length > (int)sizeof line - 3)
        length = (int)sizeof line - 3;
    line[length++] = '\r';
    line[length++] = '\n';
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, (DWORD)length, &written, NULL);
    CloseHandle(file);
}

static HRESULT Outcome(const char *failWord)
{
    return HasWord(failWord) ? D3DERR_NOTAVAILABLE : D3D_OK;
}

static const char *OutcomeText(HRESULT result)
{
    return result == D3D_OK ? "ok" : "fails";
}

/* --- objects --------------------------------------------------------------- */

struct FakeObject {
    const void *const *table; /* first, as COM lays an object out */
    LONG references;
    const char *kind;
    FakeObject *parent;       /* a device holds its Direct3D object, a swap chain its device */
};

static FakeObject *NewObject(const void *const *table, const char *kind, FakeObject *parent)
{
    FakeObject *object = (FakeObject *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FakeObject));
    object->table = table;
    object->references = 1;
    object->kind = kind;
    object->parent = parent;
    if (parent)
        parent->references++;
    return object;
}

static HRESULT STDMETHODCALLTYPE QueryInterface(FakeObject *self, REFIID iid, void **out)
{
    (void)iid;
    Record("%s QueryInterface", self->kind);
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE AddRef(FakeObject *self)
{
    Record("%s AddRef", self->kind);
    return (ULONG)++self->references;
}

static ULONG STDMETHODCALLTYPE Release(FakeObject *self)
{
    LONG left = --self->references;
    Record("%s Release %ld", self->kind, left);
    if (left == 0) {
        FakeObject *parent = self->parent;
        HeapFree(GetProcessHeap(), 0, self);
        /* The parent's reference goes silently: the record shows the
         * probe's own calls only. */
        if (parent && --parent->references == 0)
            HeapFree(GetProcessHeap(), 0, parent);
    }
    return (ULONG)left;
}

/* --- entry point bytes ------------------------------------------------------ */

static const BYTE PresentPrologue[CODE_SIZE] = {
    0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24,
};
static const BYTE CursorPrologue[5] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC };

/* Fills code as the behaviour word asks and returns the address the table
 * gets for this entry point. */
static const void *EntryPoint(const char *word, BYTE *code, bool cursor)
{
    char value[32] = "prologue";
    BehaviourValue(word, value, sizeof value);
    if (strcmp(value, "unreadable") == 0) {
        if (!FakeUnreadableCode)
            FakeUnreadableCode = VirtualAlloc(NULL, 4096, MEM_RESERVE, PAGE_NOACCESS);
        return FakeUnreadableCode;
    }
    if (strcmp(value, "outside") == 0) {
        static BYTE *outside;
        if (!outside)
            outside = (BYTE *)VirtualAlloc(NULL, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        code = outside + (cursor ? CODE_SIZE : 0);
    }
    if (cursor) {
        memset(code, 0x90, CODE_SIZE);
        memcpy(code, CursorPrologue, sizeof CursorPrologue);
        if (strcmp(value, "prologue-other") == 0)
            memset(code + sizeof CursorPrologue, 0xCC, CODE_SIZE - sizeof CursorPrologue);
        else if (strcmp(value, "fifth-byte") == 0)
            code[4] = 0xED;
    } else {
        memcpy(code, PresentPrologue, CODE_SIZE);
        if (strcmp(value, "last-byte") == 0)
            code[CODE_SIZE - 1] = 0x25;
    }
    return code;
}

/* --- swap chain ------------------------------------------------------------- */

static const void *SwapChainTable[4];

/* --- device ----------------------------------------------------------------- */

static const void *DeviceTable[18];

static HRESULT STDMETHODCALLTYPE GetSwapChain(FakeObject *self, UINT index, FakeObject **swapChain)
{
    HRESULT result = Outcome("swapchain-fails");
    Record("Device GetSwapChain %u -> %s", index, OutcomeText(result));
    *swapChain = result == D3D_OK ? NewObject(SwapChainTable, "SwapChain", self) : NULL;
    return result;
}

/* --- Direct3D object ---------------------------------------------------------- */

static const void *Direct3DTable[17];

static HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(FakeObject *self, UINT adapter, DWORD flags,
                                                     D3DADAPTER_IDENTIFIER9 *identifier)
{
    (void)self;
    HRESULT result = Outcome("identifier-fails");
    Record("Direct3D9 GetAdapterIdentifier %u %lu -> %s", adapter, flags, OutcomeText(result));
    if (result != D3D_OK)
        return result;
    memset(identifier, 0, sizeof *identifier);
    char value[600];
    if (BehaviourValue("driver", value, sizeof value))
        snprintf(identifier->Driver, sizeof identifier->Driver, "%s", value);
    else
        snprintf(identifier->Driver, sizeof identifier->Driver, "%s", "fake_d3d9.dll");
    if (BehaviourValue("driver-length", value, sizeof value)) {
        size_t length = strtoul(value, NULL, 10);
        if (length > sizeof identifier->Driver - 1)
            length = sizeof identifier->Driver - 1;
        for (size_t i = 0; i < length; i++)
            identifier->Driver[i] = (char)('a' + i % 26);
        identifier->Driver[length] = '\0';
    }
    if (HasWord("driver-unterminated"))
        memset(identifier->Driver, 'u', sizeof identifier->Driver);
    snprintf(identifier->Description, sizeof identifier->Description, "%s", "Fake Direct3D 9 adapter");
    identifier->DriverVersion.QuadPart = 0x0006000E000110FFLL;
    if (BehaviourValue("version", value, sizeof value))
        identifier->DriverVersion.QuadPart = (LONGLONG)strtoull(value, NULL, 0);
    return D3D_OK;
}

static HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(FakeObject *self, UINT adapter, D3DDISPLAYMODE *mode)
{
    (void)self;
    HRESULT result = Outcome("mode-fails");
    Record("Direct3D9 GetAdapterDisplayMode %u -> %s", adapter, OutcomeText(result));
    if (result != D3D_OK)
        return result;
    mode->Width = 1280;
    mode->Height = 1024;
    mode->RefreshRate = 60;
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
}

static HRESULT STDMETHODCALLTYPE CreateDevice(FakeObject *self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                             DWORD flags, D3DPRESENT_PARAMETERS *p, FakeObject **device)
{
    HRESULT result = Outcome("device-fails");
    FakeLastFocusWindow = focus;
    HWND deviceWindow = p->hDeviceWindow;
    Record("Direct3D9 CreateDevice %u %d focus=%s %#lx"
           " BackBuffer=%ux%u,%d,%u MultiSample=%d,%lu SwapEffect=%d DeviceWindow=%s Windowed=%d"
           " AutoDepthStencil=%d,%d Flags=%#lx Refresh=%u Interval=%u -> %s",
           adapter, (int)type, !focus ? "null" : !IsWindow(focus) ? "invalid" : IsWindowVisible(focus) ? "visible" : "hidden",
           flags, p->BackBufferWidth, p->BackBufferHeight, (int)p->BackBufferFormat, p->BackBufferCount,
           (int)p->MultiSampleType, p->MultiSampleQuality, (int)p->SwapEffect,
           !deviceWindow ? "null" : deviceWindow == focus ? "focus" : !IsWindow(deviceWindow) ? "invalid"
                                                            : IsWindowVisible(deviceWindow) ? "visible" : "hidden",
           p->Windowed,
           p->EnableAutoDepthStencil, (int)p->AutoDepthStencilFormat, p->Flags, p->FullScreen_RefreshRateInHz,
           p->PresentationInterval, OutcomeText(result));
    if (result != D3D_OK) {
        *device = NULL;
        return result;
    }
    /* The table is rebuilt for every device so that each one shows the code
     * the current behaviour asks for. */
    DeviceTable[17] = EntryPoint("present", FakeDevicePresentCode, false);
    DeviceTable[10] = EntryPoint("set-cursor-properties", FakeSetCursorPropertiesCode, true);
    DeviceTable[11] = EntryPoint("set-cursor-position", FakeSetCursorPositionCode, true);
    DeviceTable[12] = EntryPoint("show-cursor", FakeShowCursorCode, true);
    *device = NewObject(DeviceTable, "Device", self);
    return D3D_OK;
}

/* --- tables --------------------------------------------------------------------- */

/* The method addresses go into the tables as plain addresses, the way a
 * compiler lays out an interface table. */
template <typename Method> static const void *Slot(Method method)
{
    return reinterpret_cast<const void *>(method);
}

static void FillTables(void)
{
    const void *unknown[3] = { Slot(QueryInterface), Slot(AddRef), Slot(Release) };
    memcpy(Direct3DTable, unknown, sizeof unknown);
    memcpy(DeviceTable, unknown, sizeof unknown);
    memcpy(SwapChainTable, unknown, sizeof unknown);

    Direct3DTable[5] = Slot(GetAdapterIdentifier);
    Direct3DTable[8] = Slot(GetAdapterDisplayMode);
    Direct3DTable[16] = Slot(CreateDevice);

    DeviceTable[14] = Slot(GetSwapChain);
    /* Filled here for the swap chain; CreateDevice fills the device's. */
    memset(FakeSwapChainPresentCode, 0xC3, CODE_SIZE);
    SwapChainTable[3] = FakeSwapChainPresentCode;
}

/* --- Direct3DCreate9 ------------------------------------------------------------ */

#ifndef FAKE_NO_CREATE

static FakeObject *CreateOwnObject(UINT sdkVersion)
{
    char word[32];
    snprintf(word, sizeof word, "create%u-null", sdkVersion);
    if (HasWord(word))
        return NULL;
    return NewObject(Direct3DTable, "Direct3D9", NULL);
}

#ifdef FAKE_DEBUG_RUNTIME

EXPORT void *WINAPI Direct3DCreate9(UINT sdkVersion)
{
    FakeObject *object = CreateOwnObject(sdkVersion);
    Record("Direct3DCreate9 %u -> %s", sdkVersion, object ? "object" : "null");
    return object;
}

#else

static HMODULE DebugRuntime;

static DWORD DebugRuntimeSetting(void)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime", RRF_RT_REG_DWORD,
                     NULL, &value, &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

typedef void *(WINAPI CREATE_PROC)(UINT sdkVersion);

EXPORT void *WINAPI Direct3DCreate9(UINT sdkVersion)
{
    DWORD setting = DebugRuntimeSetting();
    if ((setting != 0 || HasWord("debug-always")) && !HasWord("no-debug-runtime")) {
        if (!DebugRuntime) {
            char path[MAX_PATH];
            DWORD length = GetModuleFileNameA(ThisModule, path, sizeof path);
            char *slash = length && length < sizeof path ? strrchr(path, '\\') : NULL;
            if (slash && (size_t)(slash - path) + sizeof "\\D3D9D.DLL" <= sizeof path) {
                strcpy(slash, "\\D3D9D.DLL");
                DebugRuntime = LoadLibraryA(path);
            }
        }
        CREATE_PROC *create = DebugRuntime ? reinterpret_cast<CREATE_PROC *>(reinterpret_cast<void *>(
                                                 GetProcAddress(DebugRuntime, "Direct3DCreate9")))
                                           : NULL;
        Record("Direct3DCreate9 %u LoadDebugRuntime=%lu -> %s", sdkVersion, setting,
               create ? "debug runtime" : "no debug runtime");
        return create ? create(sdkVersion) : NULL;
    }
    /* The retail runtime: a debug runtime mapped for an earlier object goes. */
    if (DebugRuntime) {
        FreeLibrary(DebugRuntime);
        DebugRuntime = NULL;
    }
    FakeObject *object = CreateOwnObject(sdkVersion);
    Record("Direct3DCreate9 %u LoadDebugRuntime=%lu -> %s", sdkVersion, setting, object ? "object" : "null");
    return object;
}

#endif
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        ThisModule = instance;
        DisableThreadLibraryCalls(instance);
        FillTables();
    }
    return TRUE;
}
