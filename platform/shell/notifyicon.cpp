// Shell_NotifyIconA: the process keeps its tray icons (owner, id, callback, icon, tip), shows each
// through the driver where the desktop has a notification area, and turns clicks, the driver's or
// a test's, into the icon's callback message.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "detail.h"
#include "driver.h"
#include "icons.h"

namespace winplat::detail {
namespace {

struct TrayIcon {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback = 0;  // 0: no callback message
    HICON icon = nullptr;
    std::string tip;
    WinplatTrayIcon* shown = nullptr;
};

struct TrayIcons {
    std::mutex mutex;
    std::vector<TrayIcon> icons;
};

TrayIcons& trayIcons() {
    static TrayIcons t;
    return t;
}

std::vector<TrayIcon>::iterator findIcon(std::vector<TrayIcon>& icons, HWND owner, UINT id) {
    return std::find_if(icons.begin(), icons.end(), [&](const TrayIcon& i) { return i.owner == owner && i.id == id; });
}

void takeFields(TrayIcon& icon, const NOTIFYICONDATAA& data) {
    if (data.uFlags & NIF_MESSAGE) icon.callback = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP) icon.tip.assign(data.szTip, strnlen(data.szTip, sizeof data.szTip));
}

// Shows or changes the icon through the driver (which it loads): nothing shows without the
// driver or where the desktop has no notification area, and the icon is kept all the same.
void showIcon(TrayIcon& icon) {
    const WinplatDriverFunctions* driver = guiDriver();
    if (!driver || !driver->addTrayIcon) return;
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
    if (auto pixels = iconPixels(icon.icon)) {
        argb = argbPixels(*pixels);
        width = pixels->width, height = pixels->height;
    }
    const uint32_t* bits = argb.empty() ? nullptr : argb.data();
    if (icon.shown) driver->changeTrayIcon(icon.shown, bits, width, height, icon.tip.c_str());
    else icon.shown = driver->addTrayIcon(icon.owner, icon.id, bits, width, height, icon.tip.c_str());
}

void hideIcon(TrayIcon& icon) {
    const WinplatDriverFunctions* driver = loadedGuiDriver();
    if (driver && icon.shown) driver->removeTrayIcon(icon.shown);
    icon.shown = nullptr;
}

BOOL notifyIcon(DWORD message, const NOTIFYICONDATAA* data) {
    if (!data || data->cbSize < sizeof(NOTIFYICONDATAA) || message > NIM_DELETE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsWindow(data->hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    TrayIcons& t = trayIcons();
    std::lock_guard lock(t.mutex);
    auto found = findIcon(t.icons, data->hWnd, data->uID);
    if ((message == NIM_ADD) != (found == t.icons.end())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (message == NIM_DELETE) {
        hideIcon(*found);
        t.icons.erase(found);
        return TRUE;
    }
    if (message == NIM_ADD) {
        TrayIcon icon;
        icon.owner = data->hWnd;
        icon.id = data->uID;
        t.icons.push_back(std::move(icon));
        found = std::prev(t.icons.end());
    }
    takeFields(*found, *data);
    showIcon(*found);
    return TRUE;
}

}  // namespace

bool trayIconClicked(HWND owner, UINT id, UINT mouseMessage) {
    UINT callback = 0;
    {
        TrayIcons& t = trayIcons();
        std::lock_guard lock(t.mutex);
        auto found = findIcon(t.icons, owner, id);
        if (found == t.icons.end()) return false;
        if (!IsWindow(owner)) {  // the window went without deleting its icon: so does the icon
            hideIcon(*found);
            t.icons.erase(found);
            return false;
        }
        callback = found->callback;
    }
    if (callback) PostMessageA(owner, callback, id, static_cast<LPARAM>(mouseMessage));
    return true;
}

void resetTrayIcons() {
    TrayIcons& t = trayIcons();
    std::lock_guard lock(t.mutex);
    for (TrayIcon& icon : t.icons) hideIcon(icon);
    t.icons.clear();
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    return guardedCall(BOOL{FALSE}, [&] { return notifyIcon(dwMessage, lpData); });
}

WINPLAT_API BOOL WinplatClickTrayIcon(HWND w, UINT id, UINT mouseMessage) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (trayIconClicked(w, id, mouseMessage)) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    });
}
