#include "support/system_fake.h"

#include "support/process.h"

#include <gtest/gtest.h>

const char FakeRuntimeExe[] = "zentu64-fake-runtime.exe";
const char ProbeToolExe[] = "zentu64-probe.exe";

static std::string OverridesKey(const char *exe)
{
    return std::string("Software\\Wine\\AppDefaults\\") + exe + "\\DllOverrides";
}

SystemD3d9Fake::SystemD3d9Fake(const char *behaviour)
    : companion_(HKEY_CURRENT_USER, OverridesKey(FakeRuntimeExe), "d3d9"),
      tool_(HKEY_CURRENT_USER, OverridesKey(ProbeToolExe), "d3d9"), library_(SystemFolderPath("d3d9.dll")),
      backup_(library_ + ".zentu-fake-original")
{
    for (const char *exe : { FakeRuntimeExe, ProbeToolExe })
        SetStringValue(HKEY_CURRENT_USER, OverridesKey(exe).c_str(), "d3d9", behaviour ? "native" : "");
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour);
    if (!behaviour)
        return;
    /* A run that died with the fake in place left the original aside. */
    if (!CopyFileA(backup_.c_str(), library_.c_str(), FALSE))
        CopyFileA(library_.c_str(), backup_.c_str(), TRUE);
    EXPECT_TRUE(CopyFileA(BuildPath("fakes/d3d9/D3D9.DLL").c_str(), library_.c_str(), FALSE));
}

SystemD3d9Fake::~SystemD3d9Fake()
{
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", NULL);
    if (CopyFileA(backup_.c_str(), library_.c_str(), FALSE))
        DeleteFileA(backup_.c_str());
}
