#include "debug_exchange.h"

#include <cstring>

namespace huevista::drive {
namespace {

constexpr char kName[] = "HuevistaDebug";
constexpr DWORD kBlockSize = 1024;

}  // namespace

DebugExchange::DebugExchange()
    : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, kName)),
      message_(RegisterWindowMessageA(kName)) {
    if (mapping_) view_ = MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize);
}

DebugExchange::~DebugExchange() {
    if (view_) UnmapViewOfFile(view_);
}

bool DebugExchange::import(HWND wizard, const DebugValues& values) {
    if (!ready()) return false;
    std::memcpy(view_, values.data(), sizeof values);
    return SendMessageA(wizard, message_, 1, 0) == 1;
}

std::optional<DebugValues> DebugExchange::exportFrom(HWND wizard) {
    if (!ready()) return std::nullopt;
    DebugValues values;
    values.fill(static_cast<int32_t>(0xdeadbeef));
    std::memcpy(view_, values.data(), sizeof values);
    if (SendMessageA(wizard, message_, 0, 0) != 1) return std::nullopt;
    std::memcpy(values.data(), view_, sizeof values);
    return values;
}

}  // namespace huevista::drive
