/* Points this program's import of a function elsewhere; returns the old target, NULL when it imports no such
 * function. The product's code is linked into the test program, so its calls go there too. */
#pragma once

#include <windows.h>

#include <string.h>

inline void *ReplaceImport(const char *function, void *replacement)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    auto *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    auto *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports);
    for (; dll->Name; dll++)
        for (auto *name = (IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk),
                  *slot = (IMAGE_THUNK_DATA *)(base + dll->FirstThunk); name->u1.AddressOfData; name++, slot++)
            if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                strcmp((char *)((IMAGE_IMPORT_BY_NAME *)(base + name->u1.AddressOfData))->Name, function) == 0) {
                DWORD protection;
                VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
                void *previous = (void *)slot->u1.Function;
                slot->u1.Function = (ULONG_PTR)replacement;
                VirtualProtect(slot, sizeof *slot, protection, &protection);
                return previous;
            }
    return NULL;
}
