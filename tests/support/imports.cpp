#include "support/imports.h"

#include <windows.h>

#include <string.h>

void *ReplaceImport(const char *name, void *replacement)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    auto *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports); dll->Name; dll++)
        for (auto *entry = (IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk),
                  *slot = (IMAGE_THUNK_DATA *)(base + dll->FirstThunk); entry->u1.AddressOfData; entry++, slot++)
            if (!IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal) &&
                strcmp((char *)((IMAGE_IMPORT_BY_NAME *)(base + entry->u1.AddressOfData))->Name, name) == 0) {
                void *previous = (void *)slot->u1.Function;   /* the linker leaves .idata writable */
                slot->u1.Function = (ULONG_PTR)replacement;
                return previous;
            }
    return NULL;
}
