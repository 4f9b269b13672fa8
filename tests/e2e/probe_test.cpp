/* The probes inside the companion and zentu64-probe.exe, with the fake
 * D3D9.DLL in the prefix's system folder. */
#include "support/companion.h"
#include "support/system_fake.h"

#include <algorithm>

/* An export's offset in a fake, loaded under a name of its own: Wine answers
 * the system's names with its own libraries. */
static UINT32 Export(const std::string &file, const char *name)
{
    std::string copy = UniqueTempFolder("zentu-export") + ".dll";
    HMODULE module = NULL;
    if (CopyFileA(file.c_str(), copy.c_str(), FALSE))
        module = LoadLibraryA(copy.c_str());
    UINT32 offset = ExportOffset(module, name);
    FreeLibrary(module);
    DeleteFileA(copy.c_str());
    return offset;
}

/* The tool's INI text, written windowless, run in folder, and its exit code after it. */
static std::string ToolOutput(const std::string &folder)
{
    std::string path = UniqueTempFolder("zentu-output") + ".txt";
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    CompanionProcess tool;
    /* -1: a box keeps it waiting. */
    long exitCode = -2;
    if (tool.Start(BuildPath(std::string("install-test/") + ProbeToolExe), "", folder, file))
        exitCode = tool.WaitExit(30000);
    CloseHandle(file);
    std::string output = ReadWholeFile(path);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    DeleteFileA(path.c_str());
    return output + "exit " + std::to_string(exitCode) + "\n";
}

typedef CompanionTest Probes;

TEST_F(Probes, WithoutAUsableDirect3D9TheCompanionShowsItsBoxAndEndsWithoutHooks)
{
    const std::string address = "following URL:\r\n\r\nhttps://www.microsoft.com/en-us/download/details.aspx?id=35";
    const struct { const char *behaviour; long exitCode, toolExitCode; std::string text; } cases[] = {
        { NULL, 7, 1, "This software requires DirectX 9.\r\n\r\nPlease download the runtime through Windows Update or "
                   "by going to the " + address },
        { "create31-null create30-null", 8, 3,
          "There was a problem initializing DirectX 9.\r\n\r\nPlease ensure your video drivers are up to date and you "
          "have the latest version of DirectX installed.  You can download the latest DirectX runtime from the " +
              address },
    };
    SetRunning(1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.exitCode);
        SystemD3d9Fake fake(c.behaviour);
        CompanionFolder folder("normal", FakeRuntimeExe);
        CompanionProcess companion;
        ASSERT_TRUE(companion.Start(folder.ExePath()));
        AnsweredBox box = AnswerMessageBox(companion.Pid(), "ZENTU error", "OK", 20000);
        ASSERT_TRUE(box.found);
        EXPECT_EQ(c.text, box.content.text);
        EXPECT_TRUE(box.content.hasIcon);
        EXPECT_EQ(NULL, box.owner);
        EXPECT_EQ(c.exitCode, companion.WaitExit(15000));
        EXPECT_EQ(-1, FirstCallWithHooks(folder.SetupCalls()));
        EXPECT_FALSE(HasShutdownCall(folder.Calls()));
        std::string tool = ToolOutput(folder.Path());
        std::string result = std::to_string(c.toolExitCode);
        EXPECT_NE(std::string::npos, tool.find("Direct3D9Result=" + result + "\n")) << tool;
        EXPECT_NE(std::string::npos, tool.find("Warning=no\nexit " + result + "\n")) << tool;
    }
}

/* The runtime loads a helper by its bare name: from beside the program, never from the tool's current folder.
 * The fake names an NVIDIA driver one version too old. */
TEST_F(Probes, TheToolReportsWhatTheProbesFindWithTheDriversWarning)
{
    SystemD3d9Fake fake("load-helper");
    CompanionFolder folder("normal", FakeRuntimeExe);
    const std::string work = folder.Path() + "\\work";
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), NULL));
    PlantHelperLibrary(work);
    const std::string d3d9 = BuildPath("fakes/d3d9/D3D9.DLL");
    HMODULE opengl = LoadLibraryA("opengl32.dll");
    char report[2048];
    snprintf(report, sizeof report,
             "[Probe]\nSystemFolder=%s\nDirect3D9Result=0\nOpenGLResult=0\n\n[ApiOffsets]\nReserved1=0\nReserved2=0\n"
             "D3D9DevicePresentOffset=0x%08X\nD3D9SwapChainPresentOffset=0x%08X\nWglSwapBuffersOffset=0x%08X\n"
             "WglSwapLayerBuffersOffset=0x%08X\nD3D9DebugDevicePresentOffset=0x00000000\n"
             "D3D9DebugSwapChainPresentOffset=0x00000000\nD3D9SetCursorPropertiesOffset=0x%08X\n"
             "D3D9SetCursorPositionOffset=0x%08X\nD3D9ShowCursorOffset=0x%08X\nD3D9SetCursorPropertiesProbe=2307\n"
             "D3D9SetCursorPositionProbe=2307\nD3D9ShowCursorProbe=2307\nReserved3=0\nReserved4=0\nReserved5=0\n"
             "Reserved6=0\nReserved7=0\nReserved8=0\nD3D9DevicePresentProbe=2306\nD3D9SwapChainPresentProbe=0\n"
             "Reserved9=0\nReserved10=0\nReserved11=0\nReserved12=0\nReserved13=0\nDisplayDriverKind=1\n\n"
             "[DisplayDriver]\nAdapterDriverName=NV4_DISP.DLL\nAdapterDriverVersion=6.14.1.4350\nKind=NVIDIA\n"
             "Warning=yes\nexit 0\n",
             SystemFolderPath().c_str(),
             Export(d3d9, "FakeDevicePresentCode"),
             Export(d3d9, "FakeSwapChainPresentCode"),
             ExportOffset(opengl, "wglSwapBuffers"),
             ExportOffset(opengl, "wglSwapLayerBuffers"),
             Export(d3d9, "FakeSetCursorPropertiesCode"),
             Export(d3d9, "FakeSetCursorPositionCode"),
             Export(d3d9, "FakeShowCursorCode"));
    EXPECT_EQ(report, ToolOutput(work));
    EXPECT_FALSE(HelperLibraryLoadedFrom(work)) << "taken from the current folder";
}

/* Each field's place in the call and each probe's values are checked in-process; here one field of each
 * probe and the driver's kind show that all three ran, after the warning was answered and before the hooks. */
TEST_F(Probes, TheCompanionWarnsOfTheDriverThenHandsOverWhatTheProbesFoundUntilTheEnd)
{
    SystemD3d9Fake fake("load-helper");
    CompanionFolder folder("normal", FakeRuntimeExe);
    PlantHelperLibrary(folder.Path());
    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    HWND box = WaitForProcessWindow(companion.Pid(), "ZENTU warning", 20000);
    ASSERT_TRUE(box);
    EXPECT_NE(std::string::npos, ReadMessageBox(box).text.find("NVIDIA"));
    EXPECT_EQ(-1, FirstCallWithHooks(folder.SetupCalls())) << "start-up went on before the box was answered";
    ASSERT_TRUE(PressMessageBoxButton(box, "OK"));
    folder.WaitForCalls([](const std::vector<LibraryCall> &calls) { return FirstCallWithHooks(calls) >= 0; }, 20000);
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    EXPECT_TRUE(HelperLibraryLoadedFrom(folder.Path())) << "none beside it";
    const std::string d3d9 = BuildPath("fakes/d3d9/D3D9.DLL");
    const std::pair<int, UINT32> expected[] = {
        { 14, Export(d3d9, "FakeDevicePresentCode") },
        { 16, ExportOffset(LoadLibraryA("opengl32.dll"), "wglSwapBuffers") },
        { 55, 1 },
    };
    std::vector<LibraryCall> setups = folder.SetupCalls();
    int hooked = FirstCallWithHooks(setups);
    ASSERT_GE(hooked, 0);
    ASSERT_TRUE(HasShutdownCall(folder.Calls()));
    for (size_t i = 0; i < setups.size(); i++)
        for (const auto &e : expected)
            EXPECT_EQ((int)i < hooked ? 0 : e.second, setups[i].Number(e.first))
                << "call " << i << ", position " << e.first << ": none before the probes ran, then all until the end";
}
