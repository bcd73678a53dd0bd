// The driver's one export: makes the QApplication (offscreen with one screen per virtual
// monitor, or xcb on $DISPLAY), with one device pixel per logical pixel, the style named by
// $SPECTRINE_QT_STYLE and the Liberation faces, and fills the function table.
#include <QApplication>
#include <QDir>
#include <QStyle>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "qt_state.h"

namespace winplat::qt {

DriverState& state() {
    static DriverState s;
    return s;
}

namespace {

// The offscreen plugin's configuration: one screen per monitor, named so that the plugin's
// sorting by name keeps the monitor order.
QByteArray offscreenConfiguration(const std::vector<RECT>& monitors) {
    QJsonArray screens;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i];
        screens.append(QJsonObject{{"name", QString::asprintf("spx%02zu", i + 1)},
                                   {"x", static_cast<int>(r.left)},
                                   {"y", static_cast<int>(r.top)},
                                   {"width", static_cast<int>(r.right - r.left)},
                                   {"height", static_cast<int>(r.bottom - r.top)},
                                   {"logicalDpi", 96},
                                   {"logicalBaseDpi", 96},
                                   {"dpr", 1.0}});
    }
    QJsonObject config{{"windowFrameMargins", false}, {"screens", screens}};
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

void systemColours(COLORREF* colours, int count) {
    QPalette p = QApplication::palette();
    using R = QPalette::ColorRole;
    struct Source {
        QPalette::ColorGroup group;
        R role;
    };
    // COLOR_SCROLLBAR ... COLOR_MENUBAR, in index order.
    const Source sources[31] = {
        {QPalette::Active, R::Button},          {QPalette::Active, R::Dark},
        {QPalette::Active, R::Highlight},       {QPalette::Inactive, R::Mid},
        {QPalette::Active, R::Window},          {QPalette::Active, R::Base},
        {QPalette::Active, R::Shadow},          {QPalette::Active, R::WindowText},
        {QPalette::Active, R::Text},            {QPalette::Active, R::HighlightedText},
        {QPalette::Active, R::Window},          {QPalette::Inactive, R::Window},
        {QPalette::Active, R::Mid},             {QPalette::Active, R::Highlight},
        {QPalette::Active, R::HighlightedText}, {QPalette::Active, R::Button},
        {QPalette::Active, R::Dark},            {QPalette::Disabled, R::Text},
        {QPalette::Active, R::ButtonText},      {QPalette::Inactive, R::Text},
        {QPalette::Active, R::Light},           {QPalette::Active, R::Shadow},
        {QPalette::Active, R::Midlight},        {QPalette::Active, R::ToolTipText},
        {QPalette::Active, R::ToolTipBase},     {QPalette::Active, R::Button},
        {QPalette::Active, R::Link},            {QPalette::Active, R::Highlight},
        {QPalette::Inactive, R::Mid},           {QPalette::Active, R::Highlight},
        {QPalette::Active, R::Window},
    };
    for (int i = 0; i < count && i < 31; ++i) {
        QColor c = p.color(sources[i].group, sources[i].role);
        colours[i] = static_cast<COLORREF>(c.red() | c.green() << 8 | c.blue() << 16);
    }
}

// The offscreen plugin's screens, in name order, must be the virtual monitors.
void checkScreens(const WinplatHostFunctions& host) {
    std::vector<RECT> monitors(32);
    int count = std::min(host.monitors(monitors.data(), 32), 32);
    QList<QScreen*> screens = QGuiApplication::screens();
    std::sort(screens.begin(), screens.end(), [](QScreen* a, QScreen* b) { return a->name() < b->name(); });
    bool same = screens.size() == count;
    for (int i = 0; same && i < count; ++i) {
        const RECT& m = monitors[static_cast<size_t>(i)];
        same = screens[i]->geometry() == QRect(m.left, m.top, m.right - m.left, m.bottom - m.top);
    }
    if (!same) std::fprintf(stderr, "winplat_qt: the offscreen screens differ from the virtual monitors\n");
}

QApplication* startApplication(const WinplatHostFunctions* host) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_QPA_PLATFORM");
    static std::string platform;
    if (host->display == WINPLAT_DISPLAY_X11) {
        platform = "xcb";
    } else {
        std::vector<RECT> monitors(32);
        int count = host->monitors(monitors.data(), static_cast<int>(monitors.size()));
        monitors.resize(static_cast<size_t>(std::min(count, 32)));
        // The plugin reads the file while the application starts; it stays for the process.
        static QTemporaryFile config(QDir::tempPath() + "/spectrine-screens-XXXXXX.json");
        if (!config.open()) return nullptr;
        config.write(offscreenConfiguration(monitors));
        config.flush();
        platform = "offscreen:configfile=" + config.fileName().toStdString();
    }
    static int argc = 3;
    static std::string name = "spectrine", option = "-platform";
    static char* argv[] = {name.data(), option.data(), platform.data(), nullptr};
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    auto* app = new QApplication(argc, argv);  // one for the life of the process
    QApplication::setQuitOnLastWindowClosed(false);
    if (QByteArray style = qgetenv("SPECTRINE_QT_STYLE"); !style.isEmpty()) {
        if (QStyle* s = QStyleFactory::create(QString::fromUtf8(style))) QApplication::setStyle(s);
        else std::fprintf(stderr, "winplat_qt: no Qt style named %s\n", style.constData());
    }
    QApplication::setPalette(QApplication::style()->standardPalette());
    return app;
}

}  // namespace

}  // namespace winplat::qt

using namespace winplat::qt;

extern "C" __attribute__((visibility("default"))) BOOL winplat_qt_driver_init(int version, const WinplatHostFunctions* host,
                                                                           WinplatDriverFunctions* driver) {
    if (version != WINPLAT_DRIVER_VERSION || !host || !driver || host->version != WINPLAT_DRIVER_VERSION) return FALSE;
    DriverState& s = state();
    s.host = *host;
    if (!QApplication::instance() && !startApplication(host)) return FALSE;
    s.origin = host->display == WINPLAT_DISPLAY_X11 ? QPoint(host->desktopOrigin.x, host->desktopOrigin.y) : QPoint(0, 0);
    if (host->display == WINPLAT_DISPLAY_VIRTUAL) checkScreens(*host);
    if (!loadFonts())
        std::fprintf(stderr, "winplat_qt: the Liberation fonts are missing from "
                             "/usr/share/fonts/truetype/liberation2 (fonts-liberation2): no text can be drawn\n");
    *driver = {};
    driver->version = WINPLAT_DRIVER_VERSION;
    fillScreenFunctions(*driver);
    fillSurfaceFunctions(*driver);
    fillWindowFunctions(*driver);
    fillTextFunctions(*driver);
    fillWaitFunctions(*driver);
    fillThemeFunctions(*driver);
    fillTrayFunctions(*driver);
    driver->systemColours = systemColours;
    return TRUE;
}
