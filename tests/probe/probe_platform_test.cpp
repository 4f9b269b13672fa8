/*
 * The probes against the platform's own D3D9.DLL and OPENGL32.DLL (Wine's
 * d3d9 on wined3d and its opengl32, on the Xvfb display), compared with what
 * the test measures by itself.
 */
#include "probe_support.h"

#include "app/app.h"

#include <d3d9.h>
#include <gtest/gtest.h>

#include <set>
#include <string.h>
#include <string>

class PlatformProbe : public testing::Test {
protected:
    void SetUp() override
    {
        FillFolderPaths();
        ASSERT_STRNE("", SystemFolder);
        ApiOffsets = ApiOffsetsFields();
        focus_ = CreateWindowExA(0, "STATIC", "probe test focus", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(focus_ != NULL);
    }
    void TearDown() override
    {
        DestroyWindow(focus_);
    }

    ScopedDebugRuntimeSetting debugRuntime_;
    HWND focus_ = NULL;
};

typedef IDirect3D9 *(WINAPI CREATE_PROC)(UINT sdkVersion);

static ULONG_PTR Slot(const void *object, size_t slot)
{
    const ULONG_PTR *table;
    memcpy(&table, object, sizeof table);
    return table[slot];
}

/* The test's own look at the runtime: the same device the probe makes. */
struct OwnMeasurement {
    ULONG_PTR devicePresent, swapChainPresent, setCursorProperties, setCursorPosition, showCursor;
    std::string driver;
    INT64 driverVersion;
};

static bool MeasureOwnDevice(HMODULE d3d9, HWND window, OwnMeasurement *out)
{
    CREATE_PROC *create = (CREATE_PROC *)(void *)GetProcAddress(d3d9, "Direct3DCreate9");
    if (!create)
        return false;
    IDirect3D9 *direct3d = create(D3D_SDK_VERSION);
    if (!direct3d)
        return false;
    D3DDISPLAYMODE mode;
    D3DPRESENT_PARAMETERS parameters = {};
    IDirect3DDevice9 *device = NULL;
    IDirect3DSwapChain9 *swapChain = NULL;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    bool ok = SUCCEEDED(direct3d->GetAdapterDisplayMode(0, &mode));
    if (ok) {
        parameters.BackBufferFormat = mode.Format;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        ok = SUCCEEDED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                              &parameters, &device));
    }
    if (ok)
        ok = SUCCEEDED(device->GetSwapChain(0, &swapChain));
    if (ok)
        ok = SUCCEEDED(direct3d->GetAdapterIdentifier(0, 0, &identifier));
    if (ok) {
        out->devicePresent = Slot(device, 17);
        out->swapChainPresent = Slot(swapChain, 3);
        out->setCursorProperties = Slot(device, 10);
        out->setCursorPosition = Slot(device, 11);
        out->showCursor = Slot(device, 12);
        out->driver = identifier.Driver;
        out->driverVersion = identifier.DriverVersion.QuadPart;
    }
    if (swapChain)
        swapChain->Release();
    if (device)
        device->Release();
    direct3d->Release();
    return ok;
}

TEST_F(PlatformProbe, OpenGlOffsetsLieInsideTheLibraryWhichIsFreedAgain)
{
    std::string path = SystemDirectory() + "\\OPENGL32.DLL";
    ASSERT_EQ(NULL, GetModuleHandleA(path.c_str())) << "already loaded: the test could not tell";

    ASSERT_EQ(0, ProbeOpenGL());
    EXPECT_EQ(NULL, GetModuleHandleA(path.c_str())) << "OPENGL32.DLL was kept";

    HMODULE opengl32 = LoadLibraryA(path.c_str());
    ASSERT_TRUE(opengl32 != NULL);
    UINT32 imageSize = ModuleImageSize(opengl32);
    EXPECT_EQ(ExportOffset(opengl32, "wglSwapBuffers"), ApiOffsets.WglSwapBuffersOffset);
    EXPECT_EQ(ExportOffset(opengl32, "wglSwapLayerBuffers"), ApiOffsets.WglSwapLayerBuffersOffset);
    FreeLibrary(opengl32);
    for (UINT32 offset : { ApiOffsets.WglSwapBuffersOffset, ApiOffsets.WglSwapLayerBuffersOffset }) {
        EXPECT_NE(0u, offset);
        EXPECT_LT(offset, imageSize);
    }
    EXPECT_NE(ApiOffsets.WglSwapBuffersOffset, ApiOffsets.WglSwapLayerBuffersOffset);
}

/* The code a probe field must hold for the bytes found at that offset. */
static UINT32 ExpectedCode(HMODULE module, UINT32 offset, UINT32 (*match)(const BYTE *))
{
    BYTE code[ENTRY_CODE_SIZE];
    memcpy(code, (const BYTE *)module + offset, sizeof code);
    return match(code);
}

TEST_F(PlatformProbe, Direct3D9OffsetsLieInsideTheRuntimeWhichStaysLoaded)
{
    RemoveDebugRuntimeValue();
    std::string path = SystemDirectory() + "\\D3D9.DLL";
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    HMODULE d3d9 = GetModuleHandleA(path.c_str());
    ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";

    OwnMeasurement own;
    ASSERT_TRUE(MeasureOwnDevice(d3d9, focus_, &own)) << "the runtime makes no device under this display";
    ULONG_PTR base = (ULONG_PTR)d3d9;
    const ApiOffsetsFields &api = ApiOffsets;
    EXPECT_EQ(ModuleRelativeOffset(own.devicePresent, base), api.D3D9DevicePresentOffset);
    EXPECT_EQ(ModuleRelativeOffset(own.swapChainPresent, base), api.D3D9SwapChainPresentOffset);
    EXPECT_EQ(ModuleRelativeOffset(own.setCursorProperties, base), api.D3D9SetCursorPropertiesOffset);
    EXPECT_EQ(ModuleRelativeOffset(own.setCursorPosition, base), api.D3D9SetCursorPositionOffset);
    EXPECT_EQ(ModuleRelativeOffset(own.showCursor, base), api.D3D9ShowCursorOffset);

    UINT32 imageSize = ModuleImageSize(d3d9);
    const UINT32 offsets[] = { api.D3D9DevicePresentOffset, api.D3D9SwapChainPresentOffset,
                               api.D3D9SetCursorPropertiesOffset, api.D3D9SetCursorPositionOffset,
                               api.D3D9ShowCursorOffset };
    for (UINT32 offset : offsets) {
        EXPECT_NE(0u, offset);
        EXPECT_LT(offset, imageSize) << "outside D3D9.DLL's image";
    }
    EXPECT_EQ(5u, std::set<UINT32>(std::begin(offsets), std::end(offsets)).size()) << "two entry points at one place";

    EXPECT_EQ(ExpectedCode(d3d9, api.D3D9DevicePresentOffset, DevicePresentProbeCode), api.D3D9DevicePresentProbe);
    EXPECT_EQ(ExpectedCode(d3d9, api.D3D9SetCursorPropertiesOffset, CursorProbeCode),
              api.D3D9SetCursorPropertiesProbe);
    EXPECT_EQ(ExpectedCode(d3d9, api.D3D9SetCursorPositionOffset, CursorProbeCode), api.D3D9SetCursorPositionProbe);
    EXPECT_EQ(ExpectedCode(d3d9, api.D3D9ShowCursorOffset, CursorProbeCode), api.D3D9ShowCursorProbe);
    EXPECT_EQ(0u, api.D3D9SwapChainPresentProbe);
    EXPECT_EQ(0u, api.D3D9DebugDevicePresentOffset);
    EXPECT_EQ(0u, api.D3D9DebugSwapChainPresentOffset);

    EXPECT_STRNE("", AdapterDriverName);
    EXPECT_EQ(own.driver, AdapterDriverName);
    EXPECT_EQ(own.driverVersion, AdapterDriverVersion);
    EXPECT_EQ(-1, DebugRuntimeNumber());
}

TEST_F(PlatformProbe, DebugRuntimeSettingWithoutADebugRuntimeIsPutBackToOne)
{
    SetDebugRuntime(5);
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    EXPECT_EQ(NULL, GetModuleHandleA("D3D9D.DLL"));
    EXPECT_EQ(0u, ApiOffsets.D3D9DebugDevicePresentOffset);
    EXPECT_EQ(0u, ApiOffsets.D3D9DebugSwapChainPresentOffset);
    EXPECT_NE(0u, ApiOffsets.D3D9DevicePresentOffset);
    EXPECT_EQ(1, DebugRuntimeNumber());
}

TEST_F(PlatformProbe, ProbeWithoutAPageStillGetsADevice)
{
    RemoveDebugRuntimeValue();
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    ApiOffsetsFields withWindow = ApiOffsets;
    ApiOffsets = ApiOffsetsFields();
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    EXPECT_NE(0u, ApiOffsets.D3D9DevicePresentOffset);
    ExpectApiOffsets(withWindow, ApiOffsets);
}
