#include "probe_support.h"

#include "app/app.h"
#include "support/companion.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

const BYTE PresentPrologueBytes[ENTRY_CODE_SIZE] = {
    0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC, 0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24,
};
const BYTE CursorPrologueBytes[5] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC };

#define FIELD(name, position) { #name, &ApiOffsetsFields::name, position }
const ApiOffsetsField AllApiOffsetsFields[28] = {
    FIELD(Reserved1, 12),
    FIELD(Reserved2, 13),
    FIELD(D3D9DevicePresentOffset, 14),
    FIELD(D3D9SwapChainPresentOffset, 15),
    FIELD(WglSwapBuffersOffset, 16),
    FIELD(WglSwapLayerBuffersOffset, 17),
    FIELD(D3D9DebugDevicePresentOffset, 34),
    FIELD(D3D9DebugSwapChainPresentOffset, 35),
    FIELD(D3D9SetCursorPropertiesOffset, 36),
    FIELD(D3D9SetCursorPositionOffset, 37),
    FIELD(D3D9ShowCursorOffset, 38),
    FIELD(D3D9SetCursorPropertiesProbe, 39),
    FIELD(D3D9SetCursorPositionProbe, 40),
    FIELD(D3D9ShowCursorProbe, 41),
    FIELD(Reserved3, 42),
    FIELD(Reserved4, 43),
    FIELD(Reserved5, 44),
    FIELD(Reserved6, 45),
    FIELD(Reserved7, 46),
    FIELD(Reserved8, 47),
    FIELD(D3D9DevicePresentProbe, 48),
    FIELD(D3D9SwapChainPresentProbe, 49),
    FIELD(Reserved9, 50),
    FIELD(Reserved10, 51),
    FIELD(Reserved11, 52),
    FIELD(Reserved12, 53),
    FIELD(Reserved13, 54),
    FIELD(DisplayDriverKind, 55),
};
#undef FIELD

ApiOffsetsFields SentinelApiOffsets(void)
{
    ApiOffsetsFields sentinel = {};
    UINT32 value = 0x5E000001;
    for (const ApiOffsetsField &f : AllApiOffsetsFields)
        sentinel.*f.field = value++;
    return sentinel;
}

void ExpectApiOffsets(const ApiOffsetsFields &expected, const ApiOffsetsFields &actual)
{
    for (const ApiOffsetsField &f : AllApiOffsetsFields)
        EXPECT_EQ(expected.*f.field, actual.*f.field) << f.name;
}

UINT32 ExportOffset(HMODULE module, const char *name)
{
    FARPROC address = GetProcAddress(module, name);
    EXPECT_TRUE(address != NULL) << "no export " << name;
    return (UINT32)((ULONG_PTR)address - (ULONG_PTR)module);
}

/* The file offset of an RVA, through the section table; 0 when no section
 * holds it. */
static size_t FileOffsetOf(const std::vector<BYTE> &file, const IMAGE_NT_HEADERS64 *nt, DWORD rva)
{
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++, section++) {
        DWORD size = section->SizeOfRawData;
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
            size_t offset = section->PointerToRawData + (rva - section->VirtualAddress);
            return offset < file.size() ? offset : 0;
        }
    }
    return 0;
}

UINT32 FileExportOffset(const std::string &path, const char *name)
{
    /* Read from the file itself: Wine would hand out its own d3d9 for a
     * library of that name, even one only mapped as a resource. */
    std::vector<BYTE> file;
    FILE *stream = fopen(path.c_str(), "rb");
    if (stream) {
        BYTE chunk[65536];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0)
            file.insert(file.end(), chunk, chunk + got);
        fclose(stream);
    }
    UINT32 rva = 0;
    if (file.size() > sizeof(IMAGE_DOS_HEADER)) {
        const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)file.data();
        const IMAGE_NT_HEADERS64 *nt = (const IMAGE_NT_HEADERS64 *)(file.data() + dos->e_lfanew);
        DWORD exportRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
        size_t exportsAt = exportRva ? FileOffsetOf(file, nt, exportRva) : 0;
        if (exportsAt) {
            const IMAGE_EXPORT_DIRECTORY *exports = (const IMAGE_EXPORT_DIRECTORY *)(file.data() + exportsAt);
            const DWORD *names = (const DWORD *)(file.data() + FileOffsetOf(file, nt, exports->AddressOfNames));
            const WORD *ordinals =
                (const WORD *)(file.data() + FileOffsetOf(file, nt, exports->AddressOfNameOrdinals));
            const DWORD *functions =
                (const DWORD *)(file.data() + FileOffsetOf(file, nt, exports->AddressOfFunctions));
            for (DWORD i = 0; i < exports->NumberOfNames; i++)
                if (strcmp((const char *)file.data() + FileOffsetOf(file, nt, names[i]), name) == 0)
                    rva = functions[ordinals[i]];
        }
    }
    EXPECT_NE(0u, rva) << "no export " << name << " in " << path;
    return rva;
}

UINT32 ModuleImageSize(HMODULE module)
{
    const BYTE *base = (const BYTE *)module;
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)base;
    const IMAGE_NT_HEADERS64 *nt = (const IMAGE_NT_HEADERS64 *)(base + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfImage;
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string content = ReadWholeFile(path);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

/* --- FakeSystemFolder ------------------------------------------------------ */

static void CopyFake(const std::string &variant, const char *fileName, const std::string &folder, bool required)
{
    std::string from = BuildPath("fakes/" + variant + "/" + fileName);
    if (!required && GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    EXPECT_TRUE(CopyFileA(from.c_str(), (folder + "\\" + fileName).c_str(), FALSE)) << from;
}

static const char *const FakeFileNames[] = { "D3D9D.DLL", "D3D9.DLL", "OPENGL32.DLL" };

FakeSystemFolder::FakeSystemFolder(const std::string &d3d9Variant, const std::string &openGlVariant,
                                   const std::string &behaviour)
    : path_(UniqueTempFolder("zentu-fakes"))
{
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), NULL)) << path_;
    if (!d3d9Variant.empty()) {
        CopyFake(d3d9Variant, "D3D9.DLL", path_, true);
        CopyFake(d3d9Variant, "D3D9D.DLL", path_, false);
    }
    if (!openGlVariant.empty())
        CopyFake(openGlVariant, "OPENGL32.DLL", path_, true);

    memcpy(savedSystemFolder_, SystemFolder, sizeof savedSystemFolder_);
    EXPECT_LT(path_.size(), sizeof SystemFolder);
    snprintf(SystemFolder, sizeof SystemFolder, "%s", path_.c_str());

    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour.c_str());
    SetEnvironmentVariableA("ZENTU_FAKE_LOG", (path_ + "\\fake-calls.log").c_str());
}

HMODULE FakeSystemFolder::Loaded(const char *fileName) const
{
    return GetModuleHandleA(FilePath(fileName).c_str());
}

std::vector<std::string> FakeSystemFolder::Record() const
{
    return ReadLines(path_ + "\\fake-calls.log");
}

FakeSystemFolder::~FakeSystemFolder()
{
    /* The probe keeps D3D9.DLL, and D3D9.DLL may keep D3D9D.DLL: every
     * reference goes, so that the next test starts from unmapped files. */
    for (const char *fileName : FakeFileNames) {
        for (int i = 0; i < 64; i++) {
            HMODULE module = Loaded(fileName);
            if (!module)
                break;
            FreeLibrary(module);
        }
        DeleteFileA(FilePath(fileName).c_str());
    }
    DeleteFileA((path_ + "\\fake-calls.log").c_str());
    RemoveDirectoryA(path_.c_str());
    memcpy(SystemFolder, savedSystemFolder_, sizeof savedSystemFolder_);
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", NULL);
    SetEnvironmentVariableA("ZENTU_FAKE_LOG", NULL);
}

/* --- the debug-runtime setting ---------------------------------------------- */

bool ReadDebugRuntime(DWORD *type, std::vector<BYTE> *data)
{
    return ReadValue(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH, DEBUG_RUNTIME_VALUE, type, data);
}

long long DebugRuntimeNumber(void)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadDebugRuntime(&type, &data))
        return -1;
    if (type != REG_DWORD || data.size() != sizeof(DWORD))
        return -2;
    DWORD value;
    memcpy(&value, data.data(), sizeof value);
    return value;
}

void SetDebugRuntime(DWORD value)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH, DEBUG_RUNTIME_VALUE, value);
}

void RemoveDebugRuntimeValue(void)
{
    DeleteValue(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH, DEBUG_RUNTIME_VALUE);
}

void RemoveDirect3DKey(void)
{
    /* RegDeleteKey refuses a key with subkeys: those are not ours. */
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, DIRECT3D_KEY_PATH);
}

/* --- Wine's per-program DLL overrides ---------------------------------------- */

static std::string OverrideKeyPath(const std::string &exeName)
{
    return "Software\\Wine\\AppDefaults\\" + exeName + "\\DllOverrides";
}

ScopedDllOverride::ScopedDllOverride(const std::string &exeName, const std::string &dll,
                                     const std::string &loadOrder)
    : restore_(HKEY_CURRENT_USER, OverrideKeyPath(exeName), dll)
{
    SetStringValue(HKEY_CURRENT_USER, OverrideKeyPath(exeName).c_str(), dll.c_str(), loadOrder);
}

/* --- fakes in the prefix's system folder ---------------------------------------- */

void FillCompanionFolders(void)
{
    FillFolderPaths();
}

std::string SystemDirectory(void)
{
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, sizeof folder);
    return folder;
}

static const char BackupSuffix[] = ".zentu-test-original";

InstalledDirect3D9Fake::InstalledDirect3D9Fake(const std::string &exeName, const std::string &behaviour)
    : library_(SystemDirectory() + "\\d3d9.dll"), backup_(library_ + BackupSuffix),
      debugLibrary_(SystemDirectory() + "\\d3d9d.dll"), addedDebugLibrary_(false),
      override_(exeName, "d3d9", "native")
{
    /* A run that died with the fake in place left the original aside. */
    if (GetFileAttributesA(backup_.c_str()) != INVALID_FILE_ATTRIBUTES)
        EXPECT_TRUE(CopyFileA(backup_.c_str(), library_.c_str(), FALSE));
    else
        EXPECT_TRUE(CopyFileA(library_.c_str(), backup_.c_str(), TRUE)) << library_;
    EXPECT_TRUE(CopyFileA(BuildPath("fakes/d3d9/D3D9.DLL").c_str(), library_.c_str(), FALSE));
    if (GetFileAttributesA(debugLibrary_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(CopyFileA(BuildPath("fakes/d3d9/D3D9D.DLL").c_str(), debugLibrary_.c_str(), TRUE));
        addedDebugLibrary_ = true;
    }
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", behaviour.c_str());
}

InstalledDirect3D9Fake::~InstalledDirect3D9Fake()
{
    SetEnvironmentVariableA("ZENTU_FAKE_D3D9", NULL);
    EXPECT_TRUE(CopyFileA(backup_.c_str(), library_.c_str(), FALSE)) << "putting back " << library_;
    DeleteFileA(backup_.c_str());
    if (addedDebugLibrary_)
        DeleteFileA(debugLibrary_.c_str());
}

UINT32 InstalledDirect3D9Fake::Direct3D9Export(const char *name)
{
    return FileExportOffset(BuildPath("fakes/d3d9/D3D9.DLL"), name);
}

UINT32 InstalledDirect3D9Fake::DebugRuntimeExport(const char *name)
{
    return FileExportOffset(BuildPath("fakes/d3d9/D3D9D.DLL"), name);
}
