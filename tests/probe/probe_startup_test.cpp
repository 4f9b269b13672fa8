/*
 * The probes inside the real zentu64.exe under Wine: exit codes 7 and 8 with
 * their boxes, the outdated-driver warning, and the probe results the hook
 * library receives.
 */
#include "e2e/e2e.h"
#include "probe_support.h"


#include <memory>

/* A program name of its own, so that the load orders set for it reach no
 * other test's companion. */
static const char TestExeName[] = "zentu64-probe-e2e.exe";

static const std::string DirectXAddress = "https://www.microsoft.com/en-us/download/details.aspx?id=35";

class ProbeStartup : public CompanionTest {
protected:
    ScopedDebugRuntimeSetting debugRuntime_;
};

/* The OpenGL offsets on this system, measured in this process: the
 * companion loads the same OPENGL32.DLL. */
static ApiOffsetsFields PlatformOpenGlOffsets(void)
{
    FillCompanionFolders();
    ApiOffsets = ApiOffsetsFields();
    EXPECT_EQ(0, ProbeOpenGL());
    return ApiOffsets;
}

/* Every probe position is 0 in the calls made before the probes ran (the
 * pages' calls while they initialise). */
static void ExpectNoProbeResultsBefore(const std::vector<LibraryCall> &setups, size_t end)
{
    for (size_t i = 0; i < end && i < setups.size(); i++)
        for (const ApiOffsetsField &f : AllApiOffsetsFields)
            EXPECT_EQ(0u, setups[i].Number(f.position)) << "call " << i << ", " << f.name;
}

struct DirectXFailureCase {
    const char *name;
    const char *fakeBehaviour; /* NULL: d3d9 disabled for the program */
    long exitCode;
    std::string text;
};

TEST_F(ProbeStartup, WithoutAUsableDirect3D9TheCompanionShowsItsBoxAndEnds)
{
    const DirectXFailureCase cases[] = {
        { "D3D9.DLL cannot be loaded", NULL, 7,
          "This software requires DirectX 9.\r\n\r\n"
          "Please download the runtime through Windows Update or by going to the following URL:\r\n\r\n" +
              DirectXAddress },
        { "Direct3DCreate9 gives no object", "create31-null create30-null", 8,
          "There was a problem initializing DirectX 9.\r\n\r\n"
          "Please ensure your video drivers are up to date and you have the latest version of DirectX installed.  "
          "You can download the latest DirectX runtime from the following URL:\r\n\r\n" +
              DirectXAddress },
    };
    SetRunning(1);
    for (const DirectXFailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetDebugRuntime(5);
        std::unique_ptr<ScopedDllOverride> disabled;
        std::unique_ptr<InstalledDirect3D9Fake> fake;
        if (c.fakeBehaviour)
            fake.reset(new InstalledDirect3D9Fake(TestExeName, c.fakeBehaviour));
        else
            disabled.reset(new ScopedDllOverride(TestExeName, "d3d9", ""));

        CompanionFolder folder("normal", TestExeName);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU error", 20000);
        ASSERT_TRUE(box) << "no box; windows: " << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ(c.text, content.text);
        EXPECT_TRUE(content.hasIcon);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
        EXPECT_FALSE(content.owned);
        EXPECT_EQ(-1, companion.WaitExit(300)) << "ended before the box was answered";
        /* The probe put the user's setting back before the box came. */
        EXPECT_EQ(1, DebugRuntimeNumber());
        ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
        EXPECT_EQ(c.exitCode, companion.WaitExit(15000));

        /* The library never got its hooks, nor a shutdown call. */
        std::vector<LibraryCall> setups = folder.SetupCalls();
        EXPECT_EQ(-1, FirstCallWithHooks(setups));
        EXPECT_FALSE(HasShutdownCall(folder.Calls()));
        ExpectNoProbeResultsBefore(setups, setups.size());
    }
}

struct WarningCase {
    const char *name;
    const char *behaviour;
    UINT32 kind;
    std::string text;
};

TEST_F(ProbeStartup, AnOutdatedDriverIsWarnedAboutAndTheLibraryGetsEveryProbeResult)
{
    const WarningCase cases[] = {
        { "NVIDIA 6.14.1.4350", "driver=NV4_DISP.DLL version=0x0006000E000110FE", 1,
          "Your NVIDIA Detonator drivers are out of date!\r\n\r\n"
          "There may be performance problems capturing video from your games.\r\n\r\n"
          "You can download the latest Forceware drivers for free from:\r\n\r\nhttps://www.nvidia.com/" },
        { "ATI 6.14.10.6342", "driver=ati2dvag.dll version=0x0006000E000A18C6", 2,
          "Your ATI Catalyst drivers are out of date!\r\n\r\n"
          "There may be performance problems capturing video from your games.\r\n\r\n"
          "You can download the latest Catalyst drivers for free from:\r\n\r\nhttps://www.amd.com/" },
    };
    const ApiOffsetsFields openGl = PlatformOpenGlOffsets();
    ASSERT_NE(0u, openGl.WglSwapBuffersOffset);
    SetRunning(1);
    for (const WarningCase &c : cases) {
        SCOPED_TRACE(c.name);
        /* With the debug runtime on, the fake maps its D3D9D.DLL. */
        SetDebugRuntime(5);
        InstalledDirect3D9Fake fake(TestExeName, c.behaviour);
        CompanionFolder folder("normal", TestExeName);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));

        HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU warning", 20000);
        ASSERT_TRUE(box) << "no box; windows: " << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ(c.text, content.text);
        EXPECT_TRUE(content.hasIcon);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
        EXPECT_FALSE(content.owned);
        EXPECT_EQ(-1, FirstCallWithHooks(folder.SetupCalls())) << "start-up went on before the box was answered";
        ASSERT_TRUE(PressMessageBoxButton(box, "OK"));

        std::vector<LibraryCall> setups = folder.WaitForCalls([](const std::vector<LibraryCall> &calls) {
            return FirstCallWithHooks(calls) >= 0;
        }, 20000);
        setups = folder.SetupCalls();
        int hooked = FirstCallWithHooks(setups);
        ASSERT_GE(hooked, 0);

        const struct {
            int position;
            UINT32 value;
        } expected[] = {
            { 14, InstalledDirect3D9Fake::Direct3D9Export("FakeDevicePresentCode") },
            { 15, InstalledDirect3D9Fake::Direct3D9Export("FakeSwapChainPresentCode") },
            { 16, openGl.WglSwapBuffersOffset },
            { 17, openGl.WglSwapLayerBuffersOffset },
            { 34, InstalledDirect3D9Fake::DebugRuntimeExport("FakeDevicePresentCode") },
            { 35, InstalledDirect3D9Fake::DebugRuntimeExport("FakeSwapChainPresentCode") },
            { 36, InstalledDirect3D9Fake::Direct3D9Export("FakeSetCursorPropertiesCode") },
            { 37, InstalledDirect3D9Fake::Direct3D9Export("FakeSetCursorPositionCode") },
            { 38, InstalledDirect3D9Fake::Direct3D9Export("FakeShowCursorCode") },
            { 39, 2307 },
            { 40, 2307 },
            { 41, 2307 },
            { 48, 2306 },
            { 49, 0 },
            { 55, c.kind },
        };
        for (const auto &e : expected)
            EXPECT_EQ(e.value, setups[hooked].Number(e.position)) << "position " << e.position;
        ExpectNoProbeResultsBefore(setups, (size_t)hooked);
        EXPECT_EQ(1, DebugRuntimeNumber());

        SetRunning(0);
        EXPECT_EQ(0, companion.WaitExit(15000));
        /* The results never change: the shutdown call carries them too. */
        setups = folder.SetupCalls();
        ASSERT_TRUE(HasShutdownCall(folder.Calls()));
        for (const ApiOffsetsField &f : AllApiOffsetsFields)
            EXPECT_EQ(setups[hooked].Number(f.position), setups.back().Number(f.position)) << f.name;
        SetRunning(1);
    }
}

TEST_F(ProbeStartup, OnThisSystemTheLibraryGetsWhatTheProbesMeasureHere)
{
    /* The same probes in this process, on the same platform libraries. */
    RemoveDebugRuntimeValue();
    FillCompanionFolders();
    ApiOffsets = ApiOffsetsFields();
    ASSERT_EQ(0, ProbeOpenGL());
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    bool warns = ClassifyDisplayDriver() != FALSE;
    const ApiOffsetsFields measured = ApiOffsets;
    ASSERT_NE(0u, measured.D3D9DevicePresentOffset);

    SetRunning(1);
    CompanionFolder folder("normal");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    if (warns) {
        HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU warning", 20000);
        ASSERT_TRUE(box);
        ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    }
    std::vector<LibraryCall> setups = folder.WaitForCalls([](const std::vector<LibraryCall> &calls) {
        return FirstCallWithHooks(calls) >= 0;
    }, 20000);
    setups = folder.SetupCalls();
    int hooked = FirstCallWithHooks(setups);
    ASSERT_GE(hooked, 0);
    for (const ApiOffsetsField &f : AllApiOffsetsFields)
        EXPECT_EQ(measured.*f.field, setups[hooked].Number(f.position)) << f.name << " at " << f.position;
    ExpectNoProbeResultsBefore(setups, (size_t)hooked);
    EXPECT_TRUE(FindProcessWindow(companion.Pid(), "ZENTU error") == NULL);

    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
}
