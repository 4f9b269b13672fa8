/*
 * The probes inside the real programs under Wine, with the fake D3D9.DLL in
 * the prefix's system folder: the companion's exit codes 7 and 8 with their
 * boxes, the outdated-driver warning before the hooks, the probe results at
 * their SetupCall positions, and the report of zentu64-probe.exe.
 */
#include "e2e/e2e.h"

#include <algorithm>

/*
 * The fake D3D9.DLL (with D3D9D.DLL) in the system folder for one program,
 * which gets a native-first load order for d3d9; with behaviour NULL, d3d9
 * is disabled for it instead. Every other program still loads Wine's own.
 */
class SystemFake {
public:
    SystemFake(const std::string &exe, const char *behaviour) : override_(HKEY_CURRENT_USER, Key(exe), "d3d9")
    {
        SetStringValue(HKEY_CURRENT_USER, Key(exe).c_str(), "d3d9", behaviour ? "native" : "");
        SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour);
        if (!behaviour)
            return;
        /* A run that died with the fake in place left the original aside. */
        if (!CopyFileA(backup_.c_str(), library_.c_str(), FALSE)) {
            EXPECT_TRUE(CopyFileA(library_.c_str(), backup_.c_str(), TRUE));
        }
        EXPECT_TRUE(CopyFileA(BuildPath("fakes/d3d9/D3D9.DLL").c_str(), library_.c_str(), FALSE));
        addedDebug_ = CopyFileA(BuildPath("fakes/d3d9/D3D9D.DLL").c_str(), debug_.c_str(), TRUE);
    }
    ~SystemFake()
    {
        SetEnvironmentVariableA("ZENTU_FAKE_D3D9", NULL);
        if (CopyFileA(backup_.c_str(), library_.c_str(), FALSE))
            DeleteFileA(backup_.c_str());
        if (addedDebug_)
            DeleteFileA(debug_.c_str());
    }
    static std::string System(const char *file = NULL)
    {
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, sizeof folder);
        return file ? std::string(folder) + "\\" + file : folder;
    }
    /* An export's offset in a fake, loaded under another name than the
     * system's, which Wine would answer with its own library. */
    static UINT32 Export(const char *fake, const char *name)
    {
        std::string copy = UniqueTempFolder("zentu-export") + ".dll";
        CopyFileA(BuildPath(std::string("fakes/d3d9/") + fake).c_str(), copy.c_str(), FALSE);
        HMODULE module = LoadLibraryA(copy.c_str());
        UINT32 offset = (UINT32)((ULONG_PTR)GetProcAddress(module, name) - (ULONG_PTR)module);
        FreeLibrary(module);
        DeleteFileA(copy.c_str());
        return offset;
    }

private:
    static std::string Key(const std::string &exe) { return "Software\\Wine\\AppDefaults\\" + exe + "\\DllOverrides"; }
    ScopedValueRestore override_;
    std::string library_ = System("d3d9.dll"), backup_ = library_ + ".zentu-test-original";
    std::string debug_ = System("d3d9d.dll");
    bool addedDebug_ = false;
};

/* The OpenGL offsets of this system's library, which both programs load. */
static UINT32 OpenGlExport(const char *name)
{
    HMODULE module = LoadLibraryA(SystemFake::System("opengl32.dll").c_str());
    return (UINT32)((ULONG_PTR)GetProcAddress(module, name) - (ULONG_PTR)module);
}

class Probes : public CompanionTest {
protected:
    ScopedValueRestore setting_{ HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime" };
    void SetDebugRuntime(DWORD value)
    {
        SetDwordValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime", value);
    }
    long long DebugRuntime()
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        ReadValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Direct3D", "LoadDebugRuntime", &type, &data);
        return data.size() == 4 ? *reinterpret_cast<DWORD *>(data.data()) : -1;
    }
};

/* A program name of its own: the load orders set for it reach no other test. */
static const char TestExe[] = "zentu64-probe-e2e.exe";
static const std::string DirectXAddress = "https://www.microsoft.com/en-us/download/details.aspx?id=35";

TEST_F(Probes, WithoutAUsableDirect3D9TheCompanionShowsItsBoxAndEndsWithoutHooks)
{
    const struct {
        const char *behaviour;
        long exitCode;
        std::string text;
    } cases[] = {
        { NULL, 7,
          "This software requires DirectX 9.\r\n\r\nPlease download the runtime through Windows Update or by going "
          "to the following URL:\r\n\r\n" + DirectXAddress },
        { "create31-null create30-null", 8,
          "There was a problem initializing DirectX 9.\r\n\r\nPlease ensure your video drivers are up to date and you "
          "have the latest version of DirectX installed.  You can download the latest DirectX runtime from the "
          "following URL:\r\n\r\n" + DirectXAddress },
    };
    SetRunning(1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.exitCode);
        SetDebugRuntime(5);
        SystemFake fake(TestExe, c.behaviour);
        CompanionFolder folder("normal", TestExe);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU error", 20000);
        ASSERT_TRUE(box) << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
        MessageBoxContent content = ReadMessageBox(box);
        EXPECT_EQ(c.text, content.text);
        EXPECT_TRUE(content.hasIcon);
        EXPECT_EQ(std::vector<std::string>{ "OK" }, content.buttons);
        EXPECT_EQ(1, DebugRuntime()) << "the setting is put back before the box";
        ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
        EXPECT_EQ(c.exitCode, companion.WaitExit(15000));
        EXPECT_EQ(-1, FirstCallWithHooks(folder.SetupCalls()));
        EXPECT_FALSE(HasShutdownCall(folder.Calls()));
    }
}

TEST_F(Probes, AfterTheDriverWarningTheLibraryGetsEveryProbeResultUntilShutdown)
{
    SetDebugRuntime(5);
    SystemFake fake(TestExe, "driver=ati2dvag.dll version=0x0006000E000A18C6");
    SetRunning(1);
    CompanionFolder folder("normal", TestExe);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU warning", 20000);
    ASSERT_TRUE(box) << testing::PrintToString(ProcessWindowCaptions(companion.Pid()));
    EXPECT_EQ(-1, FirstCallWithHooks(folder.SetupCalls())) << "start-up went on before the box was answered";
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    folder.WaitForCalls([](const std::vector<LibraryCall> &calls) { return FirstCallWithHooks(calls) >= 0; }, 20000);
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    EXPECT_EQ(1, DebugRuntime());

    const struct {
        int position;
        UINT32 value;
    } expected[] = {
        { 12, 0 }, { 13, 0 },
        { 14, SystemFake::Export("D3D9.DLL", "FakeDevicePresentCode") },
        { 15, SystemFake::Export("D3D9.DLL", "FakeSwapChainPresentCode") },
        { 16, OpenGlExport("wglSwapBuffers") }, { 17, OpenGlExport("wglSwapLayerBuffers") },
        { 34, SystemFake::Export("D3D9D.DLL", "FakeDevicePresentCode") },
        { 35, SystemFake::Export("D3D9D.DLL", "FakeSwapChainPresentCode") },
        { 36, SystemFake::Export("D3D9.DLL", "FakeSetCursorPropertiesCode") },
        { 37, SystemFake::Export("D3D9.DLL", "FakeSetCursorPositionCode") },
        { 38, SystemFake::Export("D3D9.DLL", "FakeShowCursorCode") },
        { 39, 2307 }, { 40, 2307 }, { 41, 2307 }, { 48, 2306 }, { 49, 0 }, { 53, 0 }, { 54, 0 }, { 55, 2 },
    };
    std::vector<LibraryCall> setups = folder.SetupCalls();
    int hooked = FirstCallWithHooks(setups);
    ASSERT_GE(hooked, 0);
    ASSERT_TRUE(HasShutdownCall(folder.Calls()));
    for (size_t i = 0; i < setups.size(); i++)
        for (const auto &e : expected)
            EXPECT_EQ((int)i < hooked ? 0 : e.value, setups[i].Number(e.position))
                << "call " << i << ", position " << e.position << ": none before the probes ran, then all";
}

TEST_F(Probes, TheProbeToolReportsWhatTheProbesFoundWithoutABoxAndExitsWithTheResult)
{
    SetDebugRuntime(5);
    {
        SystemFake fake("zentu64-probe.exe", "driver=NV4_DISP.DLL version=0x0006000E000110FE");
        std::string output;
        EXPECT_EQ(0, RunCapturingOutput(BuildPath("zentu64-probe.exe"), 30000, &output)) << "a box stays open";
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        char text[2048];
        snprintf(text, sizeof text,
                 "[Probe]\nSystemFolder=%s\nDirect3D9Result=0\nOpenGLResult=0\n\n[ApiOffsets]\n"
                 "Reserved1=0\nReserved2=0\nD3D9DevicePresentOffset=0x%08X\nD3D9SwapChainPresentOffset=0x%08X\n"
                 "WglSwapBuffersOffset=0x%08X\nWglSwapLayerBuffersOffset=0x%08X\n"
                 "D3D9DebugDevicePresentOffset=0x%08X\nD3D9DebugSwapChainPresentOffset=0x%08X\n"
                 "D3D9SetCursorPropertiesOffset=0x%08X\nD3D9SetCursorPositionOffset=0x%08X\n"
                 "D3D9ShowCursorOffset=0x%08X\nD3D9SetCursorPropertiesProbe=2307\n"
                 "D3D9SetCursorPositionProbe=2307\nD3D9ShowCursorProbe=2307\nReserved3=0\nReserved4=0\n"
                 "Reserved5=0\nReserved6=0\nReserved7=0\nReserved8=0\nD3D9DevicePresentProbe=2306\n"
                 "D3D9SwapChainPresentProbe=0\nReserved9=0\nReserved10=0\nReserved11=0\nReserved12=0\n"
                 "Reserved13=0\nDisplayDriverKind=1\n\n[DisplayDriver]\nAdapterDriverName=NV4_DISP.DLL\n"
                 "AdapterDriverVersion=6.14.1.4350\nKind=NVIDIA\nWarning=yes\n",
                 SystemFake::System().c_str(),
                 SystemFake::Export("D3D9.DLL", "FakeDevicePresentCode"),
                 SystemFake::Export("D3D9.DLL", "FakeSwapChainPresentCode"), OpenGlExport("wglSwapBuffers"),
                 OpenGlExport("wglSwapLayerBuffers"), SystemFake::Export("D3D9D.DLL", "FakeDevicePresentCode"),
                 SystemFake::Export("D3D9D.DLL", "FakeSwapChainPresentCode"),
                 SystemFake::Export("D3D9.DLL", "FakeSetCursorPropertiesCode"),
                 SystemFake::Export("D3D9.DLL", "FakeSetCursorPositionCode"),
                 SystemFake::Export("D3D9.DLL", "FakeShowCursorCode"));
        EXPECT_EQ(text, output);
        EXPECT_EQ(1, DebugRuntime());
    }
    SetDebugRuntime(5);
    SystemFake fake("zentu64-probe.exe", "mode-fails");
    std::string output;
    EXPECT_EQ(4, RunCapturingOutput(BuildPath("zentu64-probe.exe"), 30000, &output));
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_NE(std::string::npos, output.find("\nDirect3D9Result=4\n")) << output;
    EXPECT_NE(std::string::npos, output.find("\nAdapterDriverName=\nAdapterDriverVersion=0.0.0.0\nKind=other"
                                             "\nWarning=no\n")) << output;
    EXPECT_EQ(1, DebugRuntime());
}
