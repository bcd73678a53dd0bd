// Screens as Qt sees them, and display changes on the virtual display through the offscreen
// plugin's setConfiguration.
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>
#include <qpa/qplatformintegration.h>
#include <qpa/qplatformnativeinterface.h>
#include <QtGui/private/qguiapplication_p.h>

#include "qt_state.h"

namespace winplat::qt {
namespace {

// In the order of their names, which is the monitor order on the virtual display.
QList<QScreen*> orderedScreens() {
    QList<QScreen*> screens = QGuiApplication::screens();
    if (state().host.display == WINPLAT_DISPLAY_VIRTUAL)
        std::sort(screens.begin(), screens.end(), [](QScreen* a, QScreen* b) { return a->name() < b->name(); });
    return screens;
}

int screenCount() { return static_cast<int>(QGuiApplication::screens().size()); }

BOOL screenGeometry(int index, RECT* rect) {
    QList<QScreen*> screens = orderedScreens();
    if (!rect || index < 0 || index >= screens.size()) return FALSE;
    QRect g = screens[index]->geometry().translated(-state().origin);
    *rect = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    return TRUE;
}

BOOL configureScreens(const RECT* rects, int count) {
    if (state().host.display != WINPLAT_DISPLAY_VIRTUAL || !rects || count <= 0) return FALSE;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    // The plugin hands its function out as a generic pointer; it takes the configuration and
    // the integration.
    using SetConfiguration = void (*)(const QJsonObject&, QPlatformIntegration*);
    void* function = native ? reinterpret_cast<void*>(native->nativeResourceFunctionForIntegration("setConfiguration"))
                            : nullptr;
    auto set = reinterpret_cast<SetConfiguration>(function);
    if (!set) return FALSE;
    QJsonArray screens;
    for (int i = 0; i < count; ++i)
        screens.append(QJsonObject{{"name", QString::asprintf("spx%02d", i + 1)},
                                   {"x", static_cast<int>(rects[i].left)},
                                   {"y", static_cast<int>(rects[i].top)},
                                   {"width", static_cast<int>(rects[i].right - rects[i].left)},
                                   {"height", static_cast<int>(rects[i].bottom - rects[i].top)},
                                   {"logicalDpi", 96},
                                   {"logicalBaseDpi", 96},
                                   {"dpr", 1.0}});
    set(QJsonObject{{"windowFrameMargins", false}, {"screens", screens}}, QGuiApplicationPrivate::platformIntegration());
    return TRUE;
}

}  // namespace

void fillScreenFunctions(WinplatDriverFunctions& f) {
    f.screenCount = screenCount;
    f.screenGeometry = screenGeometry;
    f.configureScreens = configureScreens;
}

}  // namespace winplat::qt
