/* The graphics probes in-process, against fake system libraries in a folder
 * that plays the system folder (the end-to-end tests see Wine's own OPENGL32.DLL). */
#include "base/base.h"
#include "probe/probe.h"
#include "support/companion.h"
#include "support/fake_system.h"

#include <gtest/gtest.h>

typedef UINT32 ApiOffsetsFields::*Field;
#define F(name) &ApiOffsetsFields::name
static const char Direct3DKey[] = "Software\\Microsoft\\Direct3D";
static const char D3d9[] = "fakes/d3d9/D3D9.DLL";
static const char OpenGl[] = "fakes/opengl32/OPENGL32.DLL";
static const int FieldCount = sizeof(ApiOffsetsFields) / sizeof(UINT32);

/* Every field distinct and non-zero: a field the probe should not touch shows. */
static ApiOffsetsFields Sentinel(void)
{
    ApiOffsetsFields f;
    for (int i = 0; i < FieldCount; i++)
        reinterpret_cast<UINT32 *>(&f)[i] = 0x5E000001 + i;
    return f;
}

static void ExpectFields(const ApiOffsetsFields &expected)
{
    for (int i = 0; i < FieldCount; i++)
        EXPECT_EQ(reinterpret_cast<const UINT32 *>(&expected)[i], reinterpret_cast<const UINT32 *>(&ApiOffsets)[i])
            << "SetupCall position " << (i < 6 ? i + 12 : i + 28);
}

/* The fields a device measures. */
static const std::vector<Field> Device = {
    F(D3D9DevicePresentOffset),     F(D3D9DevicePresentProbe),        F(D3D9SwapChainPresentOffset),
    F(D3D9SwapChainPresentProbe),   F(D3D9SetCursorPropertiesOffset), F(D3D9SetCursorPropertiesProbe),
    F(D3D9SetCursorPositionOffset), F(D3D9SetCursorPositionProbe),    F(D3D9ShowCursorOffset),
    F(D3D9ShowCursorProbe),         F(Reserved12),                    F(Reserved13),
};

/* Every field a complete pass over the retail runtime fills, the debug runtime's Present offsets when it was
 * measured too; every other field untouched. */
static ApiOffsetsFields CompleteRetailPass(const FakeSystemFolder &system, bool debugPresents)
{
    HMODULE d3d9 = LoadLibraryA(system.File("D3D9.DLL").c_str());
    HMODULE d3d9d = LoadLibraryA(system.File("D3D9D.DLL").c_str());
    ApiOffsetsFields expected = Sentinel();
    const std::pair<Field, UINT32> complete[] = {
        { F(D3D9DevicePresentOffset), ExportOffset(d3d9, "FakeDevicePresentCode") },
        { F(D3D9SwapChainPresentOffset), ExportOffset(d3d9, "FakeSwapChainPresentCode") },
        { F(D3D9SetCursorPropertiesOffset), ExportOffset(d3d9, "FakeSetCursorPropertiesCode") },
        { F(D3D9SetCursorPositionOffset), ExportOffset(d3d9, "FakeSetCursorPositionCode") },
        { F(D3D9ShowCursorOffset), ExportOffset(d3d9, "FakeShowCursorCode") },
        { F(D3D9DevicePresentProbe), 2306 },
        { F(D3D9SwapChainPresentProbe), 0 },
        { F(D3D9SetCursorPropertiesProbe), 2307 },
        { F(D3D9SetCursorPositionProbe), 2307 },
        { F(D3D9ShowCursorProbe), 2307 },
        { F(Reserved12), 0 },
        { F(Reserved13), 0 },
        { F(D3D9DebugDevicePresentOffset), debugPresents ? ExportOffset(d3d9d, "FakeDevicePresentCode") : 0 },
        { F(D3D9DebugSwapChainPresentOffset), debugPresents ? ExportOffset(d3d9d, "FakeSwapChainPresentCode") : 0 },
    };
    for (const auto &f : complete)
        expected.*f.first = f.second;
    return expected;
}

TEST(Probe, Direct3D9MeasuresTheRetailRuntimeWithTheDebugRuntimeOffThenPresentInTheDebugRuntime)
{
    /* debugRuntime: "LoadDebugRuntime" 5, or absent; zeroed, kept: against a complete retail pass;
     * debugPresents 1: the debug runtime's two Present offsets measured */
    const struct { const char *d3d9, *behaviour; bool debugRuntime; int result; std::vector<Field> zeroed, kept;
                   int debugPresents; } cases[] = {
        { D3d9, "", false, 0, {}, {}, 0 },
        { D3d9, "", true, 0, {}, {}, 1 },
        { "", "", true, 1, {}, Device, 0 },
        { OpenGl, "", false, 2, {}, Device, 0 },
        { D3d9, "create31-null create30-null", true, 3, {}, Device, 0 },
        { D3d9, "mode-fails", true, 4, {}, Device, 0 },
        { D3d9, "create31-null", false, 0, {}, {}, 0 },
        { D3d9, "device-fails", false, 0, {}, Device, 0 },
        { D3d9, "driver-current", false, 0, {}, {}, 0 },
        { D3d9, "swapchain-fails", false, 0, {}, { F(D3D9SwapChainPresentOffset), F(D3D9SwapChainPresentProbe) }, 0 },
        /* The debug runtime's entry points lie outside D3D9.DLL: no offsets, no codes. */
        { D3d9, "debug-always", false, 0, Device, {}, 0 },
        { D3d9, "no-debug-runtime", true, 0, {}, {}, 0 },
        { D3d9, "debug-create31-null debug-create30-null", true, 3, {}, {}, 0 },
    };
    ScopedValueRestore setting(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime");
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.d3d9 << " [" << c.behaviour << "] debug runtime " << c.debugRuntime);
        DeleteValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime");
        if (c.debugRuntime)
            SetDwordValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime", 5);
        ApiOffsets = Sentinel();
        FakeSystemFolder system(c.d3d9, "", c.behaviour);
        ASSERT_EQ(c.result, ProbeDirect3D9(NULL));
        EXPECT_EQ(c.result == 0, system.Loaded("D3D9.DLL") != NULL) << "D3D9.DLL kept only when done";
        char live[16] = "";
        GetEnvironmentVariableA("ZENTU_FAKE_LIVE", live, sizeof live);
        EXPECT_STREQ("0", live) << "objects not released";
        EXPECT_EQ(c.debugRuntime ? 1 : -1, ReadDwordValue(HKEY_LOCAL_MACHINE, Direct3DKey, "LoadDebugRuntime"))
            << "the setting is put back";

        ApiOffsetsFields expected = CompleteRetailPass(system, c.debugPresents);
        for (Field f : c.zeroed)
            expected.*f = 0;
        for (Field f : c.kept)
            expected.*f = Sentinel().*f;
        ExpectFields(expected);
        /* NVIDIA's driver one below its threshold, or at it. */
        if (c.result == 0) {
            EXPECT_EQ(!strstr(c.behaviour, "driver-current"), ClassifyDisplayDriver() != 0);
        }
    }
}

TEST(Probe, OpenGlMeasuresTheSwapExportsUpToTheFirstMissingAndFreesTheLibrary)
{
    ApiOffsets = Sentinel();
    FakeSystemFolder system("", OpenGl, "");
    EXPECT_EQ(2, ProbeOpenGL());
    EXPECT_EQ(NULL, system.Loaded("OPENGL32.DLL"));
    ApiOffsetsFields expected = Sentinel();
    expected.WglSwapBuffersOffset = ExportOffset(LoadLibraryA(system.File("OPENGL32.DLL").c_str()), "wglSwapBuffers");
    ExpectFields(expected);
}
