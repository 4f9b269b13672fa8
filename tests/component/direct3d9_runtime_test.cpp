/* What the Direct3D 9 probe asks of the runtime, recorded on the way to the fake runtime: the SDK versions it
 * creates its object for and the device it asks for; and the runtime's own setting it leaves alone. */
#include "base/base.h"
#include "probe/probe.h"
#include "support/fake_system.h"
#include "support/imports.h"
#include "support/registry.h"

#include <d3d9.h>
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include <vector>

typedef FARPROC(WINAPI GET_PROC_ADDRESS_PROC)(HMODULE module, LPCSTR name);
typedef void *(WINAPI DIRECT3D_CREATE9_PROC)(UINT sdkVersion);
typedef HRESULT(STDMETHODCALLTYPE CREATE_DEVICE_PROC)(void *self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                                     DWORD behaviour, D3DPRESENT_PARAMETERS *parameters,
                                                     void **device);

/* The calls as they went by. */
struct RuntimeCalls {
    std::vector<UINT> sdkVersions;
    int devicesAsked;
    UINT adapter;
    D3DDEVTYPE type;
    HWND focus;
    DWORD behaviour;
    D3DPRESENT_PARAMETERS parameters;
};
static RuntimeCalls Recorded;
static GET_PROC_ADDRESS_PROC *SystemGetProcAddress;
static DIRECT3D_CREATE9_PROC *FakeCreate;
static CREATE_DEVICE_PROC *FakeCreateDevice;
typedef HRESULT(STDMETHODCALLTYPE GET_ADAPTER_IDENTIFIER_PROC)(void *self, UINT adapter, DWORD flags,
                                                              D3DADAPTER_IDENTIFIER9 *identifier);
static GET_ADAPTER_IDENTIFIER_PROC *FakeGetAdapterIdentifier;
/* The driver name the adapter identifier carries instead of the fake's own; empty: the fake's. */
static std::string DriverName;

static const int GetAdapterIdentifierSlot = 5;
static const int CreateDeviceSlot = 16;

static HRESULT STDMETHODCALLTYPE NamingGetAdapterIdentifier(void *self, UINT adapter, DWORD flags,
                                                            D3DADAPTER_IDENTIFIER9 *identifier)
{
    HRESULT result = FakeGetAdapterIdentifier(self, adapter, flags, identifier);
    if (!DriverName.empty())
        snprintf(identifier->Driver, sizeof identifier->Driver, "%s", DriverName.c_str());
    return result;
}

static HRESULT STDMETHODCALLTYPE RecordingCreateDevice(void *self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                                       DWORD behaviour, D3DPRESENT_PARAMETERS *parameters,
                                                       void **device)
{
    Recorded.devicesAsked++;
    Recorded.adapter = adapter;
    Recorded.type = type;
    Recorded.focus = focus;
    Recorded.behaviour = behaviour;
    Recorded.parameters = *parameters;
    return FakeCreateDevice(self, adapter, type, focus, behaviour, parameters, device);
}

/* The fake's interface table is its own writable data: its CreateDevice slot is pointed at the recorder. */
static void *WINAPI RecordingCreate(UINT sdkVersion)
{
    Recorded.sdkVersions.push_back(sdkVersion);
    void *direct3d = FakeCreate(sdkVersion);
    if (!direct3d)
        return NULL;
    void **table = *static_cast<void ***>(direct3d);
    if (table[CreateDeviceSlot] != reinterpret_cast<void *>(RecordingCreateDevice)) {
        FakeCreateDevice = reinterpret_cast<CREATE_DEVICE_PROC *>(table[CreateDeviceSlot]);
        table[CreateDeviceSlot] = reinterpret_cast<void *>(RecordingCreateDevice);
    }
    if (table[GetAdapterIdentifierSlot] != reinterpret_cast<void *>(NamingGetAdapterIdentifier)) {
        FakeGetAdapterIdentifier = reinterpret_cast<GET_ADAPTER_IDENTIFIER_PROC *>(table[GetAdapterIdentifierSlot]);
        table[GetAdapterIdentifierSlot] = reinterpret_cast<void *>(NamingGetAdapterIdentifier);
    }
    return direct3d;
}

static FARPROC WINAPI RecordingGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = SystemGetProcAddress(module, name);
    bool byName = HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0;
    if (!found || !byName || strcmp(name, "Direct3DCreate9") != 0)
        return found;
    FakeCreate = reinterpret_cast<DIRECT3D_CREATE9_PROC *>(reinterpret_cast<void *>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(RecordingCreate));
}

class Direct3D9Runtime : public testing::Test {
protected:
    void SetUp() override
    {
        Recorded = RuntimeCalls();
        DriverName.clear();
        void *system = ReplaceImport("GetProcAddress", reinterpret_cast<void *>(RecordingGetProcAddress));
        ASSERT_TRUE(system);
        SystemGetProcAddress = reinterpret_cast<GET_PROC_ADDRESS_PROC *>(system);
        DeleteValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime");
    }
    void TearDown() override
    {
        ReplaceImport("GetProcAddress", reinterpret_cast<void *>(SystemGetProcAddress));
    }

    static constexpr const char *Direct3DKey = "Software\\Microsoft\\Direct3D";
    ScopedValueRestore setting_{ HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime" };
};

TEST_F(Direct3D9Runtime, TheObjectIsAskedForSdkVersion31)
{
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    EXPECT_EQ(std::vector<UINT>({ 31 }), Recorded.sdkVersions);
}

TEST_F(Direct3D9Runtime, ARuntimeWithoutSdkVersion31IsAskedFor30)
{
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "create31-null");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    EXPECT_EQ(std::vector<UINT>({ 31, 30 }), Recorded.sdkVersions);
}

TEST_F(Direct3D9Runtime, TheDeviceIsWindowedInTheDisplaysFormatWithADiscardingSwapEffect)
{
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    ASSERT_EQ(1, Recorded.devicesAsked);
    EXPECT_EQ(TRUE, Recorded.parameters.Windowed);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, Recorded.parameters.SwapEffect);
    EXPECT_EQ(D3DFMT_X8R8G8B8, Recorded.parameters.BackBufferFormat);
    EXPECT_EQ(0u, Recorded.parameters.BackBufferWidth);
    EXPECT_EQ(0u, Recorded.parameters.BackBufferCount);
    EXPECT_EQ(0u, Recorded.parameters.PresentationInterval);
}

TEST_F(Direct3D9Runtime, TheDeviceIsAHalDeviceOfTheFirstAdapterWithSoftwareVertexProcessingOnTheFocusWindow)
{
    HWND focus = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(focus));
    ASSERT_EQ(1, Recorded.devicesAsked);
    EXPECT_EQ(0u, Recorded.adapter);
    EXPECT_EQ(D3DDEVTYPE_HAL, Recorded.type);
    EXPECT_EQ(static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING), Recorded.behaviour);
    EXPECT_EQ(focus, Recorded.focus);
    EXPECT_NE(focus, Recorded.parameters.hDeviceWindow) << "the device presents to a window of the probe's own";
    DestroyWindow(focus);
}

/* Only a 4-byte number is the runtime's setting: rewriting anything else as one would change what the user
 * stored. */
TEST_F(Direct3D9Runtime, ALoadDebugRuntimeThatIsNoNumberIsLeftAsStored)
{
    const BYTE stored[4] = { 5, 0, 0, 0 };
    SetRawValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", REG_BINARY, stored, sizeof stored);
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(std::vector<BYTE>(stored, stored + sizeof stored), data);
}

TEST_F(Direct3D9Runtime, ADriverNameOf511CharactersIsKeptWhole)
{
    DriverName = std::string(507, 'd') + ".dll";
    FakeSystemFolder system("fakes/d3d9/D3D9.DLL", "", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    EXPECT_EQ(DriverName, std::string(AdapterDriverName));
}
