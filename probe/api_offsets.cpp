/*
 * The probes' results, zero until measured, and the arithmetic and byte
 * patterns that both graphics probes share.
 */
#include "probe/probe.h"

#include <string.h>

ApiOffsetsFields ApiOffsets;

/* The 64-bit Present prologue the hook library knows how to patch:
 *   mov [rsp+10h], rdx / sub rsp, 78h / test rcx, rcx / mov [rsp+..], rbx */
static const BYTE DevicePresentPrologue[ENTRY_CODE_SIZE] = {
    0x48, 0x89, 0x54, 0x24, 0x10, 0x48, 0x83, 0xEC,
    0x78, 0x48, 0x85, 0xC9, 0x48, 0x89, 0x5C, 0x24,
};

/* The hot-patchable prologue: mov edi, edi / push ebp / mov ebp, esp. Only
 * these five bytes are compared; what follows differs from build to build. */
static const BYTE CursorPrologue[5] = { 0x8B, 0xFF, 0x55, 0x8B, 0xEC };

UINT32 ModuleRelativeOffset(ULONG_PTR entryPoint, ULONG_PTR moduleBase)
{
    /* The library adds the offset to the module base it finds in the game's
     * process, in 32 bits; unsigned arithmetic wraps as it must. */
    return (UINT32)entryPoint - (UINT32)moduleBase;
}

BOOL AddressInModule(ULONG_PTR address, HMODULE module)
{
    HMODULE owner = NULL;
    if (!module || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       reinterpret_cast<LPCSTR>(address), &owner))
        return FALSE;
    return owner == module;
}

UINT32 MeasuredOffset(ULONG_PTR entryPoint, HMODULE module)
{
    /* An entry point outside its module (the debug runtime answering for the
     * retail one, or a method table another program patched) has no offset
     * the hook library could use: 0 says "not measured". */
    if (!AddressInModule(entryPoint, module))
        return 0;
    return ModuleRelativeOffset(entryPoint, reinterpret_cast<ULONG_PTR>(module));
}

UINT32 DevicePresentProbeCode(const BYTE code[ENTRY_CODE_SIZE])
{
    if (memcmp(code, DevicePresentPrologue, sizeof DevicePresentPrologue) == 0)
        return PROBE_CODE_DEVICE_PRESENT;
    return PROBE_CODE_NONE;
}

UINT32 CursorProbeCode(const BYTE code[ENTRY_CODE_SIZE])
{
    if (memcmp(code, CursorPrologue, sizeof CursorPrologue) == 0)
        return PROBE_CODE_CURSOR;
    return PROBE_CODE_NONE;
}

int SystemLibraryPath(char *dest, size_t size, const char *folder, const char *fileName)
{
    /* An empty folder would make "\D3D9.DLL" a path on the current drive:
     * a library from anywhere but the system folder must not be loaded. */
    if (folder[0] == '\0')
        return 1;
    size_t folderLength = strlen(folder);
    size_t nameLength = strlen(fileName);
    /* folder, backslash, name and terminator */
    if (size == 0 || folderLength >= size || nameLength + 1 >= size - folderLength)
        return 1;
    memcpy(dest, folder, folderLength);
    dest[folderLength] = '\\';
    memcpy(dest + folderLength + 1, fileName, nameLength + 1);
    return 0;
}
