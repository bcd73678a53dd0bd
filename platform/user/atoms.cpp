// RegisterWindowMessageA: numbers of the session's shared table (session.db), so every process
// of the session agrees; a process without a session numbers its names alone.
#include <map>
#include <mutex>
#include <string>

#include "ascii_case.h"
#include "detail.h"
#include "session.h"

namespace winplat::detail {
namespace {

constexpr size_t kLongestName = 255;  // as atom names

// Names numbered without a session, in this process only.
UINT localMessageNumber(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, UINT, LessIgnoringCase> numbers;
    std::lock_guard lock(mutex);
    auto [it, added] = numbers.emplace(name, static_cast<UINT>(0xC000 + numbers.size()));
    return it->second <= 0xFFFF ? it->second : 0;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API UINT RegisterWindowMessageA(LPCSTR lpString) {
    return guardedCall(UINT{0}, [&]() -> UINT {
        if (!lpString || !*lpString || std::string_view(lpString).size() > kLongestName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        std::optional<UINT> shared = sessionMessageNumber(lpString);
        UINT number = shared ? *shared : localMessageNumber(lpString);
        if (!number) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return number;
    });
}
