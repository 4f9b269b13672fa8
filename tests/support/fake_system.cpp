#include "support/fake_system.h"

#include "base/base.h"
#include "support/process.h"

#include <stdio.h>

FakeSystemFolder::FakeSystemFolder(const char *d3d9, const char *opengl32, const char *behaviour)
    : path_(UniqueTempFolder("zentu-fakes")), saved_(SystemFolder)
{
    CreateDirectoryA(path_.c_str(), NULL);
    const std::pair<const char *, const char *> copies[] = {
        { d3d9, "D3D9.DLL" },
        { "fakes/d3d9/D3D9D.DLL", "D3D9D.DLL" },
        { opengl32, "OPENGL32.DLL" },
    };
    for (const auto &copy : copies)
        if (copy.first[0])
            CopyFileA(BuildPath(copy.first).c_str(), File(copy.second).c_str(), FALSE);
    snprintf(SystemFolder, sizeof SystemFolder, "%s", path_.c_str());
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour);
    SetEnvironmentVariableA("ZENTU_FAKE_LIVE", "0");
}

FakeSystemFolder::~FakeSystemFolder()
{
    for (const char *file : { "D3D9D.DLL", "D3D9.DLL", "OPENGL32.DLL" }) {
        while (Loaded(file))
            FreeLibrary(Loaded(file));
        DeleteFileA(File(file).c_str());
    }
    RemoveDirectoryA(path_.c_str());
    snprintf(SystemFolder, sizeof SystemFolder, "%s", saved_.c_str());
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", NULL);
}

std::string FakeSystemFolder::File(const char *name) const
{
    return path_ + "\\" + name;
}

HMODULE FakeSystemFolder::Loaded(const char *name) const
{
    return GetModuleHandleA(File(name).c_str());
}
