// FindResourceA and its companions. An HRSRC points at its record's header inside the module's
// resources; every call that takes one checks that a walk of that module's records reaches a
// record there, so a handle of another module, or no handle, fails cleanly.
#include <cstdint>

#include "detail.h"
#include "resources.h"

namespace winplat::detail {
namespace {

// The record an HRSRC of `module` stands for; ERROR_INVALID_HANDLE when it is none of them.
std::optional<ResourceRecord> recordOf(HMODULE module, HRSRC resource) {
    auto image = moduleResources(module);
    if (!image) return std::nullopt;
    auto at = reinterpret_cast<uintptr_t>(resource);
    auto begin = reinterpret_cast<uintptr_t>(image->data());
    auto record = at >= begin && at - begin < image->size() ? recordAt(*image, at - begin)
                                                           : std::nullopt;
    if (!record) SetLastError(ERROR_INVALID_HANDLE);
    return record;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HRSRC FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    return guardedCall(HRSRC{}, [&]() -> HRSRC {
        constexpr WORD kPrimaryLanguageMask = 0x3FF;
        std::optional<WORD> language;
        if ((wLanguage & kPrimaryLanguageMask) != LANG_NEUTRAL) language = wLanguage;
        auto found = findResource(hModule, lpType, lpName, language);
        if (!found) return nullptr;
        return reinterpret_cast<HRSRC>(const_cast<BYTE*>(found->image.data() + found->record.offset));
    });
}

WINPLAT_API HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    return FindResourceExA(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

WINPLAT_API HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
    return guardedCall(HGLOBAL{}, [&]() -> HGLOBAL {
        auto record = recordOf(hModule, hResInfo);
        return record ? const_cast<BYTE*>(record->data.data()) : nullptr;
    });
}

WINPLAT_API LPVOID LockResource(HGLOBAL hResData) { return hResData; }

WINPLAT_API DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    return guardedCall(DWORD{0}, [&]() -> DWORD {
        auto record = recordOf(hModule, hResInfo);
        return record ? static_cast<DWORD>(record->data.size()) : 0;
    });
}

WINPLAT_API BOOL FreeResource(HGLOBAL) { return FALSE; }
