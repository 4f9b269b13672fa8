#include "support/system_fake.h"

#include "support/process.h"

#include <gtest/gtest.h>

const char FakeRuntimeExe[] = "zentu64-fake-runtime.exe";

static std::string OverridesKey()
{
    return std::string("Software\\Wine\\AppDefaults\\") + FakeRuntimeExe + "\\DllOverrides";
}

static std::string SystemLibrary()
{
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\d3d9.dll";
}

SystemD3d9Fake::SystemD3d9Fake(const char *behaviour)
    : override_(HKEY_CURRENT_USER, OverridesKey(), "d3d9"), library_(SystemLibrary()),
      backup_(library_ + ".zentu-fake-original")
{
    SetStringValue(HKEY_CURRENT_USER, OverridesKey().c_str(), "d3d9", behaviour ? "native" : "");
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
