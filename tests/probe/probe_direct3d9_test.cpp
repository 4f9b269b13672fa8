/*
 * ProbeDirect3D9 in-process against the fake D3D9.DLL and D3D9D.DLL: every
 * field of ApiOffsets, every result code, the calls the runtime receives in
 * their order, and the "LoadDebugRuntime" setting before, during and after.
 */
#include "probe_support.h"

#include "support/registry.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

typedef std::vector<std::string> Lines;

class Direct3D9Probe : public testing::Test {
protected:
    void SetUp() override
    {
        ApiOffsets = SentinelApiOffsets();
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", "untouched");
        AdapterDriverVersion = 0x1234;
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

static void *ExportedPointer(HMODULE module, const char *name)
{
    void **variable = (void **)GetProcAddress(module, name);
    return variable ? *variable : NULL;
}

/* What the default fake leaves after a complete first pass. */
static ApiOffsetsFields FirstPassFields(HMODULE d3d9)
{
    ApiOffsetsFields f = SentinelApiOffsets();
    f.D3D9DebugDevicePresentOffset = 0;
    f.D3D9DebugSwapChainPresentOffset = 0;
    f.D3D9SwapChainPresentOffset = ExportOffset(d3d9, "FakeSwapChainPresentCode");
    f.D3D9SwapChainPresentProbe = 0;
    f.D3D9DevicePresentOffset = ExportOffset(d3d9, "FakeDevicePresentCode");
    f.D3D9DevicePresentProbe = 2306;
    f.Reserved12 = 0;
    f.Reserved13 = 0;
    f.D3D9SetCursorPropertiesOffset = ExportOffset(d3d9, "FakeSetCursorPropertiesCode");
    f.D3D9SetCursorPropertiesProbe = 2307;
    f.D3D9SetCursorPositionOffset = ExportOffset(d3d9, "FakeSetCursorPositionCode");
    f.D3D9SetCursorPositionProbe = 2307;
    f.D3D9ShowCursorOffset = ExportOffset(d3d9, "FakeShowCursorCode");
    f.D3D9ShowCursorProbe = 2307;
    return f;
}

/* What a probe that measured nothing leaves: only the debug offsets, set to
 * 0 on entry. */
static ApiOffsetsFields NothingMeasured(void)
{
    ApiOffsetsFields f = SentinelApiOffsets();
    f.D3D9DebugDevicePresentOffset = 0;
    f.D3D9DebugSwapChainPresentOffset = 0;
    return f;
}

static std::string CreateDeviceLine(const std::string &module, const char *outcome)
{
    return module + " Direct3D9 CreateDevice 0 1 focus=hidden 0x20 BackBuffer=0x0,22,0 MultiSample=0,0 "
                    "SwapEffect=1 DeviceWindow=hidden Windowed=1 AutoDepthStencil=0,0 Flags=0 Refresh=0 Interval=0 -> " +
           outcome;
}

/* The retail runtime's calls of a complete first pass. */
static Lines FirstPassRecord(void)
{
    return {
        "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> object",
        "D3D9 Direct3D9 GetAdapterDisplayMode 0 -> ok",
        CreateDeviceLine("D3D9", "ok"),
        "D3D9 Device GetSwapChain 0 -> ok",
        "D3D9 SwapChain Release 0",
        "D3D9 Device Release 0",
        "D3D9 Direct3D9 GetAdapterIdentifier 0 0 -> ok",
        "D3D9 Direct3D9 Release 0",
    };
}

static Lines Joined(Lines head, const Lines &tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(Direct3D9Probe, TheFakesLoadInsteadOfWinesOwnLibraries)
{
    FakeSystemFolder system("d3d9", "opengl32");
    HMODULE d3d9 = LoadLibraryA(system.FilePath("D3D9.DLL").c_str());
    ASSERT_TRUE(d3d9 != NULL);
    EXPECT_TRUE(GetProcAddress(d3d9, "FakeDevicePresentCode") != NULL)
        << "Wine loaded its own d3d9: run with WINEDLLOVERRIDES=d3d9,d3d9d,opengl32=n,b";
    FreeLibrary(d3d9);
    HMODULE opengl32 = LoadLibraryA(system.FilePath("OPENGL32.DLL").c_str());
    ASSERT_TRUE(opengl32 != NULL);
    EXPECT_TRUE(GetProcAddress(opengl32, "wglGetProcAddress") == NULL)
        << "Wine loaded its own opengl32: run with WINEDLLOVERRIDES=d3d9,d3d9d,opengl32=n,b";
    FreeLibrary(opengl32);
}

TEST_F(Direct3D9Probe, MeasuresEveryEntryPointOfTheRetailRuntimeAndKeepsItLoaded)
{
    RemoveDebugRuntimeValue();
    FakeSystemFolder system("d3d9", "");
    ASSERT_EQ(0, ProbeDirect3D9(focus_));

    HMODULE d3d9 = system.Loaded("D3D9.DLL");
    ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";
    ExpectApiOffsets(FirstPassFields(d3d9), ApiOffsets);
    EXPECT_STREQ("fake_d3d9.dll", AdapterDriverName);
    EXPECT_EQ(0x0006000E000110FFLL, AdapterDriverVersion);
    EXPECT_EQ(focus_, (HWND)ExportedPointer(d3d9, "FakeLastFocusWindow"));
    /* Released in order: swap chain, device, then the Direct3D object. */
    EXPECT_EQ(FirstPassRecord(), system.Record());
    EXPECT_EQ(NULL, system.Loaded("D3D9D.DLL"));
}

struct ResultCase {
    const char *name;
    const char *variant;
    const char *behaviour;
    int result;
    Lines record;
};

TEST_F(Direct3D9Probe, EachFailureHasItsResultFreesTheLibraryAndTurnsTheDebugRuntimeBackOn)
{
    const ResultCase cases[] = {
        { "no D3D9.DLL in the system folder", "", "", 1, {} },
        { "no Direct3DCreate9 export", "d3d9_no_create", "", 2, {} },
        { "Direct3DCreate9 gives nothing for 31 nor 30", "d3d9", "create31-null create30-null", 3,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> null",
            "D3D9 Direct3DCreate9 30 LoadDebugRuntime=0 -> null" } },
        { "GetAdapterDisplayMode fails", "d3d9", "mode-fails", 4,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> object",
            "D3D9 Direct3D9 GetAdapterDisplayMode 0 -> fails", "D3D9 Direct3D9 Release 0" } },
    };
    const long long settings[] = { -1, 5 };
    for (const ResultCase &c : cases) {
        for (long long setting : settings) {
            SCOPED_TRACE(testing::Message() << c.name << ", LoadDebugRuntime " << setting);
            if (setting < 0)
                RemoveDebugRuntimeValue();
            else
                SetDebugRuntime((DWORD)setting);
            ApiOffsets = SentinelApiOffsets();
            FakeSystemFolder system(c.variant, "opengl32", c.behaviour);

            EXPECT_EQ(c.result, ProbeDirect3D9(focus_));
            ExpectApiOffsets(NothingMeasured(), ApiOffsets);
            EXPECT_STREQ("untouched", AdapterDriverName);
            EXPECT_EQ(NULL, system.Loaded("D3D9.DLL")) << "not freed";
            EXPECT_EQ(c.record, system.Record());
            EXPECT_EQ(setting < 0 ? -1 : 1, DebugRuntimeNumber());
        }
    }
}

TEST_F(Direct3D9Probe, CarriesOnWhenOnlySdkVersion30GivesAnObject)
{
    RemoveDebugRuntimeValue();
    FakeSystemFolder system("d3d9", "", "create31-null");
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    HMODULE d3d9 = system.Loaded("D3D9.DLL");
    ASSERT_TRUE(d3d9 != NULL);
    ExpectApiOffsets(FirstPassFields(d3d9), ApiOffsets);
    Lines record = FirstPassRecord();
    record[0] = "D3D9 Direct3DCreate9 30 LoadDebugRuntime=0 -> object";
    record.insert(record.begin(), "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> null");
    EXPECT_EQ(record, system.Record());
}

struct MeasureCase {
    const char *name;
    const char *behaviour;
    /* How the fields differ from a complete first pass. */
    void (*adjust)(ApiOffsetsFields &expected, HMODULE d3d9);
    Lines record; /* empty: the record of a complete first pass */
};

TEST_F(Direct3D9Probe, MeasuresWhatTheRuntimeGivesAndLooksOnlyAtReadableCode)
{
    const ApiOffsetsFields sentinel = SentinelApiOffsets();
    const MeasureCase cases[] = {
        { "no device: nothing of the device, the adapter still asked", "device-fails",
          [](ApiOffsetsFields &f, HMODULE) { f = NothingMeasured(); },
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> object", "D3D9 Direct3D9 GetAdapterDisplayMode 0 -> ok",
            CreateDeviceLine("D3D9", "fails"), "D3D9 Direct3D9 GetAdapterIdentifier 0 0 -> ok",
            "D3D9 Direct3D9 Release 0" } },
        { "no swap chain: its two fields keep their values", "swapchain-fails",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9SwapChainPresentOffset = SentinelApiOffsets().D3D9SwapChainPresentOffset;
              f.D3D9SwapChainPresentProbe = SentinelApiOffsets().D3D9SwapChainPresentProbe;
          },
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=0 -> object", "D3D9 Direct3D9 GetAdapterDisplayMode 0 -> ok",
            CreateDeviceLine("D3D9", "ok"), "D3D9 Device GetSwapChain 0 -> fails", "D3D9 Device Release 0",
            "D3D9 Direct3D9 GetAdapterIdentifier 0 0 -> ok", "D3D9 Direct3D9 Release 0" } },
        { "Present differing from the prologue in its last byte only", "present=last-byte",
          [](ApiOffsetsFields &f, HMODULE) { f.D3D9DevicePresentProbe = 0; }, {} },
        { "Present in unreadable memory outside the runtime", "present=unreadable",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9DevicePresentOffset = 0;
              f.D3D9DevicePresentProbe = 0;
          },
          {} },
        /* A patched method table: the code even matches, but it is not the
         * runtime's, so neither offset nor probe code is handed over. */
        { "Present outside the runtime", "present=outside",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9DevicePresentOffset = 0;
              f.D3D9DevicePresentProbe = 0;
          },
          {} },
        { "SetCursorPosition outside the runtime", "set-cursor-position=outside",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9SetCursorPositionOffset = 0;
              f.D3D9SetCursorPositionProbe = 0;
          },
          {} },
        { "SetCursorProperties with the prologue and other bytes after it", "set-cursor-properties=prologue-other",
          [](ApiOffsetsFields &, HMODULE) {}, {} },
        { "SetCursorPosition with another fifth byte", "set-cursor-position=fifth-byte",
          [](ApiOffsetsFields &f, HMODULE) { f.D3D9SetCursorPositionProbe = 0; }, {} },
        { "ShowCursor in unreadable memory", "show-cursor=unreadable",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9ShowCursorOffset = 0;
              f.D3D9ShowCursorProbe = 0;
          },
          {} },
        { "every cursor method unreadable, Present a near miss",
          "present=last-byte set-cursor-properties=unreadable set-cursor-position=unreadable show-cursor=unreadable",
          [](ApiOffsetsFields &f, HMODULE) {
              f.D3D9DevicePresentProbe = 0;
              f.D3D9SetCursorPropertiesOffset = f.D3D9SetCursorPositionOffset = f.D3D9ShowCursorOffset = 0;
              f.D3D9SetCursorPropertiesProbe = f.D3D9SetCursorPositionProbe = f.D3D9ShowCursorProbe = 0;
          },
          {} },
    };
    RemoveDebugRuntimeValue();
    for (const MeasureCase &c : cases) {
        SCOPED_TRACE(c.name);
        ApiOffsets = sentinel;
        FakeSystemFolder system("d3d9", "", c.behaviour);
        ASSERT_EQ(0, ProbeDirect3D9(focus_));
        HMODULE d3d9 = system.Loaded("D3D9.DLL");
        ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";
        ApiOffsetsFields expected = FirstPassFields(d3d9);
        c.adjust(expected, d3d9);
        ExpectApiOffsets(expected, ApiOffsets);
        EXPECT_EQ(c.record.empty() ? FirstPassRecord() : c.record, system.Record());
        EXPECT_STREQ("fake_d3d9.dll", AdapterDriverName);
    }
}

TEST_F(Direct3D9Probe, KeepsTheAdaptersDriverTextWholeAndBounded)
{
    std::string alphabet511;
    for (int i = 0; i < 511; i++)
        alphabet511 += (char)('a' + i % 26);
    struct DriverCase {
        const char *behaviour;
        std::string name;
        INT64 version;
    };
    const DriverCase cases[] = {
        { "", "fake_d3d9.dll", 0x0006000E000110FFLL },
        { "driver=NV4_DISP.DLL version=0x0006000E000110FE", "NV4_DISP.DLL", 0x0006000E000110FELL },
        { "driver=ati2dvag.dll version=0", "ati2dvag.dll", 0 },
        { "version=0xFFFFFFFFFFFFFFFF", "fake_d3d9.dll", -1 },
        { "driver-length=511", alphabet511, 0x0006000E000110FFLL },
        /* A driver that fills all 512 bytes: cut to the 511 the buffer holds. */
        { "driver-unterminated", std::string(511, 'u'), 0x0006000E000110FFLL },
        { "identifier-fails", "", 0 },
    };
    RemoveDebugRuntimeValue();
    for (const DriverCase &c : cases) {
        SCOPED_TRACE(c.behaviour);
        snprintf(AdapterDriverName, sizeof AdapterDriverName, "%s", "untouched");
        AdapterDriverVersion = 0x1234;
        FakeSystemFolder system("d3d9", "", c.behaviour);
        ASSERT_EQ(0, ProbeDirect3D9(focus_));
        EXPECT_EQ(c.name, AdapterDriverName);
        EXPECT_EQ(c.version, AdapterDriverVersion);
    }
}

struct SettingCase {
    const char *name;
    void (*prepare)(void);
    const char *firstPassSees;
    bool debugPass;
    void (*check)(void);
};

TEST_F(Direct3D9Probe, SwitchesTheDebugRuntimeOffOnlyWhileTheFirstPassMeasures)
{
    const SettingCase cases[] = {
        { "no Direct3D key: created empty",
          [] {
              RemoveDebugRuntimeValue();
              RemoveDirect3DKey();
              ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH));
          },
          "0", false,
          [] {
              EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH));
              EXPECT_EQ(0, CountValues(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH));
          } },
        { "key without the value: left without it", [] { RemoveDebugRuntimeValue(); }, "0", false,
          [] { EXPECT_EQ(-1, DebugRuntimeNumber()); } },
        { "value 0: left 0", [] { SetDebugRuntime(0); }, "0", false, [] { EXPECT_EQ(0, DebugRuntimeNumber()); } },
        { "value 5: 0 while measuring, then 1", [] { SetDebugRuntime(5); }, "0", true,
          [] { EXPECT_EQ(1, DebugRuntimeNumber()); } },
        { "value 1: 0 while measuring, then 1", [] { SetDebugRuntime(1); }, "0", true,
          [] { EXPECT_EQ(1, DebugRuntimeNumber()); } },
        { "a text value is not the runtime's setting: left as it is",
          [] {
              SetStringValue(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH, DEBUG_RUNTIME_VALUE, "1");
          },
          "0", false,
          [] {
              DWORD type = 0;
              std::vector<BYTE> data;
              ASSERT_TRUE(ReadDebugRuntime(&type, &data));
              EXPECT_EQ((DWORD)REG_SZ, type);
              EXPECT_EQ(std::string("1", 2), std::string(data.begin(), data.end()));
          } },
    };
    for (const SettingCase &c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        FakeSystemFolder system("d3d9", "", "no-debug-runtime");
        ASSERT_EQ(0, ProbeDirect3D9(focus_));
        Lines record = system.Record();
        ASSERT_FALSE(record.empty());
        EXPECT_EQ(std::string("D3D9 Direct3DCreate9 31 LoadDebugRuntime=") + c.firstPassSees + " -> object",
                  record[0]);
        /* The debug pass asks for a second object once the setting is back. */
        Lines debugCreate = { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> object" };
        EXPECT_EQ(c.debugPass ? 1 : 0, std::count(record.begin(), record.end(), debugCreate[0]));
        c.check();
    }
}

/* The setting could not be switched off (no write access to the key): the
 * first pass gets the debug runtime's objects, whose entry points lie outside
 * D3D9.DLL. None of them may reach the library as a D3D9.DLL offset. */
TEST_F(Direct3D9Probe, ObjectsOfTheDebugRuntimeGiveNoRetailOffsets)
{
    RemoveDebugRuntimeValue();
    ApiOffsets = SentinelApiOffsets();
    FakeSystemFolder system("d3d9", "", "debug-always");
    ASSERT_EQ(0, ProbeDirect3D9(focus_));
    ASSERT_TRUE(system.Loaded("D3D9D.DLL") != NULL) << "the fake did not answer with its debug runtime";
    ApiOffsetsFields expected = FirstPassFields(system.Loaded("D3D9.DLL"));
    expected.D3D9SwapChainPresentOffset = expected.D3D9DevicePresentOffset = 0;
    expected.D3D9SetCursorPropertiesOffset = expected.D3D9SetCursorPositionOffset = expected.D3D9ShowCursorOffset = 0;
    expected.D3D9DevicePresentProbe = 0;
    expected.D3D9SetCursorPropertiesProbe = expected.D3D9SetCursorPositionProbe = expected.D3D9ShowCursorProbe = 0;
    ExpectApiOffsets(expected, ApiOffsets);
}

TEST_F(Direct3D9Probe, DebugPassMeasuresPresentInsideTheDebugRuntime)
{
    SetDebugRuntime(5);
    FakeSystemFolder system("d3d9", "");
    ASSERT_EQ(0, ProbeDirect3D9(focus_));

    HMODULE d3d9 = system.Loaded("D3D9.DLL");
    HMODULE d3d9d = system.Loaded("D3D9D.DLL");
    ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";
    ASSERT_TRUE(d3d9d != NULL) << "the fake runtime did not keep its debug runtime";
    ApiOffsetsFields expected = FirstPassFields(d3d9);
    expected.D3D9DebugDevicePresentOffset = ExportOffset(d3d9d, "FakeDevicePresentCode");
    expected.D3D9DebugSwapChainPresentOffset = ExportOffset(d3d9d, "FakeSwapChainPresentCode");
    ExpectApiOffsets(expected, ApiOffsets);
    /* The adapter is not asked again: the first pass's answer stays. */
    EXPECT_STREQ("fake_d3d9.dll", AdapterDriverName);
    EXPECT_EQ(focus_, (HWND)ExportedPointer(d3d9d, "FakeLastFocusWindow"));
    EXPECT_EQ(1, DebugRuntimeNumber());

    Lines debugPass = {
        "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> debug runtime",
        "D3D9D Direct3DCreate9 31 -> object",
        "D3D9D Direct3D9 GetAdapterDisplayMode 0 -> ok",
        CreateDeviceLine("D3D9D", "ok"),
        "D3D9D Device GetSwapChain 0 -> ok",
        "D3D9D SwapChain Release 0",
        "D3D9D Device Release 0",
        "D3D9D Direct3D9 Release 0",
    };
    EXPECT_EQ(Joined(FirstPassRecord(), debugPass), system.Record());
}

struct DebugCase {
    const char *name;
    const char *behaviour;
    int result;
    bool devicePresent;
    bool swapChainPresent;
    Lines debugPass;
};

TEST_F(Direct3D9Probe, DebugPassOutcomes)
{
    const DebugCase cases[] = {
        { "the setting is on but the debug runtime is not mapped", "no-debug-runtime", 0, false, false,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> object", "D3D9 Direct3D9 Release 0" } },
        { "the debug runtime gives no object", "debug-create31-null debug-create30-null", 3, false, false,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> debug runtime", "D3D9D Direct3DCreate9 31 -> null",
            "D3D9 Direct3DCreate9 30 LoadDebugRuntime=1 -> debug runtime", "D3D9D Direct3DCreate9 30 -> null" } },
        { "the debug runtime has no display mode", "debug-mode-fails", 4, false, false,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> debug runtime", "D3D9D Direct3DCreate9 31 -> object",
            "D3D9D Direct3D9 GetAdapterDisplayMode 0 -> fails", "D3D9D Direct3D9 Release 0" } },
        { "the debug runtime makes no device", "debug-device-fails", 0, false, false,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> debug runtime", "D3D9D Direct3DCreate9 31 -> object",
            "D3D9D Direct3D9 GetAdapterDisplayMode 0 -> ok", CreateDeviceLine("D3D9D", "fails"),
            "D3D9D Direct3D9 Release 0" } },
        { "the debug device has no swap chain", "debug-swapchain-fails", 0, true, false,
          { "D3D9 Direct3DCreate9 31 LoadDebugRuntime=1 -> debug runtime", "D3D9D Direct3DCreate9 31 -> object",
            "D3D9D Direct3D9 GetAdapterDisplayMode 0 -> ok", CreateDeviceLine("D3D9D", "ok"),
            "D3D9D Device GetSwapChain 0 -> fails", "D3D9D Device Release 0", "D3D9D Direct3D9 Release 0" } },
    };
    for (const DebugCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetDebugRuntime(5);
        ApiOffsets = SentinelApiOffsets();
        FakeSystemFolder system("d3d9", "", c.behaviour);
        EXPECT_EQ(c.result, ProbeDirect3D9(focus_));
        EXPECT_EQ(1, DebugRuntimeNumber());

        HMODULE d3d9 = system.Loaded("D3D9.DLL");
        if (c.result == 0) {
            ASSERT_TRUE(d3d9 != NULL) << "D3D9.DLL was freed";
        } else {
            EXPECT_EQ(NULL, d3d9) << "D3D9.DLL was kept";
            /* Computed from the file: the first pass's fields stay. */
            d3d9 = LoadLibraryA(system.FilePath("D3D9.DLL").c_str());
        }
        ApiOffsetsFields expected = FirstPassFields(d3d9);
        HMODULE d3d9d = LoadLibraryA(system.FilePath("D3D9D.DLL").c_str());
        if (c.devicePresent)
            expected.D3D9DebugDevicePresentOffset = ExportOffset(d3d9d, "FakeDevicePresentCode");
        if (c.swapChainPresent)
            expected.D3D9DebugSwapChainPresentOffset = ExportOffset(d3d9d, "FakeSwapChainPresentCode");
        FreeLibrary(d3d9d);
        ExpectApiOffsets(expected, ApiOffsets);
        EXPECT_EQ(Joined(FirstPassRecord(), c.debugPass), system.Record());
    }
}

TEST_F(Direct3D9Probe, WithoutAFocusWindowTheProbeUsesAHiddenOneOfItsOwnForTheMeasurement)
{
    SetDebugRuntime(1);
    FakeSystemFolder system("d3d9", "");
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    HMODULE d3d9 = system.Loaded("D3D9.DLL");
    HMODULE d3d9d = system.Loaded("D3D9D.DLL");
    ASSERT_TRUE(d3d9 != NULL && d3d9d != NULL);

    HWND retailFocus = (HWND)ExportedPointer(d3d9, "FakeLastFocusWindow");
    HWND debugFocus = (HWND)ExportedPointer(d3d9d, "FakeLastFocusWindow");
    EXPECT_TRUE(retailFocus != NULL);
    EXPECT_EQ(retailFocus, debugFocus) << "one window for both passes";
    EXPECT_FALSE(IsWindow(retailFocus)) << "the probe's window outlived it";
    /* Both CreateDevice lines saw a hidden window. */
    Lines record = system.Record();
    EXPECT_EQ(1, std::count(record.begin(), record.end(), CreateDeviceLine("D3D9", "ok")));
    EXPECT_EQ(1, std::count(record.begin(), record.end(), CreateDeviceLine("D3D9D", "ok")));

    ApiOffsetsFields expected = FirstPassFields(d3d9);
    expected.D3D9DebugDevicePresentOffset = ExportOffset(d3d9d, "FakeDevicePresentCode");
    expected.D3D9DebugSwapChainPresentOffset = ExportOffset(d3d9d, "FakeSwapChainPresentCode");
    ExpectApiOffsets(expected, ApiOffsets);
}
