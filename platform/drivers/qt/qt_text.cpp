// Text: the Liberation faces loaded from their files (so fontconfig cannot change metrics),
// aliased with full hinting, drawn one character at a time at the positions winplat measured.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QRegion>

#include "qt_state.h"

struct WinplatFont {
    QFont font;
};

namespace winplat::qt {
namespace {

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/liberation2/";

QString addFace(const char* file) {
    int id = QFontDatabase::addApplicationFont(QString(kFontFolder) + file);
    if (id < 0) return {};
    QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.front();
}

WinplatFont* createFont(const WinplatFontRequest* request) {
    DriverState& s = state();
    const QString& family = request->face == 1 ? s.serifFamily : request->face == 2 ? s.monoFamily : s.sansFamily;
    if (family.isEmpty() || request->emPixels <= 0) return nullptr;
    QFont font(family);
    font.setPixelSize(static_cast<int>(request->emPixels));
    font.setBold(request->bold);
    font.setItalic(request->italic);
    font.setUnderline(request->underline);
    font.setStrikeOut(request->strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoFontMerging));
    if (request->width > 0) {
        // Stretch the face so its average width becomes the one asked for.
        int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) font.setStretch(std::clamp(static_cast<int>(request->width * 100 / natural), 1, 4000));
    }
    return new WinplatFont{font};
}

void destroyFont(WinplatFont* font) { delete font; }

void fontMetrics(WinplatFont* font, WinplatFontMetrics* m) {
    QFontMetrics fm(font->font);
    *m = {};
    m->ascent = fm.ascent();
    m->descent = fm.descent();
    m->internalLeading = std::max(0, fm.ascent() + fm.descent() - font->font.pixelSize());
    m->externalLeading = std::max(0, fm.leading());
    m->averageWidth = fm.averageCharWidth();
    m->maxWidth = fm.maxWidth();
    for (int c = 0; c < 256; ++c) m->widths[c] = fm.horizontalAdvance(charFromWindows1252(static_cast<unsigned char>(c)));
}

void drawText(WinplatSurface* surface, const RECT* clip, int clipCount, WinplatFont* font, const char* text,
              int length, const int* x, int baseline, uint32_t colour) {
    if (!surface || !font || length <= 0) return;
    QPainter p(&surface->image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    QRegion region;
    for (int i = 0; i < clipCount; ++i)
        region += QRect(clip[i].left, clip[i].top, clip[i].right - clip[i].left, clip[i].bottom - clip[i].top);
    p.setClipRegion(region);
    p.setFont(font->font);
    p.setPen(QColor::fromRgb(colour & 0xFFFFFF));
    for (int i = 0; i < length; ++i) {
        QChar c = charFromWindows1252(static_cast<unsigned char>(text[i]));
        if (c != QLatin1Char(' ')) p.drawText(QPoint(x[i], baseline), QString(c));
    }
}

}  // namespace

QChar charFromWindows1252(unsigned char c) { return QChar(state().host.unitFromWindows1252(c)); }

QString fromWindows1252(const char* text, int length) {
    QString out;
    out.reserve(length);
    for (int i = 0; i < length; ++i) out += charFromWindows1252(static_cast<unsigned char>(text[i]));
    return out;
}

bool loadFonts() {
    DriverState& s = state();
    s.sansFamily = addFace("LiberationSans-Regular.ttf");
    addFace("LiberationSans-Bold.ttf");
    addFace("LiberationSans-Italic.ttf");
    addFace("LiberationSans-BoldItalic.ttf");
    s.serifFamily = addFace("LiberationSerif-Regular.ttf");
    addFace("LiberationSerif-Bold.ttf");
    s.monoFamily = addFace("LiberationMono-Regular.ttf");
    addFace("LiberationMono-Bold.ttf");
    if (s.serifFamily.isEmpty()) s.serifFamily = s.sansFamily;
    if (s.monoFamily.isEmpty()) s.monoFamily = s.sansFamily;
    return !s.sansFamily.isEmpty();
}

void fillTextFunctions(WinplatDriverFunctions& f) {
    f.createFont = createFont;
    f.destroyFont = destroyFont;
    f.fontMetrics = fontMetrics;
    f.drawText = drawText;
}

}  // namespace winplat::qt
