// Menus (internal): the process's menu objects, shared by the menu calls, the popup menu loop
// and the accelerators.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "win32.h"

namespace winplat::detail {

struct MenuItem {
    UINT flags = 0;  // MF_* state and type bits (MF_BYPOSITION never kept)
    UINT_PTR id = 0;
    std::string text;
    HMENU submenu = nullptr;
};

// A copy of a menu's items; empty for a handle that is no menu (`valid` false).
std::vector<MenuItem> menuItems(HMENU menu, bool* valid = nullptr);
// Whether `menu` is some window's system menu, and that window.
HWND systemMenuOwner(HMENU menu);
// Whether `id` is an item of the window's system menu (made when first asked for).
bool isSystemMenuCommand(HWND hwnd, UINT id);
// Forgets a destroyed window's system menu.
void forgetSystemMenu(HWND hwnd);
void resetMenus();
// Forgets every accelerator table (accel.cpp).
void resetAccelerators();

// Runs the platform's popup menu for `menu` at a desktop point (the popup-menu handler first,
// when one is installed); the chosen id, 0 for none.
UINT runPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

}  // namespace winplat::detail
