/* A folder of fake system libraries that SystemFolder points at, for the in-process probe tests. */
#pragma once
#include <windows.h>

#include <string>

/* Copies of fakes (paths in the build folder, "" for none) as D3D9.DLL, D3D9D.DLL and OPENGL32.DLL in a fresh
 * folder that SystemFolder points at, with the fake runtime's behaviour words; every module loaded from it goes
 * with it, and SystemFolder is put back. */
class FakeSystemFolder {
public:
    FakeSystemFolder(const char *d3d9, const char *opengl32, const char *behaviour);
    ~FakeSystemFolder();
    std::string File(const char *name) const;
    HMODULE Loaded(const char *name) const;

private:
    std::string path_;
    std::string saved_;
};
