// Surfaces: 32-bit QImages without a colour space, whose memory winplat paints directly.
#include <QImage>

#include "qt_state.h"

namespace winplat::qt {
namespace {

WinplatSurface* createSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto* s = new WinplatSurface{QImage(width, height, QImage::Format_RGB32)};
    if (s->image.isNull()) {
        delete s;
        return nullptr;
    }
    s->image.fill(0xFFFFFFFFu);
    return s;
}

void destroySurface(WinplatSurface* surface) { delete surface; }

BOOL surfaceBits(WinplatSurface* surface, WinplatSurfaceBits* bits) {
    if (!surface || !bits || surface->image.isNull()) return FALSE;
    bits->width = surface->image.width();
    bits->height = surface->image.height();
    bits->stride = static_cast<int>(surface->image.bytesPerLine());
    bits->bits = surface->image.bits();
    return TRUE;
}

BOOL saveSurfacePng(WinplatSurface* surface, const RECT* part, const char* path) {
    if (!surface || !part || !path) return FALSE;
    QRect r(part->left, part->top, part->right - part->left, part->bottom - part->top);
    QImage copy = surface->image.copy(r).convertToFormat(QImage::Format_RGB888);
    return copy.save(QString::fromLocal8Bit(path), "PNG") ? TRUE : FALSE;
}

}  // namespace

void fillSurfaceFunctions(WinplatDriverFunctions& f) {
    f.createSurface = createSurface;
    f.destroySurface = destroySurface;
    f.surfaceBits = surfaceBits;
    f.saveSurfacePng = saveSurfacePng;
}

}  // namespace winplat::qt
