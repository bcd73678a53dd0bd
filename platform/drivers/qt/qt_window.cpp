// Top-level windows: a QWidget per shown Win32 top-level window, showing its surface with
// CompositionMode_Source. Qt's exposes repaint from the surface and never reach window
// procedures; mouse, keys, closing and window-manager moves are handed to the host after the
// wait.
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <cstring>
#include <QWidget>

#include "qt_state.h"

struct WinplatDriverWindow;

namespace winplat::qt {
namespace {

class SurfaceWidget;

}  // namespace
}  // namespace winplat::qt

struct WinplatDriverWindow {
    HWND hwnd = nullptr;
    UINT kind = 0;
    WinplatSurface surface;
    winplat::qt::SurfaceWidget* widget = nullptr;
    bool placing = false;  // geometry set by winplat, not the window manager
};

namespace winplat::qt {
namespace {

// Win32's WM_*BUTTON* for a Qt button.
UINT buttonMessage(Qt::MouseButton button, bool down) {
    switch (button) {
        case Qt::LeftButton: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        case Qt::RightButton: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        case Qt::MiddleButton: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        default: return 0;
    }
}

QRect qtRect(const RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top).translated(state().origin);
}

class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(WinplatDriverWindow* owner) : owner_(owner) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_DeleteOnClose, false);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(e->rect(), owner_->surface.image, e->rect());
    }

    void mouseMoveEvent(QMouseEvent* e) override { mouse(WM_MOUSEMOVE, e); }
    void mousePressEvent(QMouseEvent* e) override { mouse(buttonMessage(e->button(), true), e); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouse(buttonMessage(e->button(), false), e); }
    void keyPressEvent(QKeyEvent* e) override { key(e, true); }
    void keyReleaseEvent(QKeyEvent* e) override { key(e, false); }

    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        HWND hwnd = owner_->hwnd;
        deliverLater([hwnd] { state().host.closeRequested(hwnd); });
    }

    void moveEvent(QMoveEvent*) override { moved(); }
    void resizeEvent(QResizeEvent*) override { moved(); }

private:
    void mouse(UINT message, QMouseEvent* e) {
        if (!message) return;
        QPoint p = e->globalPosition().toPoint() - state().origin;
        HWND hwnd = owner_->hwnd;
        deliverLater([hwnd, message, p] { state().host.mouseInput(hwnd, message, p.x(), p.y()); });
    }

    void key(QKeyEvent* e, bool down) {
        bool extended = false;
        unsigned vk = virtualKeyOf(e->key(), e->modifiers() & Qt::KeypadModifier, extended);
        if (!vk) return;
        HWND hwnd = owner_->hwnd;
        UINT scan = e->nativeScanCode() > 8 ? e->nativeScanCode() - 8 : 0;  // X keycodes start at 8
        deliverLater([hwnd, vk, down, scan, extended] {
            state().host.keyInput(hwnd, vk, down ? TRUE : FALSE, scan, extended ? TRUE : FALSE);
        });
    }

    void moved() {
        if (owner_->placing || !isVisible()) return;
        QRect g = geometry().translated(-state().origin);
        RECT r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
        HWND hwnd = owner_->hwnd;
        deliverLater([hwnd, r] { state().host.windowMoved(hwnd, &r); });
    }

    WinplatDriverWindow* owner_;
};

Qt::WindowFlags flagsOf(UINT kind) {
    Qt::WindowFlags flags = (kind & WINPLAT_WINDOW_TOOL) ? Qt::Tool : Qt::Window;
    if (kind & WINPLAT_WINDOW_FRAMELESS) flags |= Qt::FramelessWindowHint;
    if (kind & WINPLAT_WINDOW_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

void place(WinplatDriverWindow* w, const RECT& rect) {
    w->placing = true;
    w->widget->setGeometry(qtRect(rect));
    w->placing = false;
}

WinplatDriverWindow* createWindow(HWND hwnd, const RECT* rect, UINT kind) {
    if (!rect) return nullptr;
    auto* w = new WinplatDriverWindow;
    w->hwnd = hwnd;
    w->kind = kind;
    int width = std::max<LONG>(1, rect->right - rect->left), height = std::max<LONG>(1, rect->bottom - rect->top);
    w->surface.image = QImage(width, height, QImage::Format_RGB32);
    w->surface.image.fill(0xFFFFFFFFu);
    w->widget = new SurfaceWidget(w);
    w->widget->setWindowFlags(flagsOf(kind));
    place(w, *rect);
    return w;
}

void destroyWindow(WinplatDriverWindow* w) {
    if (!w) return;
    w->widget->hide();
    delete w->widget;
    delete w;
}

// A new size keeps the pixels both sizes share; the rest is white until painted.
void setWindowRect(WinplatDriverWindow* w, const RECT* rect) {
    if (!w || !rect) return;
    int width = std::max<LONG>(1, rect->right - rect->left), height = std::max<LONG>(1, rect->bottom - rect->top);
    if (width != w->surface.image.width() || height != w->surface.image.height()) {
        QImage grown(width, height, QImage::Format_RGB32);
        grown.fill(0xFFFFFFFFu);
        QPainter p(&grown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, w->surface.image);
        p.end();
        w->surface.image = grown;
    }
    place(w, *rect);
}

void showWindow(WinplatDriverWindow* w, BOOL visible, BOOL activate) {
    if (!w) return;
    w->widget->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (visible && !w->widget->isVisible()) {
        w->placing = true;
        w->widget->show();
        w->placing = false;
    } else if (!visible && w->widget->isVisible()) {
        w->widget->hide();
    }
    if (visible && activate) w->widget->activateWindow();
}

void stackWindow(WinplatDriverWindow* w, BOOL top, BOOL topmost) {
    if (!w) return;
    bool wasTopmost = (w->kind & WINPLAT_WINDOW_TOPMOST) != 0;
    if (wasTopmost != (topmost != FALSE)) {
        w->kind ^= WINPLAT_WINDOW_TOPMOST;
        bool shown = w->widget->isVisible();
        w->widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost != FALSE);
        if (shown) w->widget->show();
    }
    if (top) w->widget->raise();
    else w->widget->lower();
}

void setWindowTitle(WinplatDriverWindow* w, const char* text) {
    if (w && text) w->widget->setWindowTitle(fromWindows1252(text, static_cast<int>(std::strlen(text))));
}

WinplatSurface* windowSurface(WinplatDriverWindow* w) { return w ? &w->surface : nullptr; }

void presentWindow(WinplatDriverWindow* w, const RECT* part) {
    if (!w || !part || !w->widget->isVisible()) return;
    w->widget->repaint(QRect(part->left, part->top, part->right - part->left, part->bottom - part->top));
}

void setWindowCursor(WinplatDriverWindow* w, int cursor) {
    if (!w) return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (cursor) {
        case -1: shape = Qt::BlankCursor; break;
        case 32513: shape = Qt::IBeamCursor; break;
        case 32514: shape = Qt::WaitCursor; break;
        case 32515: shape = Qt::CrossCursor; break;
        case 32516: shape = Qt::UpArrowCursor; break;
        case 32642: shape = Qt::SizeFDiagCursor; break;
        case 32643: shape = Qt::SizeBDiagCursor; break;
        case 32644: shape = Qt::SizeHorCursor; break;
        case 32645: shape = Qt::SizeVerCursor; break;
        case 32646: shape = Qt::SizeAllCursor; break;
        case 32648: shape = Qt::ForbiddenCursor; break;
        case 32649: shape = Qt::PointingHandCursor; break;
        case 32650: shape = Qt::BusyCursor; break;
        case 32651: shape = Qt::WhatsThisCursor; break;
        default: break;
    }
    w->widget->setCursor(QCursor(shape));
}

void setWindowCursorImage(WinplatDriverWindow* w, const uint32_t* argb, int width, int height, POINT hotSpot) {
    if (!w || !argb || width <= 0 || height <= 0) return;
    QImage image(reinterpret_cast<const uchar*>(argb), width, height, width * 4, QImage::Format_ARGB32);
    w->widget->setCursor(QCursor(QPixmap::fromImage(image.copy()), hotSpot.x, hotSpot.y));
}

}  // namespace

unsigned long nativeWindow(WinplatDriverWindow* w) {
    if (!w || !w->widget || state().host.display != WINPLAT_DISPLAY_X11) return 0;
    return static_cast<unsigned long>(w->widget->winId());
}

void fillWindowFunctions(WinplatDriverFunctions& f) {
    f.nativeWindow = nativeWindow;
    f.createWindow = createWindow;
    f.destroyWindow = destroyWindow;
    f.setWindowRect = setWindowRect;
    f.showWindow = showWindow;
    f.stackWindow = stackWindow;
    f.setWindowTitle = setWindowTitle;
    f.windowSurface = windowSurface;
    f.presentWindow = presentWindow;
    f.setWindowCursor = setWindowCursor;
    f.setWindowCursorImage = setWindowCursorImage;
}

}  // namespace winplat::qt
