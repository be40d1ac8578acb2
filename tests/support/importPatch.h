// Replaces one imported function of a loaded module by patching its import address table, so
// that a test can make a system or library call answer as it needs.
#pragma once

#include <windows.h>

#include <cstring>

namespace qvltest {

class ImportPatch {
public:
    ImportPatch(const char *module, const char *dll, const char *function, void *replacement)
    {
        auto *base = reinterpret_cast<uint8_t *>(GetModuleHandleA(module));
        auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
        auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress); d->Name; ++d) {
            if (lstrcmpiA(reinterpret_cast<char *>(base + d->Name), dll) != 0)
                continue;
            auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->OriginalFirstThunk);
            auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<char *>(byName->Name), function) == 0) {
                    slot_ = &slots->u1.Function;
                    original_ = *slot_;
                    Write(reinterpret_cast<DWORD_PTR>(replacement));
                    return;
                }
            }
        }
    }
    ~ImportPatch()
    {
        if (slot_)
            Write(original_);
    }
    bool ok() const { return slot_ != nullptr; }

private:
    void Write(DWORD_PTR value)
    {
        DWORD old;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }
    DWORD_PTR *slot_ = nullptr;
    DWORD_PTR original_ = 0;
};

} // namespace qvltest
