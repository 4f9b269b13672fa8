/*
 * zentu64-probe.exe end to end: its report on standard output, its exit
 * code, and the debug-runtime setting it leaves behind.
 */
#include "probe_support.h"

#include "support/companion.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

static const char ToolExeName[] = "zentu64-probe.exe";

struct ToolRun {
    long exitCode; /* -1: still running at the deadline (killed) */
    std::string output;
};

/* Runs the tool with its standard output and error going to a file. */
static ToolRun RunTool(DWORD timeoutMs)
{
    ToolRun run{ -1, "" };
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    /* A file of its own for every run: a process the tool starts may still
     * hold the last one open. */
    static int runs;
    char outputPath[MAX_PATH];
    snprintf(outputPath, sizeof outputPath, "%szentu-probe-output-%lu-%d.txt", temp, GetCurrentProcessId(), ++runs);

    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (output == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << outputPath;
        return run;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = NULL;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string exe = BuildPath(ToolExeName);
    std::string commandLine = "\"" + exe + "\"";
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL,
                                  &startup, &process);
    CloseHandle(output);
    if (!started) {
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
        return run;
    }
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = (long)code;
    } else {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hProcess);
    /* Lines end in CR LF on standard output; the report is compared by line. */
    for (const std::string &line : ReadLines(outputPath))
        run.output += line + "\n";
    DeleteFileA(outputPath);
    return run;
}

struct Report {
    int direct3dResult;
    int openGlResult;
    ApiOffsetsFields api;
    std::string driverName;
    std::string driverVersion;
    std::string kind;
    bool warning;
};

/* The report as support staff read it: offsets in hex, the rest decimal. */
static std::string ReportText(const Report &r)
{
    std::string text = "[Probe]\nSystemFolder=" + SystemDirectory() + "\n";
    text += "Direct3D9Result=" + std::to_string(r.direct3dResult) + "\n";
    text += "OpenGLResult=" + std::to_string(r.openGlResult) + "\n";
    text += "\n[ApiOffsets]\n";
    for (const ApiOffsetsField &f : AllApiOffsetsFields) {
        char line[128];
        size_t nameLength = strlen(f.name);
        bool offset = nameLength > 6 && strcmp(f.name + nameLength - 6, "Offset") == 0;
        snprintf(line, sizeof line, offset ? "%s=0x%08X\n" : "%s=%u\n", f.name, r.api.*f.field);
        text += line;
    }
    text += "\n[DisplayDriver]\n";
    text += "AdapterDriverName=" + r.driverName + "\n";
    text += "AdapterDriverVersion=" + r.driverVersion + "\n";
    text += "Kind=" + r.kind + "\n";
    text += std::string("Warning=") + (r.warning ? "yes" : "no") + "\n";
    return text;
}

class ProbeTool : public testing::Test {
protected:
    void SetUp() override
    {
        FillCompanionFolders();
        ApiOffsets = ApiOffsetsFields();
        ASSERT_EQ(0, ProbeOpenGL());
        openGl_ = ApiOffsets;
    }

    ScopedDebugRuntimeSetting debugRuntime_;
    ApiOffsetsFields openGl_;
};

TEST_F(ProbeTool, ReportsWhatTheProbesMeasureOnThisSystem)
{
    RemoveDebugRuntimeValue();
    ASSERT_EQ(0, ProbeDirect3D9(NULL));
    bool warns = ClassifyDisplayDriver() != FALSE;
    char version[32];
    ASSERT_EQ(0, FormatDriverVersion(version, sizeof version, AdapterDriverVersion));
    UINT32 kind = ApiOffsets.DisplayDriverKind;
    Report expected = { 0, 0, ApiOffsets, AdapterDriverName, version,
                        kind == 1 ? "NVIDIA" : kind == 2 ? "ATI" : "other", warns };

    ToolRun run = RunTool(30000);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(ReportText(expected), run.output);
    EXPECT_EQ(-1, DebugRuntimeNumber());
}

TEST_F(ProbeTool, ReportsAnOutdatedDriverWithoutShowingAnyBox)
{
    SetDebugRuntime(5);
    InstalledDirect3D9Fake fake(ToolExeName, "driver=NV4_DISP.DLL version=0x0006000E000110FE");
    Report expected = { 0, 0, openGl_, "NV4_DISP.DLL", "6.14.1.4350", "NVIDIA", true };
    ApiOffsetsFields &api = expected.api;
    api.D3D9DevicePresentOffset = InstalledDirect3D9Fake::Direct3D9Export("FakeDevicePresentCode");
    api.D3D9SwapChainPresentOffset = InstalledDirect3D9Fake::Direct3D9Export("FakeSwapChainPresentCode");
    api.D3D9SetCursorPropertiesOffset = InstalledDirect3D9Fake::Direct3D9Export("FakeSetCursorPropertiesCode");
    api.D3D9SetCursorPositionOffset = InstalledDirect3D9Fake::Direct3D9Export("FakeSetCursorPositionCode");
    api.D3D9ShowCursorOffset = InstalledDirect3D9Fake::Direct3D9Export("FakeShowCursorCode");
    api.D3D9DebugDevicePresentOffset = InstalledDirect3D9Fake::DebugRuntimeExport("FakeDevicePresentCode");
    api.D3D9DebugSwapChainPresentOffset = InstalledDirect3D9Fake::DebugRuntimeExport("FakeSwapChainPresentCode");
    api.D3D9DevicePresentProbe = 2306;
    api.D3D9SetCursorPropertiesProbe = api.D3D9SetCursorPositionProbe = api.D3D9ShowCursorProbe = 2307;
    api.DisplayDriverKind = 1;

    /* A box would keep the tool waiting until the deadline. */
    ToolRun run = RunTool(30000);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(ReportText(expected), run.output);
    EXPECT_EQ(1, DebugRuntimeNumber());
}

struct FailureCase {
    const char *name;
    const char *fakeBehaviour; /* NULL: d3d9 disabled for the tool */
    int result;
};

TEST_F(ProbeTool, ExitsWithTheDirect3D9ResultAndPutsTheDebugRuntimeBack)
{
    static const FailureCase cases[] = {
        { "D3D9.DLL cannot be loaded", NULL, 1 },
        { "Direct3DCreate9 gives no object", "create31-null create30-null", 3 },
        { "no display mode", "mode-fails", 4 },
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetDebugRuntime(5);
        std::unique_ptr<ScopedDllOverride> disabled;
        std::unique_ptr<InstalledDirect3D9Fake> fake;
        if (c.fakeBehaviour)
            fake.reset(new InstalledDirect3D9Fake(ToolExeName, c.fakeBehaviour));
        else
            disabled.reset(new ScopedDllOverride(ToolExeName, "d3d9", ""));

        /* The companion would end here: no driver check, nothing to warn of. */
        Report expected = { c.result, 0, openGl_, "", "0.0.0.0", "other", false };
        ToolRun run = RunTool(30000);
        EXPECT_EQ(c.result, run.exitCode);
        EXPECT_EQ(ReportText(expected), run.output);
        EXPECT_EQ(1, DebugRuntimeNumber());
    }
}
