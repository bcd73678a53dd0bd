// Text: the Liberation faces loaded from their files (so fontconfig cannot change metrics),
// aliased with full hinting, each character at the position winplat measured. A character is
// drawn with the glyphs Qt's text engine gives it on its own (shaped once per font and kept),
// and a run's glyphs go to the painter together.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QRegion>
#include <QTextLayout>

#include <array>
#include <optional>

#include "qt_state.h"

struct WinplatFont {
    QFont font;
    std::shared_ptr<winplat::qt::FontGlyphs> glyphs;
};

namespace winplat::qt {

// One character laid out alone: its glyphs and where they sit from the character's origin on
// the baseline. `alone` when its glyphs come from another face than the font's own, so that it
// is drawn by itself.
struct CharGlyphs {
    QList<quint32> indexes;
    QList<QPointF> offsets;
    bool alone = false;
};

// The Windows-1252 characters of one font as laid out when first drawn.
struct FontGlyphs {
    std::mutex mutex;
    std::optional<QRawFont> face;                      // the face the text engine draws with
    std::array<std::optional<CharGlyphs>, 256> chars;  // by code
};

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
    // Fonts of the same request share their glyphs; tables no font uses any more are dropped.
    const FontKey key{request->face, request->emPixels, request->width, request->bold != 0, request->italic != 0};
    std::lock_guard lock(s.glyphsMutex);
    std::erase_if(s.glyphs, [](const auto& entry) { return entry.second.expired(); });
    std::shared_ptr<FontGlyphs> glyphs = s.glyphs[key].lock();
    if (!glyphs) {
        glyphs = std::make_shared<FontGlyphs>();
        s.glyphs[key] = glyphs;
    }
    return new WinplatFont{font, std::move(glyphs)};
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

// What drawing the character alone would draw: a space and a soft hyphen draw nothing (the
// layout shows a soft hyphen that ends its line; text drawn in one piece does not).
const CharGlyphs& glyphsOf(const QFont& font, FontGlyphs& glyphs, unsigned char code) {
    std::optional<CharGlyphs>& kept = glyphs.chars[code];
    if (kept) return *kept;
    kept.emplace();
    const QChar c = charFromWindows1252(code);
    if (c == QLatin1Char(' ') || c.unicode() == 0x00AD) return *kept;
    QTextLayout layout(QString(c), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const QPointF origin(0, line.ascent());
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (!glyphs.face) glyphs.face = run.rawFont();
        if (run.rawFont() != *glyphs.face) kept->alone = true;
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype k = 0; k < indexes.size() && k < positions.size(); ++k) {
            kept->indexes.push_back(indexes[k]);
            kept->offsets.push_back(positions[k] - origin);
        }
    }
    return *kept;
}

void drawAlone(QPainter& p, int x, int baseline, unsigned char code) {
    const QChar c = charFromWindows1252(code);
    if (c != QLatin1Char(' ')) p.drawText(QPoint(x, baseline), QString(c));
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
    // Underlines and strike-outs go under each character as drawing it alone puts them.
    if (font->font.underline() || font->font.strikeOut()) {
        for (int i = 0; i < length; ++i) drawAlone(p, x[i], baseline, static_cast<unsigned char>(text[i]));
        return;
    }
    FontGlyphs& table = *font->glyphs;
    std::lock_guard lock(table.mutex);
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(length);
    positions.reserve(length);
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        const CharGlyphs& glyphs = glyphsOf(font->font, table, code);
        if (glyphs.alone) drawAlone(p, x[i], baseline, code);
        if (glyphs.alone || glyphs.indexes.isEmpty()) continue;
        for (qsizetype k = 0; k < glyphs.indexes.size(); ++k) {
            indexes.push_back(glyphs.indexes[k]);
            positions.push_back(QPointF(x[i], baseline) + glyphs.offsets[k]);
        }
    }
    if (indexes.isEmpty() || !table.face) return;
    QGlyphRun run;
    run.setRawFont(*table.face);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    p.drawGlyphRun(QPointF(0, 0), run);
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
