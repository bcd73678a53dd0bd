// Menu objects: popup menus built by calls or from RT_MENU templates, items found by command
// (in submenus too) or by position, check and grey states, and each window's system menu.
#include "menu.h"

#include <mutex>
#include <unordered_map>

#include "codepage.h"
#include "detail.h"
#include "object_table.h"
#include "resources.h"

namespace winplat::detail {
namespace {

struct Menu {
    std::vector<MenuItem> items;
};

struct MenuTable {
    ObjectTable<HMENU, Menu> menus{0x60001};  // 1 modulo 4
    std::unordered_map<HWND, HMENU> systemMenus;
    std::mutex& mutex = menus.mutex;
};

MenuTable& menuTable() {
    static MenuTable t;
    return t;
}

std::shared_ptr<Menu> findMenu(MenuTable& t, HMENU h) { return t.menus.find(h); }

HMENU addMenu(MenuTable& t) { return t.menus.add(std::make_shared<Menu>()); }

// The item an MF_BYPOSITION or MF_BYCOMMAND reference names: its menu and index (commands are
// looked for in submenus too, depth first).
bool locate(MenuTable& t, HMENU h, UINT item, UINT flags, std::shared_ptr<Menu>& menu, size_t& index, int depth = 0) {
    auto m = findMenu(t, h);
    if (!m || depth > 16) return false;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return false;
        menu = m, index = item;
        return true;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const MenuItem& it = m->items[i];
        if (!(it.flags & MF_POPUP) && it.id == item && !(it.flags & MF_SEPARATOR)) {
            menu = m, index = i;
            return true;
        }
        if ((it.flags & MF_POPUP) && locate(t, it.submenu, item, flags, menu, index, depth + 1)) return true;
    }
    return false;
}

template <typename R, typename Body>
R withItem(HMENU h, UINT item, UINT flags, R onFailure, Body&& body) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    std::shared_ptr<Menu> menu;
    size_t index = 0;
    if (!locate(t, h, item, flags, menu, index)) {
        SetLastError(findMenu(t, h) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
        return onFailure;
    }
    return body(menu->items[index], *menu, index);
}

MenuItem makeItem(UINT flags, UINT_PTR id, LPCSTR text) {
    MenuItem item;
    item.flags = flags & ~(MF_BYPOSITION | MF_CHANGE | MF_APPEND | MF_DELETE | MF_REMOVE);
    if (flags & MF_POPUP) item.submenu = reinterpret_cast<HMENU>(id);
    else item.id = id;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) item.text = text;
    return item;
}

void destroyLocked(MenuTable& t, HMENU h, int depth = 0) {
    auto m = findMenu(t, h);
    if (!m || depth > 16) return;
    t.menus.erase(h);
    for (const MenuItem& item : m->items)
        if (item.flags & MF_POPUP) destroyLocked(t, item.submenu, depth + 1);
}

// RT_MENU: a header (version 0, header size), then items: flags, an id unless MF_POPUP, the
// UTF-16 text; a popup's items follow it; MF_END marks each level's last item.
size_t readItems(MenuTable& t, HMENU into, std::span<const BYTE> bytes, size_t at, int depth, bool& ok) {
    auto menu = findMenu(t, into);
    while (ok) {
        if (at + 2 > bytes.size() || depth > 16) {
            ok = false;
            return at;
        }
        UINT flags = readWord(bytes, at);
        at += 2;
        UINT_PTR id = 0;
        if (!(flags & MF_POPUP)) {
            if (at + 2 > bytes.size()) {
                ok = false;
                return at;
            }
            id = readWord(bytes, at);
            at += 2;
        }
        std::string text;
        for (;;) {
            if (at + 2 > bytes.size()) {
                ok = false;
                return at;
            }
            WORD unit = readWord(bytes, at);
            at += 2;
            if (!unit) break;
            text += toWindows1252(static_cast<char16_t>(unit));
        }
        bool last = flags & MF_END;
        flags &= ~MF_END;
        if (!(flags & MF_POPUP) && id == 0 && text.empty()) flags |= MF_SEPARATOR;
        MenuItem item = makeItem(flags, id, text.c_str());
        if (flags & MF_POPUP) {
            item.submenu = addMenu(t);
            at = readItems(t, item.submenu, bytes, at, depth + 1, ok);
        }
        menu->items.push_back(std::move(item));
        if (last) break;
    }
    return at;
}

HMENU loadMenu(std::span<const BYTE> bytes) {
    if (bytes.size() < 4 || readWord(bytes, 0) != 0) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    size_t at = 4 + readWord(bytes, 2);
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    HMENU h = addMenu(t);
    bool ok = true;
    readItems(t, h, bytes, at, 0, ok);
    if (!ok) {
        destroyLocked(t, h);
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return h;
}

}  // namespace

std::vector<MenuItem> menuItems(HMENU menu, bool* valid) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    auto m = findMenu(t, menu);
    if (valid) *valid = m != nullptr;
    return m ? m->items : std::vector<MenuItem>{};
}

HWND systemMenuOwner(HMENU menu) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    for (auto& [hwnd, h] : t.systemMenus)
        if (h == menu) return hwnd;
    return nullptr;
}

bool isSystemMenuCommand(HWND hwnd, UINT id) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    return menu && GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void forgetSystemMenu(HWND hwnd) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    auto it = t.systemMenus.find(hwnd);
    if (it == t.systemMenus.end()) return;
    destroyLocked(t, it->second);
    t.systemMenus.erase(it);
}

void resetMenus() {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    t.menus.clear();
    t.systemMenus.clear();
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HMENU CreateMenu(void) {
    return guardedCall(HMENU{}, [] {
        MenuTable& t = menuTable();
        std::lock_guard lock(t.mutex);
        return addMenu(t);
    });
}

WINPLAT_API HMENU CreatePopupMenu(void) { return CreateMenu(); }

WINPLAT_API BOOL IsMenu(HMENU hMenu) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    return findMenu(t, hMenu) != nullptr;
}

WINPLAT_API BOOL DestroyMenu(HMENU hMenu) {
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    if (!findMenu(t, hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    destroyLocked(t, hMenu);
    return TRUE;
}

WINPLAT_API HMENU LoadMenuIndirectA(const void* lpMenuTemplate) {
    if (!lpMenuTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return guardedCall(HMENU{}, [&] { return loadMenu({static_cast<const BYTE*>(lpMenuTemplate), size_t{1} << 20}); });
}

WINPLAT_API HMENU LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
    return guardedCall(HMENU{}, [&]() -> HMENU {
        auto data = resourceData(hInstance, lpMenuName, RT_MENU);
        return data ? loadMenu(*data) : nullptr;
    });
}

WINPLAT_API BOOL InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        MenuTable& t = menuTable();
        std::lock_guard lock(t.mutex);
        auto menu = findMenu(t, hMenu);
        if (!menu) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        if ((uFlags & MF_POPUP) && !findMenu(t, reinterpret_cast<HMENU>(uIDNewItem))) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        MenuItem item = makeItem(uFlags, uIDNewItem, lpNewItem);
        size_t index = menu->items.size();
        if ((uFlags & MF_BYPOSITION) && uPosition < menu->items.size()) {
            index = uPosition;
        } else if (!(uFlags & MF_BYPOSITION) && uPosition != static_cast<UINT>(-1)) {
            // Before the item with that command, in whichever menu holds it.
            std::shared_ptr<Menu> holder;
            if (locate(t, hMenu, uPosition, MF_BYCOMMAND, holder, index)) menu = holder;
            else index = menu->items.size();
        }
        menu->items.insert(menu->items.begin() + static_cast<ptrdiff_t>(index), std::move(item));
        return TRUE;
    });
}

WINPLAT_API BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return InsertMenuA(hMenu, static_cast<UINT>(-1), uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

WINPLAT_API BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    return withItem(hMenu, uPosition, uFlags, BOOL{FALSE}, [](MenuItem&, Menu& menu, size_t index) -> BOOL {
        menu.items.erase(menu.items.begin() + static_cast<ptrdiff_t>(index));
        return TRUE;
    });
}

WINPLAT_API BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    HMENU sub = withItem(hMenu, uPosition, uFlags, HMENU{}, [](MenuItem& item, Menu&, size_t) { return item.submenu; });
    if (!RemoveMenu(hMenu, uPosition, uFlags)) return FALSE;
    if (sub) DestroyMenu(sub);
    return TRUE;
}

WINPLAT_API HMENU GetSubMenu(HMENU hMenu, int nPos) {
    if (nPos < 0) return nullptr;
    return withItem(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION, HMENU{},
                    [](MenuItem& item, Menu&, size_t) { return (item.flags & MF_POPUP) ? item.submenu : nullptr; });
}

WINPLAT_API int GetMenuItemCount(HMENU hMenu) {
    bool valid = false;
    auto items = menuItems(hMenu, &valid);
    if (!valid) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return static_cast<int>(items.size());
}

WINPLAT_API UINT GetMenuItemID(HMENU hMenu, int nPos) {
    if (nPos < 0) return static_cast<UINT>(-1);
    return withItem(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION, static_cast<UINT>(-1), [](MenuItem& item, Menu&, size_t) {
        return (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
    });
}

WINPLAT_API int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    if (lpString && cchMax > 0) *lpString = '\0';
    return withItem(hMenu, uIDItem, flags, 0, [&](MenuItem& item, Menu&, size_t) -> int {
        if (!lpString || cchMax <= 0) return static_cast<int>(item.text.size());
        return static_cast<int>(copyBounded(lpString, static_cast<size_t>(cchMax), item.text));
    });
}

WINPLAT_API UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    HMENU sub = nullptr;
    UINT state = withItem(hMenu, uId, uFlags, static_cast<UINT>(-1), [&](MenuItem& item, Menu&, size_t) -> UINT {
        sub = item.submenu;
        return item.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR | MF_HILITE | MF_DEFAULT |
                             MF_MENUBREAK | MF_MENUBARBREAK | MF_BITMAP | MF_OWNERDRAW);
    });
    // A popup's state carries its item count in the high byte.
    if (state != static_cast<UINT>(-1) && (state & MF_POPUP)) state |= static_cast<UINT>(menuItems(sub).size()) << 8;
    return state;
}

WINPLAT_API DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    return withItem(hMenu, uIDCheckItem, uCheck, static_cast<DWORD>(-1), [&](MenuItem& item, Menu&, size_t) -> DWORD {
        DWORD previous = item.flags & MF_CHECKED;
        item.flags = (item.flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
        return previous;
    });
}

WINPLAT_API BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    return withItem(hMenu, uIDEnableItem, uEnable, -1, [&](MenuItem& item, Menu&, size_t) -> BOOL {
        BOOL previous = static_cast<BOOL>(item.flags & (MF_GRAYED | MF_DISABLED));
        item.flags = (item.flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
        return previous;
    });
}

// A window's system menu: Move (greyed: windows move through the window manager), a separator
// and Close, as a dialog's; bRevert puts it back as it was made.
WINPLAT_API HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (bRevert) {
        forgetSystemMenu(hWnd);
        return nullptr;
    }
    {
        MenuTable& t = menuTable();
        std::lock_guard lock(t.mutex);
        if (auto it = t.systemMenus.find(hWnd); it != t.systemMenus.end()) return it->second;
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_GRAYED, SC_MOVE, "&Move");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    MenuTable& t = menuTable();
    std::lock_guard lock(t.mutex);
    t.systemMenus[hWnd] = menu;
    return menu;
}

WINPLAT_API BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    if (!IsMenu(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        UINT id = runPopupMenu(hMenu, uFlags, x, y, hWnd);
        if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(id);
        if (id) PostMessageA(hWnd, systemMenuOwner(hMenu) ? WM_SYSCOMMAND : WM_COMMAND, id, 0);
        return TRUE;
    });
}
