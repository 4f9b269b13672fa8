#include "support/imports.h"

#include <windows.h>

#include <string.h>

void *ReplaceImport(const char *name, void *replacement)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    auto *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports); dll->Name; dll++) {
        auto *names = (IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk);
        auto *slots = (IMAGE_THUNK_DATA *)(base + dll->FirstThunk);
        for (size_t i = 0; names[i].u1.AddressOfData; i++) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            if (strcmp((char *)((IMAGE_IMPORT_BY_NAME *)(base + names[i].u1.AddressOfData))->Name, name) != 0)
                continue;
            /* The linker leaves .idata writable. */
            void *previous = (void *)slots[i].u1.Function;
            slots[i].u1.Function = (ULONG_PTR)replacement;
            return previous;
        }
    }
    return NULL;
}
