// Accelerator tables from RT_ACCELERATOR resources, and TranslateAcceleratorA: a key with its
// modifiers becomes WM_COMMAND (1 in the high word), or WM_SYSCOMMAND for an id of the window's
// system menu.
#include <mutex>
#include <unordered_map>
#include <vector>

#include "detail.h"
#include "menu.h"
#include "object_table.h"
#include "resources.h"

namespace winplat::detail {
namespace {

struct Accelerator {
    BYTE flags = 0;  // FVIRTKEY, FSHIFT, FCONTROL, FALT
    WORD key = 0;
    WORD command = 0;
};

using AcceleratorTables = ObjectTable<HACCEL, std::vector<Accelerator>>;

AcceleratorTables& acceleratorTables() {
    static AcceleratorTables t{0x70001};  // 1 modulo 4, apart from the menus
    return t;
}

constexpr size_t kEntryBytes = 8;  // flags, key, command, padding
constexpr WORD kLastEntry = 0x80;

bool matches(const Accelerator& a, const MSG& msg) {
    bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (a.flags & FVIRTKEY) {
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
        return msg.wParam == a.key && shift == ((a.flags & FSHIFT) != 0) && control == ((a.flags & FCONTROL) != 0) &&
               alt == ((a.flags & FALT) != 0);
    }
    // Character accelerators: the character itself (Alt only when asked for).
    if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
    return msg.wParam == a.key && alt == ((a.flags & FALT) != 0);
}

}  // namespace

void resetAccelerators() {
    AcceleratorTables& t = acceleratorTables();
    std::lock_guard lock(t.mutex);
    t.clear();
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HACCEL LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
    return guardedCall(HACCEL{}, [&]() -> HACCEL {
        auto data = resourceData(hInstance, lpTableName, RT_ACCELERATOR);
        if (!data) return nullptr;
        std::vector<Accelerator> entries;
        for (size_t at = 0; at + kEntryBytes <= data->size(); at += kEntryBytes) {
            WORD flags = readWord(*data, at);
            entries.push_back({static_cast<BYTE>(flags & 0x7F), readWord(*data, at + 2), readWord(*data, at + 4)});
            if (flags & kLastEntry) break;
        }
        if (entries.empty()) {
            SetLastError(ERROR_INVALID_DATA);
            return nullptr;
        }
        AcceleratorTables& t = acceleratorTables();
        std::lock_guard lock(t.mutex);
        return t.add(std::make_shared<std::vector<Accelerator>>(std::move(entries)));
    });
}

WINPLAT_API BOOL DestroyAcceleratorTable(HACCEL hAccel) {
    AcceleratorTables& t = acceleratorTables();
    std::lock_guard lock(t.mutex);
    return t.erase(hAccel) ? TRUE : FALSE;
}

WINPLAT_API int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    if (!lpMsg || !IsWindow(hWnd)) {
        SetLastError(lpMsg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<Accelerator> table;
    {
        AcceleratorTables& t = acceleratorTables();
        std::lock_guard lock(t.mutex);
        auto found = t.find(hAccTable);
        if (!found) {
            SetLastError(ERROR_INVALID_ACCEL_HANDLE);
            return 0;
        }
        table = *found;
    }
    for (const Accelerator& a : table) {
        if (!matches(a, *lpMsg)) continue;
        if (isSystemMenuCommand(hWnd, a.command)) SendMessageA(hWnd, WM_SYSCOMMAND, a.command, 0);
        else SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(a.command, 1), 0);
        return 1;
    }
    return 0;
}
