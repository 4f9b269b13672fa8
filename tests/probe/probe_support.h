/*
 * Helpers of the probe tests: a folder with fake system libraries that
 * SystemFolder points at, the fakes' record of calls, the debug-runtime
 * setting, Wine's per-program DLL overrides, fakes installed into the
 * prefix's own system folder, and offsets read from export tables.
 */
#pragma once

#include "probe/probe.h"
#include "support/registry.h"

#include <windows.h>

#include <string>
#include <vector>

#define DIRECT3D_KEY_PATH "Software\\Microsoft\\Direct3D"
#define DEBUG_RUNTIME_VALUE "LoadDebugRuntime"

/* The 16 bytes of the known Present prologue and the cursor prologue. */
extern const BYTE PresentPrologueBytes[ENTRY_CODE_SIZE];
extern const BYTE CursorPrologueBytes[5];

/* Every ApiOffsets field by name, in the order of the SetupCall arguments,
 * with its 1-based argument position. */
struct ApiOffsetsField {
    const char *name;
    UINT32 ApiOffsetsFields::*field;
    int position;
};
extern const ApiOffsetsField AllApiOffsetsFields[28];

/* A record whose every field holds a distinct non-zero value, so that a
 * field the probe should not touch shows when it was. */
ApiOffsetsFields SentinelApiOffsets(void);
/* Compares field by field, naming the fields that differ. */
void ExpectApiOffsets(const ApiOffsetsFields &expected, const ApiOffsetsFields &actual);

/* The offset of a module's export from its base, as the probe computes. */
UINT32 ExportOffset(HMODULE module, const char *name);
/* The same for a DLL file that is not loaded (or must not be run): read from
 * the export table in the file. 0 when not found. */
UINT32 FileExportOffset(const std::string &path, const char *name);
/* SizeOfImage of a loaded module. */
UINT32 ModuleImageSize(HMODULE module);

/*
 * A fresh folder holding copies of fake libraries, which SystemFolder points
 * at while it lives. d3d9Variant names a folder under fakes/ whose D3D9.DLL
 * (and D3D9D.DLL, if any) are copied, openGlVariant likewise for
 * OPENGL32.DLL; "" copies nothing. The fakes' behaviour words and record
 * file are set in the environment. When it goes, every module loaded from
 * it is freed, SystemFolder and the environment are put back and the folder
 * is removed.
 */
class FakeSystemFolder {
public:
    FakeSystemFolder(const std::string &d3d9Variant, const std::string &openGlVariant,
                     const std::string &behaviour = "");
    ~FakeSystemFolder();
    FakeSystemFolder(const FakeSystemFolder &) = delete;
    FakeSystemFolder &operator=(const FakeSystemFolder &) = delete;

    const std::string &Path() const { return path_; }
    std::string FilePath(const char *fileName) const { return path_ + "\\" + fileName; }
    /* The module loaded from this folder under that file name, or NULL. */
    HMODULE Loaded(const char *fileName) const;
    /* The fakes' record, one entry per line. */
    std::vector<std::string> Record() const;

private:
    std::string path_;
    char savedSystemFolder_[256];
};

/* Lines of a text file, without their line ends. */
std::vector<std::string> ReadLines(const std::string &path);

/* Puts "Software\Microsoft\Direct3D" and its "LoadDebugRuntime" back as
 * they were; never touches other values or subkeys. */
class ScopedDebugRuntimeSetting : public ScopedValueRestore {
public:
    ScopedDebugRuntimeSetting() : ScopedValueRestore(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH, DEBUG_RUNTIME_VALUE) {}
};

void SetDebugRuntime(DWORD value);
void RemoveDebugRuntimeValue(void);
/* Removes the Direct3D key when it has no subkeys (its values go with it). */
void RemoveDirect3DKey(void);
/* What "LoadDebugRuntime" holds: false when the value is absent. */
bool ReadDebugRuntime(DWORD *type, std::vector<BYTE> *data);
/* The value as a number, or -1 when absent and -2 when not a REG_DWORD. */
long long DebugRuntimeNumber(void);

/* HKCU "Software\Wine\AppDefaults\<exe>\DllOverrides": a per-program load
 * order, which Wine reads when the program starts. Put back when it goes. */
class ScopedDllOverride {
public:
    ScopedDllOverride(const std::string &exeName, const std::string &dll, const std::string &loadOrder);

private:
    ScopedValueRestore restore_;
};

/*
 * The fake D3D9.DLL (and D3D9D.DLL) installed in the prefix's own system
 * folder for one program: the real d3d9.dll is kept aside and put back when
 * this goes, and the program gets a native-first load order for d3d9 so
 * that it loads the fake. Wine keeps loading its own d3d9 for every other
 * program, fake file or not.
 */
class InstalledDirect3D9Fake {
public:
    InstalledDirect3D9Fake(const std::string &exeName, const std::string &behaviour);
    ~InstalledDirect3D9Fake();
    InstalledDirect3D9Fake(const InstalledDirect3D9Fake &) = delete;
    InstalledDirect3D9Fake &operator=(const InstalledDirect3D9Fake &) = delete;

    /* The offset of an export of the installed D3D9.DLL or D3D9D.DLL. */
    static UINT32 Direct3D9Export(const char *name);
    static UINT32 DebugRuntimeExport(const char *name);

private:
    std::string library_;
    std::string backup_;
    std::string debugLibrary_;
    bool addedDebugLibrary_;
    ScopedDllOverride override_;
};

/* The Windows system folder of this prefix. */
std::string SystemDirectory(void);

/* Fills the companion's folder paths in this process, SystemFolder among
 * them, for probes run here. (The end-to-end helpers have a CompanionFolder
 * of their own, so those tests keep app/app.h out.) */
void FillCompanionFolders(void);
