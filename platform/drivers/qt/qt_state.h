// The Qt driver's shared state (internal to libwinplat_qt): the host's functions, the display
// kind, the fonts, and the input that waits to be handed to the host outside Qt's event
// handlers (so that Qt never calls module code).
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

#include "driver.h"

struct WinplatSurface {
    QImage image;
};

namespace winplat::qt {

struct FontGlyphs;  // qt_text.cpp
// A font request as a key: face, em pixels, width, bold, italic.
using FontKey = std::tuple<int, long, long, bool, bool>;

struct DriverState {
    WinplatHostFunctions host{};
    QPoint origin;  // Qt coordinates of the desktop's origin
    QString sansFamily, serifFamily, monoFamily;
    std::vector<std::function<void()>> pending;  // host calls waiting for the end of the wait
    bool delivered = false;                      // input arrived during this wait
    // The glyphs laid out for each font, shared by the fonts made from the same request while
    // one of them lives.
    std::mutex glyphsMutex;
    std::map<FontKey, std::weak_ptr<FontGlyphs>> glyphs;
};

DriverState& state();

// Windows-1252 text as Qt text.
QString fromWindows1252(const char* text, int length);
QChar charFromWindows1252(unsigned char c);

// Queues a host call for after Qt's event handling and ends the current wait.
void deliverLater(std::function<void()> call);
void runDelivered();

// Qt's key as a virtual key (0 when it has none), and whether it is an extended key.
unsigned virtualKeyOf(int qtKey, bool keypad, bool& extended);

// The table parts, each in its own file.
void fillScreenFunctions(WinplatDriverFunctions& f);
void fillSurfaceFunctions(WinplatDriverFunctions& f);
void fillWindowFunctions(WinplatDriverFunctions& f);
void fillTextFunctions(WinplatDriverFunctions& f);
void fillWaitFunctions(WinplatDriverFunctions& f);
void fillThemeFunctions(WinplatDriverFunctions& f);
void fillTrayFunctions(WinplatDriverFunctions& f);
bool loadFonts();

}  // namespace winplat::qt
