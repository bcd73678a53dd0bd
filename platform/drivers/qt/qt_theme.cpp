// The style's elements (QStyle with the application palette, no widgets) for the platform's
// controls, message box icons, and the clipboard's text.
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>

#include "qt_state.h"

namespace winplat::qt {
namespace {

QRect qtRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The option's common fields: rectangle, palette group and the states every element shares.
void prepare(QStyleOption& o, const RECT& rect, UINT state) {
    o.rect = qtRect(rect);
    o.palette = QApplication::palette();
    bool enabled = !(state & WINPLAT_THEME_DISABLED);
    o.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    o.state = QStyle::State_None;
    if (enabled) o.state |= QStyle::State_Enabled | QStyle::State_Active;
    if (state & WINPLAT_THEME_FOCUSED) o.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    if (state & WINPLAT_THEME_HOT) o.state |= QStyle::State_MouseOver;
    o.state |= (state & WINPLAT_THEME_PRESSED) ? QStyle::State_Sunken : QStyle::State_Raised;
    if (!(state & WINPLAT_THEME_VERTICAL)) o.state |= QStyle::State_Horizontal;
}

void drawIcon(QPainter& p, QStyle::StandardPixmap which, const RECT& rect) {
    QIcon icon = QApplication::style()->standardIcon(which);
    QRect r = qtRect(rect);
    p.drawPixmap(r.topLeft(), icon.pixmap(r.size()));
}

void drawThemeElement(WinplatSurface* surface, const RECT* clip, int clipCount, int element, UINT state,
                      const RECT* rect) {
    if (!surface || !rect || clipCount <= 0) return;
    QPainter p(&surface->image);
    QRegion region;
    for (int i = 0; i < clipCount; ++i) region += qtRect(clip[i]);
    p.setClipRegion(region);
    p.setRenderHint(QPainter::Antialiasing, false);
    QStyle* style = QApplication::style();
    switch (element) {
        case WINPLAT_THEME_PUSHBUTTON: {
            QStyleOptionButton o;
            prepare(o, *rect, state);
            if (state & WINPLAT_THEME_DEFAULT) o.features |= QStyleOptionButton::DefaultButton;
            style->drawControl(QStyle::CE_PushButtonBevel, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_CHECKBOX:
        case WINPLAT_THEME_RADIOBUTTON: {
            QStyleOptionButton o;
            prepare(o, *rect, state & ~WINPLAT_THEME_PRESSED);
            o.state |= (state & WINPLAT_THEME_CHECKED) ? QStyle::State_On : QStyle::State_Off;
            if (state & WINPLAT_THEME_PRESSED) o.state |= QStyle::State_Sunken;
            style->drawPrimitive(element == WINPLAT_THEME_CHECKBOX ? QStyle::PE_IndicatorCheckBox
                                                                   : QStyle::PE_IndicatorRadioButton,
                                 &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_GROUPBOX: {
            QStyleOptionFrame o;
            prepare(o, *rect, state);
            o.lineWidth = 1;
            style->drawPrimitive(QStyle::PE_FrameGroupBox, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_EDITFRAME:
        case WINPLAT_THEME_TRACKCHANNEL:
        case WINPLAT_THEME_PROGRESSGROOVE: {
            // A sunken field of the base colour filling the rectangle exactly.
            QStyleOptionFrame o;
            prepare(o, *rect, state & ~WINPLAT_THEME_PRESSED);
            o.state |= QStyle::State_Sunken;
            o.lineWidth = 1;
            style->drawPrimitive(QStyle::PE_PanelLineEdit, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_COMBOBOX: {
            QStyleOptionComboBox o;
            prepare(o, *rect, state);
            o.editable = false;
            o.frame = true;
            o.subControls = QStyle::SC_All;
            if (state & WINPLAT_THEME_PRESSED) o.activeSubControls = QStyle::SC_ComboBoxArrow;
            style->drawComplexControl(QStyle::CC_ComboBox, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_TRACKTHUMB: {
            // The thumb fills its rectangle exactly: a raised bevel of the button colour.
            QStyleOptionButton o;
            prepare(o, *rect, state);
            style->drawControl(QStyle::CE_PushButtonBevel, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_PROGRESSCHUNK:
        case WINPLAT_THEME_MENUITEM:
            // The filled part of a progress bar and a highlighted menu item: the selection colour.
            p.fillRect(qtRect(*rect), QApplication::palette().color(QPalette::Active, QPalette::Highlight));
            break;
        case WINPLAT_THEME_ICONERROR: drawIcon(p, QStyle::SP_MessageBoxCritical, *rect); break;
        case WINPLAT_THEME_ICONQUESTION: drawIcon(p, QStyle::SP_MessageBoxQuestion, *rect); break;
        case WINPLAT_THEME_ICONWARNING: drawIcon(p, QStyle::SP_MessageBoxWarning, *rect); break;
        case WINPLAT_THEME_ICONINFORMATION: drawIcon(p, QStyle::SP_MessageBoxInformation, *rect); break;
        case WINPLAT_THEME_TABITEM: {
            QStyleOptionTab o;
            prepare(o, *rect, state);
            o.shape = QTabBar::RoundedNorth;
            o.position = QStyleOptionTab::Middle;
            if (state & WINPLAT_THEME_CHECKED) o.state |= QStyle::State_Selected;
            style->drawControl(QStyle::CE_TabBarTabShape, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_TABPANE: {
            QStyleOptionTabWidgetFrame o;
            prepare(o, *rect, state);
            o.shape = QTabBar::RoundedNorth;
            o.lineWidth = 1;
            style->drawPrimitive(QStyle::PE_FrameTabWidget, &o, &p, nullptr);
            break;
        }
        case WINPLAT_THEME_FOCUSFRAME: {
            QStyleOptionFocusRect o;
            prepare(o, *rect, state);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, nullptr);
            break;
        }
        default: break;
    }
}

BOOL setClipboardText(const uint16_t* units, int length) {
    if (!units || length < 0) return FALSE;
    QGuiApplication::clipboard()->setText(QString(reinterpret_cast<const QChar*>(units), length));
    return TRUE;
}

int clipboardText(uint16_t* units, int capacity) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return -1;
    QString text = data->text();
    for (int i = 0; i < capacity && i < text.size(); ++i) units[i] = text[i].unicode();
    return static_cast<int>(text.size());
}

}  // namespace

void fillThemeFunctions(WinplatDriverFunctions& f) {
    f.drawThemeElement = drawThemeElement;
    f.setClipboardText = setClipboardText;
    f.clipboardText = clipboardText;
}

}  // namespace winplat::qt
