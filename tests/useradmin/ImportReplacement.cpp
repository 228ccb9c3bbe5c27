#include "ImportReplacement.h"

#include <cstring>

ImportReplacement::ImportReplacement(HMODULE module, const char* dll, const char* function,
                                     const void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress) return;

    for (const IMAGE_IMPORT_DESCRIPTOR* imported =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         imported->Name; ++imported) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imported->Name), dll) != 0) continue;
        // The names come from the lookup table; the addresses the loader wrote sit in
        // the parallel address table.
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imported->OriginalFirstThunk);
        IMAGE_THUNK_DATA* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imported->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            m_slot = reinterpret_cast<const void**>(&addresses->u1.Function);
            m_original = *m_slot;
            write(replacement);
            return;
        }
    }
}

ImportReplacement::~ImportReplacement()
{
    if (m_slot) write(m_original);
}

void ImportReplacement::write(const void* address)
{
    DWORD protection = 0;
    VirtualProtect(m_slot, sizeof(*m_slot), PAGE_READWRITE, &protection);
    *m_slot = address;
    VirtualProtect(m_slot, sizeof(*m_slot), protection, &protection);
}
