/*
 * The graphics probes in-process: against the fake D3D9.DLL, D3D9D.DLL and
 * OPENGL32.DLL in a folder that plays the system folder, against Wine's own
 * libraries, and the display-driver check with its box.
 */
#include "app/app.h"
#include "probe/probe.h"
#include "support/companion.h"
#include "support/registry.h"
#include "support/windows.h"

#include <d3d9.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

typedef UINT32 ApiOffsetsFields::*Field;
static const char Direct3DKey[] = "Software\\Microsoft\\Direct3D";
static const int FieldCount = sizeof(ApiOffsetsFields) / sizeof(UINT32);

/* Every field distinct and non-zero, so that a field the probe should not
 * touch shows when it was. */
static ApiOffsetsFields Sentinel(void)
{
    ApiOffsetsFields f;
    for (int i = 0; i < FieldCount; i++)
        reinterpret_cast<UINT32 *>(&f)[i] = 0x5E000001 + i;
    return f;
}

static void ExpectFields(const ApiOffsetsFields &expected, const ApiOffsetsFields &actual)
{
    for (int i = 0; i < FieldCount; i++)
        EXPECT_EQ(reinterpret_cast<const UINT32 *>(&expected)[i], reinterpret_cast<const UINT32 *>(&actual)[i])
            << "field " << i << ", SetupCall position " << (i < 6 ? i + 12 : i + 28);
}

static UINT32 Export(HMODULE module, const char *name)
{
    return (UINT32)((ULONG_PTR)GetProcAddress(module, name) - (ULONG_PTR)module);
}

static long long DebugRuntimeSetting(void)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", &type, &data))
        return -1;
    return type == REG_DWORD && data.size() == 4 ? (long long)*reinterpret_cast<DWORD *>(data.data()) : -2;
}

/* Copies of fake libraries in a fresh folder that SystemFolder points at;
 * every module loaded from it is freed when it goes. */
class FakeSystem {
public:
    FakeSystem(const std::string &d3d9, const std::string &opengl32, const std::string &behaviour)
        : path_(UniqueTempFolder("zentu-fakes")), saved_(SystemFolder)
    {
        CreateDirectoryA(path_.c_str(), NULL);
        for (const char *file : { "D3D9.DLL", "D3D9D.DLL" })
            if (!d3d9.empty())
                CopyFileA(BuildPath("fakes/" + d3d9 + "/" + file).c_str(), File(file).c_str(), FALSE);
        if (!opengl32.empty())
            CopyFileA(BuildPath("fakes/" + opengl32 + "/OPENGL32.DLL").c_str(), File("OPENGL32.DLL").c_str(), FALSE);
        snprintf(SystemFolder, sizeof SystemFolder, "%s", path_.c_str());
        SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour.c_str());
        SetEnvironmentVariableA("ZENTU_FAKE_LOG", File("calls.log").c_str());
    }
    ~FakeSystem()
    {
        for (const char *file : { "D3D9D.DLL", "D3D9.DLL", "OPENGL32.DLL", "calls.log" }) {
            while (Loaded(file))
                FreeLibrary(Loaded(file));
            DeleteFileA(File(file).c_str());
        }
        RemoveDirectoryA(path_.c_str());
        snprintf(SystemFolder, sizeof SystemFolder, "%s", saved_.c_str());
    }
    std::string File(const char *name) const { return path_ + "\\" + name; }
    HMODULE Loaded(const char *name) const { return GetModuleHandleA(File(name).c_str()); }
    std::vector<LibraryCall> Calls(const char *name) const
    {
        std::vector<LibraryCall> calls;
        for (const LibraryCall &call : ReadCalls(File("calls.log")))
            if (call.name == name)
                calls.push_back(call);
        return calls;
    }

private:
    std::string path_, saved_;
};

class Probe : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(focus_ != NULL); }
    void TearDown() override { DestroyWindow(focus_); }
    ScopedValueRestore setting_{ HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime" };
    HWND focus_ = CreateWindowExA(0, "STATIC", "focus", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
};

enum { ABSENT = -1, NO_KEY = -2, TEXT = -3 };

static void PrepareSetting(int setting)
{
    DeleteValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime");
    if (setting == NO_KEY)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, Direct3DKey);
    else if (setting == TEXT)
        SetStringValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", "1");
    else if (setting >= 0)
        SetDwordValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", (DWORD)setting);
}

#define F(name) &ApiOffsetsFields::D3D9##name
static const std::vector<Field> Device = { F(DevicePresentOffset), F(DevicePresentProbe), F(SwapChainPresentOffset),
                                           F(SwapChainPresentProbe), F(SetCursorPropertiesOffset),
                                           F(SetCursorPropertiesProbe), F(SetCursorPositionOffset),
                                           F(SetCursorPositionProbe), F(ShowCursorOffset), F(ShowCursorProbe),
                                           &ApiOffsetsFields::Reserved12, &ApiOffsetsFields::Reserved13 };

TEST_F(Probe, Direct3D9MeasuresTheRetailRuntimeThenPresentInTheDebugRuntime)
{
    const struct {
        const char *name, *variant, *behaviour;
        int setting, result;
        std::vector<Field> zeroed, kept; /* against a complete first pass */
        int debugPresents;               /* 1: the device's, 2: the swap chain's as well */
    } cases[] = {
        { "complete", "d3d9", "", ABSENT, 0, {}, {}, 0 },
        { "setting on: off while measuring", "d3d9", "", 5, 0, {}, {}, 2 },
        { "setting 0", "d3d9", "", 0, 0, {}, {}, 0 },
        { "no Direct3D key", "d3d9", "", NO_KEY, 0, {}, {}, 0 },
        { "a text setting is not the runtime's", "d3d9", "", TEXT, 0, {}, {}, 0 },
        { "no D3D9.DLL", "", "", 5, 1, {}, Device, 0 },
        { "no Direct3DCreate9", "d3d9_no_create", "", ABSENT, 2, {}, Device, 0 },
        { "no object for 31 nor 30", "d3d9", "create31-null create30-null", 5, 3, {}, Device, 0 },
        { "no display mode", "d3d9", "mode-fails", 5, 4, {}, Device, 0 },
        { "an object for 30 only", "d3d9", "create31-null", ABSENT, 0, {}, {}, 0 },
        { "no device", "d3d9", "device-fails", ABSENT, 0, {}, Device, 0 },
        { "no swap chain", "d3d9", "swapchain-fails", ABSENT, 0, {}, { F(SwapChainPresentOffset), F(SwapChainPresentProbe) }, 0 },
        { "Present with other code", "d3d9", "present=other", ABSENT, 0, { F(DevicePresentProbe) }, {}, 0 },
        { "Present outside the runtime", "d3d9", "present=outside", ABSENT, 0,
          { F(DevicePresentOffset), F(DevicePresentProbe) }, {}, 0 },
        { "cursor methods other and outside", "d3d9", "set-cursor-position=other show-cursor=outside", ABSENT, 0,
          { F(SetCursorPositionProbe), F(ShowCursorOffset), F(ShowCursorProbe) }, {}, 0 },
        { "the debug runtime answers the first pass", "d3d9", "debug-always", ABSENT, 0,
          { F(DevicePresentOffset), F(DevicePresentProbe), F(SwapChainPresentOffset), F(SetCursorPropertiesOffset),
            F(SetCursorPropertiesProbe), F(SetCursorPositionOffset), F(SetCursorPositionProbe), F(ShowCursorOffset),
            F(ShowCursorProbe) }, {}, 0 },
        { "setting on, no debug runtime", "d3d9", "no-debug-runtime", 5, 0, {}, {}, 0 },
        { "no debug object", "d3d9", "debug-create31-null debug-create30-null", 5, 3, {}, {}, 0 },
        { "no debug display mode", "d3d9", "debug-mode-fails", 5, 4, {}, {}, 0 },
        { "no debug device", "d3d9", "debug-device-fails", 5, 0, {}, {}, 0 },
        { "no debug swap chain", "d3d9", "debug-swapchain-fails", 5, 0, {}, {}, 1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PrepareSetting(c.setting);
        ApiOffsets = Sentinel();
        FakeSystem system(c.variant, "", c.behaviour);
        ASSERT_EQ(c.result, ProbeDirect3D9(focus_));
        EXPECT_EQ(c.result == 0, system.Loaded("D3D9.DLL") != NULL) << "D3D9.DLL kept only when done";
        EXPECT_EQ(system.Calls("Created").size(), system.Calls("Released").size()) << "objects not released";
        for (const LibraryCall &device : system.Calls("CreateDevice"))
            EXPECT_EQ((ULONG_PTR)focus_, device.Address(2));

        ApiOffsetsFields expected = Sentinel();
        HMODULE d3d9 = LoadLibraryA(system.File("D3D9.DLL").c_str());
        HMODULE d3d9d = LoadLibraryA(system.File("D3D9D.DLL").c_str());
        expected.D3D9DebugDevicePresentOffset = c.debugPresents > 0 ? Export(d3d9d, "FakeDevicePresentCode") : 0;
        expected.D3D9DebugSwapChainPresentOffset = c.debugPresents > 1 ? Export(d3d9d, "FakeSwapChainPresentCode") : 0;
        const struct {
            Field field;
            UINT32 value;
        } complete[] = { { F(DevicePresentOffset), Export(d3d9, "FakeDevicePresentCode") },
                         { F(DevicePresentProbe), 2306 },
                         { F(SwapChainPresentOffset), Export(d3d9, "FakeSwapChainPresentCode") },
                         { F(SwapChainPresentProbe), 0 },
                         { F(SetCursorPropertiesOffset), Export(d3d9, "FakeSetCursorPropertiesCode") },
                         { F(SetCursorPropertiesProbe), 2307 },
                         { F(SetCursorPositionOffset), Export(d3d9, "FakeSetCursorPositionCode") },
                         { F(SetCursorPositionProbe), 2307 },
                         { F(ShowCursorOffset), Export(d3d9, "FakeShowCursorCode") },
                         { F(ShowCursorProbe), 2307 },
                         { &ApiOffsetsFields::Reserved12, 0 },
                         { &ApiOffsetsFields::Reserved13, 0 } };
        for (const auto &f : complete)
            expected.*f.field = d3d9 ? f.value : 0;
        for (Field f : c.zeroed)
            expected.*f = 0;
        for (Field f : c.kept)
            expected.*f = Sentinel().*f;
        ExpectFields(expected, ApiOffsets);

        if (c.setting == NO_KEY)
            EXPECT_EQ(0, CountValues(HKEY_LOCAL_MACHINE, Direct3DKey)) << "the key is created empty";
        else if (c.setting == TEXT)
            EXPECT_EQ(-2, DebugRuntimeSetting());
        else
            EXPECT_EQ(c.setting > 0 ? 1 : c.setting, DebugRuntimeSetting());
    }
}

TEST_F(Probe, Direct3D9KeepsTheAdaptersDriverWholeAndBounded)
{
    const struct {
        const char *behaviour;
        std::string name;
        INT64 version;
    } cases[] = {
        { "", "fake_d3d9.dll", 0x0006000E000110FFLL },
        { "driver=NV4_DISP.DLL version=0xFFFFFFFFFFFFFFFF", "NV4_DISP.DLL", -1 },
        { "driver-unterminated", std::string(511, 'u'), 0x0006000E000110FFLL },
        { "driver-untouched version=0", "", 0 },
        { "identifier-fails", "", 0 },
    };
    PrepareSetting(ABSENT);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.behaviour);
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "untouched");
        AdapterDriverVersion = 0x1234;
        FakeSystem system("d3d9", "", c.behaviour);
        ASSERT_EQ(0, ProbeDirect3D9(focus_));
        EXPECT_EQ(c.name, AdapterDriverName);
        EXPECT_EQ(c.version, AdapterDriverVersion);
    }
}

TEST_F(Probe, Direct3D9WithoutAFocusWindowUsesOneHiddenWindowOfItsOwnForBothPasses)
{
    PrepareSetting(1);
    FakeSystem system("d3d9", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    std::vector<LibraryCall> devices = system.Calls("CreateDevice");
    ASSERT_EQ(2u, devices.size());
    EXPECT_NE(0u, devices[0].Address(2));
    EXPECT_EQ(devices[0].Address(2), devices[1].Address(2));
    EXPECT_EQ(0u, devices[0].Number(3)) << "visible";
    EXPECT_FALSE(IsWindow((HWND)(ULONG_PTR)devices[0].Address(2))) << "the probe's window outlived it";
}

TEST_F(Probe, OpenGlMeasuresBothSwapExportsAndFreesTheLibrary)
{
    const struct {
        const char *variant;
        int result;
        bool swapBuffers, swapLayerBuffers;
    } cases[] = {
        { "opengl32", 0, true, true },
        { "opengl32_no_swap_layer_buffers", 2, true, false },
        { "opengl32_no_swap_buffers", 2, false, false },
        { "", 1, false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.variant);
        ApiOffsets = Sentinel();
        FakeSystem system("d3d9", c.variant, "");
        EXPECT_EQ(c.result, ProbeOpenGL());
        EXPECT_EQ(NULL, system.Loaded("OPENGL32.DLL"));
        EXPECT_EQ(NULL, system.Loaded("D3D9.DLL"));
        EXPECT_TRUE(system.Calls("Called").empty()) << "located, never called";
        ApiOffsetsFields expected = Sentinel();
        HMODULE opengl32 = LoadLibraryA(system.File("OPENGL32.DLL").c_str());
        if (c.swapBuffers)
            expected.WglSwapBuffersOffset = Export(opengl32, "wglSwapBuffers");
        if (c.swapLayerBuffers)
            expected.WglSwapLayerBuffersOffset = Export(opengl32, "wglSwapLayerBuffers");
        ExpectFields(expected, ApiOffsets);
    }
}

static ULONG_PTR Slot(const void *object, size_t slot)
{
    return (*static_cast<const ULONG_PTR *const *>(object))[slot];
}

TEST_F(Probe, OnWinesOwnLibrariesTheOffsetsAreThoseOfTheEntryPointsThere)
{
    FillFolderPaths();
    PrepareSetting(5);
    ApiOffsets = ApiOffsetsFields();
    std::string folder = SystemFolder;
    ASSERT_EQ(0, ProbeOpenGL());
    EXPECT_EQ(NULL, GetModuleHandleA((folder + "\\OPENGL32.DLL").c_str()));
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    EXPECT_EQ(1, DebugRuntimeSetting());
    HMODULE opengl32 = LoadLibraryA((folder + "\\OPENGL32.DLL").c_str());
    EXPECT_EQ(Export(opengl32, "wglSwapBuffers"), ApiOffsets.WglSwapBuffersOffset);
    EXPECT_EQ(Export(opengl32, "wglSwapLayerBuffers"), ApiOffsets.WglSwapLayerBuffersOffset);
    FreeLibrary(opengl32);

    /* The same device, made here. */
    HMODULE d3d9 = GetModuleHandleA((folder + "\\D3D9.DLL").c_str());
    ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";
    auto create = reinterpret_cast<IDirect3D9 *(WINAPI *)(UINT)>((void *)GetProcAddress(d3d9, "Direct3DCreate9"));
    IDirect3D9 *direct3d = create ? create(D3D_SDK_VERSION) : NULL;
    ASSERT_TRUE(direct3d != NULL);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(D3D_OK, direct3d->GetAdapterDisplayMode(0, &mode));
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferFormat = mode.Format;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    IDirect3DDevice9 *device = NULL;
    ASSERT_EQ(D3D_OK, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, focus_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                             &parameters, &device));
    IDirect3DSwapChain9 *swapChain = NULL;
    ASSERT_EQ(D3D_OK, device->GetSwapChain(0, &swapChain));
    D3DADAPTER_IDENTIFIER9 identifier = {};
    direct3d->GetAdapterIdentifier(0, 0, &identifier);
    const struct {
        ULONG_PTR entryPoint;
        UINT32 offset;
    } expected[] = { { Slot(device, 17), ApiOffsets.D3D9DevicePresentOffset },
                     { Slot(swapChain, 3), ApiOffsets.D3D9SwapChainPresentOffset },
                     { Slot(device, 10), ApiOffsets.D3D9SetCursorPropertiesOffset },
                     { Slot(device, 11), ApiOffsets.D3D9SetCursorPositionOffset },
                     { Slot(device, 12), ApiOffsets.D3D9ShowCursorOffset } };
    for (const auto &e : expected)
        EXPECT_EQ((UINT32)(e.entryPoint - (ULONG_PTR)d3d9), e.offset);
    EXPECT_EQ(0u, ApiOffsets.D3D9DebugDevicePresentOffset);
    EXPECT_STREQ(identifier.Driver, AdapterDriverName);
    EXPECT_EQ(identifier.DriverVersion.QuadPart, AdapterDriverVersion);
    swapChain->Release();
    device->Release();
    direct3d->Release();
}

TEST(DisplayDriverCheck, SetsTheKindAndWarnsOfAnOutdatedNvidiaOrAtiDriverInABox)
{
    const struct {
        const char *name;
        INT64 version;
        UINT32 kind;
        const char *warning; /* NULL: no box */
    } cases[] = {
        { "nv4_disp.dll", 0x0006000E000110FELL, DISPLAY_DRIVER_NVIDIA,
          "Your NVIDIA Detonator drivers are out of date!\r\n\r\n"
          "There may be performance problems capturing video from your games.\r\n\r\n"
          "You can download the latest Forceware drivers for free from:\r\n\r\nhttps://www.nvidia.com/" },
        { "ATI2DVAG.DLL", 0, DISPLAY_DRIVER_ATI,
          "Your ATI Catalyst drivers are out of date!\r\n\r\n"
          "There may be performance problems capturing video from your games.\r\n\r\n"
          "You can download the latest Catalyst drivers for free from:\r\n\r\nhttps://www.amd.com/" },
        { "nv4_disp.dll", 0x0006000E000110FFLL, DISPLAY_DRIVER_NVIDIA, NULL },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ApiOffsets = Sentinel();
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", c.name);
        AdapterDriverVersion = c.version;
        std::atomic<bool> checked{ false };
        MessageBoxContent seen = {};
        std::thread watcher([&] {
            HWND box = NULL;
            while (!checked && !(box = FindProcessWindow(GetCurrentProcessId(), "ZENTU warning")))
                Sleep(10);
            if (box) {
                seen = ReadMessageBox(box);
                PressMessageBoxButton(box, "OK");
            }
        });
        CheckDisplayDriver();
        checked = true;
        watcher.join();
        ApiOffsetsFields expected = Sentinel();
        expected.DisplayDriverKind = c.kind;
        ExpectFields(expected, ApiOffsets);
        EXPECT_EQ(c.warning ? c.warning : "", seen.text);
        EXPECT_EQ(c.warning != NULL, seen.hasIcon);
        EXPECT_EQ(c.warning ? std::vector<std::string>{ "OK" } : std::vector<std::string>{}, seen.buttons);
    }
}
