// Finding a module's resources: the .res bytes winplat_add_resources embeds, exported as
// WinplatResources with their size as WinplatResourcesSize. GetProcAddress finds them only
// among the module's own exports, so a library without resources never lends those of a
// library it uses (or of the program).
#include <cstdint>

#include "resources.h"

namespace winplat::detail {

std::optional<std::span<const BYTE>> moduleResources(HMODULE module) {
    const DWORD before = GetLastError();
    auto start = reinterpret_cast<const BYTE*>(GetProcAddress(module, "WinplatResources"));
    auto size = reinterpret_cast<const uint64_t*>(GetProcAddress(module, "WinplatResourcesSize"));
    if (!start || !size) {
        if (GetLastError() == ERROR_MOD_NOT_FOUND) return std::nullopt;
        SetLastError(before);  // a module without resources is no failure here
        return std::span<const BYTE>{};
    }
    return std::span<const BYTE>(start, static_cast<size_t>(*size));
}

std::optional<FoundResource> findResource(HMODULE module, LPCSTR type, LPCSTR name,
                                          std::optional<WORD> language) {
    auto typeKey = resourceKey(type);
    auto nameKey = resourceKey(name);
    if (!typeKey || !nameKey) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    auto image = moduleResources(module);
    if (!image) return std::nullopt;
    ResourceSearch search = findRecord(*image, *typeKey, *nameKey, language);
    if (!search.record) {
        SetLastError(search.error);
        return std::nullopt;
    }
    return FoundResource{*image, *search.record};
}

std::optional<std::span<const BYTE>> resourceData(HMODULE module, LPCSTR name, LPCSTR type) {
    auto found = findResource(module, type, name, std::nullopt);
    if (!found) return std::nullopt;
    return found->record.data;
}

}  // namespace winplat::detail
