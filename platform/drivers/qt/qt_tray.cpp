// Tray icons: a QSystemTrayIcon each where the desktop has a notification area. Clicks reach the
// host as the mouse messages Windows reports for them, after Qt's event handling.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QSystemTrayIcon>

#include <cstring>

#include "qt_state.h"

struct WinplatTrayIcon {
    QSystemTrayIcon icon;
};

namespace winplat::qt {
namespace {

QIcon iconOf(const uint32_t* argb, int width, int height) {
    if (!argb || width <= 0 || height <= 0)
        return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    QImage image(reinterpret_cast<const uchar*>(argb), width, height, width * 4, QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(image.copy()));
}

QString tipText(const char* tip) { return tip ? fromWindows1252(tip, static_cast<int>(std::strlen(tip))) : QString(); }

void tell(HWND owner, UINT id, std::initializer_list<UINT> messages) {
    std::vector<UINT> all(messages);
    deliverLater([owner, id, all] {
        for (UINT m : all) state().host.trayClicked(owner, id, m);
    });
}

WinplatTrayIcon* addTrayIcon(HWND owner, UINT id, const uint32_t* argb, int width, int height, const char* tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
    auto* made = new WinplatTrayIcon;
    made->icon.setIcon(iconOf(argb, width, height));
    made->icon.setToolTip(tipText(tip));
    QObject::connect(&made->icon, &QSystemTrayIcon::activated, [owner, id](QSystemTrayIcon::ActivationReason why) {
        switch (why) {
            case QSystemTrayIcon::Trigger: tell(owner, id, {WM_LBUTTONDOWN, WM_LBUTTONUP}); break;
            case QSystemTrayIcon::DoubleClick: tell(owner, id, {WM_LBUTTONDBLCLK}); break;
            case QSystemTrayIcon::Context: tell(owner, id, {WM_RBUTTONDOWN, WM_RBUTTONUP}); break;
            default: break;
        }
    });
    made->icon.show();
    return made;
}

void changeTrayIcon(WinplatTrayIcon* icon, const uint32_t* argb, int width, int height, const char* tip) {
    if (!icon) return;
    icon->icon.setIcon(iconOf(argb, width, height));
    icon->icon.setToolTip(tipText(tip));
}

void removeTrayIcon(WinplatTrayIcon* icon) { delete icon; }

}  // namespace

void fillTrayFunctions(WinplatDriverFunctions& f) {
    f.addTrayIcon = addTrayIcon;
    f.changeTrayIcon = changeTrayIcon;
    f.removeTrayIcon = removeTrayIcon;
}

}  // namespace winplat::qt
