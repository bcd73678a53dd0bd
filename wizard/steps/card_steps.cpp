#include "card_steps.h"

#include <algorithm>
#include <cmath>

#include "ascii_case.h"
#include "panelforge.h"
#include "resource_ids.h"
#include "text_table.h"
#include "tone_model.h"
#include "vltutil.h"
#include "win32_extras.h"
#include "window_helpers.h"

namespace huevista {
namespace {

constexpr int kLightingButtons[4] = {IDC_FLUORESCENT, IDC_INCANDESCENT, IDC_HALOGEN, IDC_DAYLIGHT};
constexpr int kLightingCaptions[4] = {IDC_FLUORESCENT_CAPTION, IDC_INCANDESCENT_CAPTION, IDC_HALOGEN_CAPTION,
                                      IDC_DAYLIGHT_CAPTION};
constexpr const char* kLightingFaces[4][3] = {
    {"FLUO_U", "FLUO_H", "FLUO_D"}, {"INCA_U", "INCA_H", "INCA_D"}, {"HALO_U", "HALO_H", "HALO_D"},
    {"DAY_U", "DAY_H", "DAY_D"}};
constexpr int kFirstLightingSound = 186;
constexpr COLORREF kWorkFrame = RGB(80, 80, 80), kCardFrame = RGB(128, 128, 128);
constexpr int kCorner = 15;

bool isPanel(int displayType) { return displayType == kFlatPanel || displayType == kNotebook; }

RECT childRect(HWND parent, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(parent, id), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

StepInfo matchingInfo(MatchingStep::Kind kind) {
    if (kind == MatchingStep::Kind::Luminance) return {IDD_LUMINANCE, IDS_TITLE_LUMINANCE, IDS_LUMINANCE_INSTRUCTION, 207};
    return {IDD_COLOR, IDS_TITLE_COLOR, IDS_COLOR_INSTRUCTION, 208};
}

std::string cardName(int cardKind) { return loadString(cardKind == 1 ? IDS_CARD_TINTOKEN : IDS_CARD_TINTPLATE); }

// Moves the main dialog by one pixel at a time, redrawing after each move, until `done` says
// its bottom has arrived.
template <typename Done>
void slide(HWND frame, int step, Done done) {
    RECT r{};
    while (GetWindowRect(frame, &r) && !done(r.bottom)) {
        SetWindowPos(frame, nullptr, r.left, r.top + step, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(frame);
    }
}

}  // namespace

RECT cardFrame(const RECT& area, int stepWidth, int cardKind) {
    if (cardKind == 1)
        return RECT{area.left + stepWidth / 3, area.top + (area.bottom - area.top) / 6, area.right - stepWidth / 3,
                    area.bottom};
    return RECT{area.left + 65, area.top + 10, area.right - 65, area.bottom};
}

int installedCardKind() {
    char text[64] = "";
    if (!GetSpectrineRegString("Settings", "ReferenceCard", text, sizeof text)) return 0;
    return winplat::equalsIgnoringCase(text, "Tintoken") ? 1 : 0;
}

// ---- CardStepBase ------------------------------------------------------------------------------

CardStepBase::CardStepBase(WizardHost& host, const StepInfo& info)
    : WizardStep(host, info), instructionFormat_(info.instruction) {}

std::string CardStepBase::instruction() const { return formatString(instructionFormat_, cardName(cardKind_).c_str()); }

RECT CardStepBase::workArea() const { return childRect(window(), IDC_WORK_AREA); }

void CardStepBase::paintCardFrames(HDC dc, const RECT& card) const {
    const RECT area = workArea();
    GdiHandle<HPEN> work(CreatePen(PS_SOLID, 1, kWorkFrame)), dotted(CreatePen(PS_DOT, 1, kCardFrame));
    Selected brush(dc, GetStockObject(NULL_BRUSH));
    {
        Selected pen(dc, work.get());
        RoundRect(dc, area.left - 1, area.top - 1, area.right + 1, area.bottom + 1, kCorner, kCorner);
    }
    Selected pen(dc, dotted.get());
    Rectangle(dc, card.left, card.top, card.right, card.bottom);
}

// ---- LightingStep ------------------------------------------------------------------------------

LightingStep::LightingStep(WizardHost& host)
    : CardStepBase(host, {IDD_LIGHTING, IDS_TITLE_LIGHTING, IDS_LIGHTING_CRT_INSTRUCTION, 105}) {}

std::string LightingStep::instruction() const {
    // Panels and notebooks rest the card on the screen's ledge.
    const UINT format = isPanel(displayType_) ? IDS_LIGHTING_PANEL_INSTRUCTION : IDS_LIGHTING_CRT_INSTRUCTION;
    return formatString(format, cardName(cardKind_).c_str());
}

void LightingStep::load(const CalibrationRecord& record) {
    lighting_ = record.lighting >= 0 && record.lighting <= 3 ? record.lighting : -1;
    displayType_ = record.displayType;
    cardKind_ = installedCardKind();
    if (window()) {
        for (int id : kLightingButtons) InvalidateRect(GetDlgItem(window(), id), nullptr, FALSE);
        followNext();
    }
}

void LightingStep::store(CalibrationRecord& record) {
    record.lighting = lighting_;
    record.cardKind = cardKind_;
}

void LightingStep::created() {
    for (int k = 0; k < 4; ++k)
        for (int face = 0; face < 3; ++face)
            if (!faces_[k][face]) faces_[k][face].reset(LoadBitmapA(host_.instance(), kLightingFaces[k][face]));
    RECT client{};
    GetClientRect(window(), &client);
    const RECT first = childRect(window(), kLightingButtons[0]);
    const int width = first.right - first.left;
    const int gap = (client.right - 4 * width) / 4;
    for (int k = 0; k < 4; ++k) {
        const int x = gap / 2 + k * (width + gap);
        const RECT b = childRect(window(), kLightingButtons[k]), c = childRect(window(), kLightingCaptions[k]);
        SetWindowPos(GetDlgItem(window(), kLightingButtons[k]), nullptr, x, b.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(GetDlgItem(window(), kLightingCaptions[k]), nullptr, x, c.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void LightingStep::shown() {
    followNext();
    if (isPanel(displayType_)) slideDown();
}

void LightingStep::followNext() const {
    EnableWindow(host_.nextButton(), lighting_ != -1);
    SetFocus(lighting_ != -1 ? host_.nextButton() : host_.backButton());
}

// Down to the bottom of the wizard's own screen, stopping at or past it.
void LightingStep::slideDown() {
    HWND frame = host_.frame();
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    RECT r{};
    if (!GetMonitorInfoA(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &screen) || !GetWindowRect(frame, &r))
        return;
    const int target = screen.rcMonitor.bottom;
    if (r.bottom >= target) return;
    if (!rememberedBottom_) rememberedBottom_ = r.bottom;
    slide(frame, 1, [target](int bottom) { return bottom >= target; });
}

void LightingStep::leavingBackwards() {
    if (!rememberedBottom_) return;
    const int target = rememberedBottom_;
    slide(host_.frame(), -1, [target](int bottom) { return bottom <= target; });
    rememberedBottom_ = 0;
}

void LightingStep::choose(int lighting) {
    if (lighting == lighting_) return;
    const bool first = lighting_ == -1;
    lighting_ = lighting;
    for (int id : kLightingButtons) InvalidateRect(GetDlgItem(window(), id), nullptr, FALSE);
    PlaySoundA(MAKEINTRESOURCEA(kFirstLightingSound + lighting), host_.instance(), SND_RESOURCE | SND_NOWAIT);
    if (first) followNext();
}

void LightingStep::paint(HDC dc) {
    RECT client{};
    GetClientRect(window(), &client);
    const RECT card = cardFrame(workArea(), client.right, cardKind_);
    paintCardFrames(dc, card);
    RECT text = card;
    SetTextColor(dc, kCardFrame);
    SetBkMode(dc, TRANSPARENT);
    const std::string label = formatString(IDS_PLACE_CARD, cardName(cardKind_).c_str());
    RECT measured = text;
    DrawTextA(dc, label.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    OffsetRect(&text, 0, ((card.bottom - card.top) - (measured.bottom - measured.top)) / 2);
    DrawTextA(dc, label.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK);
}

bool LightingStep::handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    return pictureButtonMessage(message, wParam, lParam, kLightingButtons, faces_, lighting_,
                                [this](int lighting) { choose(lighting); }, result);
}

// ---- MatchingStep ------------------------------------------------------------------------------

MatchingStep::MatchingStep(WizardHost& host, Kind kind) : CardStepBase(host, matchingInfo(kind)), kind_(kind) {}

const WhiteTable& MatchingStep::table() const {
    if (!table_) {
        char path[MAX_PATH] = "";
        const std::string& program = host_.programPath();
        std::string ini;
        if (program.size() < sizeof path) {
            program.copy(path, program.size());
            if (PathRenameExtensionA(path, ".ini")) ini = path;
        }
        table_ = WhiteTable::load(ini);
    }
    return *table_;
}

int MatchingStep::sliderId() const { return kind_ == Kind::Luminance ? IDC_LUMINANCE_SLIDER : IDC_COLOR_SLIDER; }

void MatchingStep::load(const CalibrationRecord& record) {
    if (tableOpen_) endToneModel(model_);
    model_ = record;
    tableOpen_ = beginToneModel(model_) != 0 && isPanel(model_.displayType);
    displayType_ = record.displayType;
    cardKind_ = record.cardKind;
    lighting_ = record.lighting;
    luminance_ = std::clamp(record.luminance, 0, 100);
    const int panelClass = panelClassOf(displayType_);
    position_ = record.color < 0 ? table().defaultPosition(panelClass) : table().clampPosition(record.color);
    computeLevels();
    if (window()) {
        // Loaded while showing (an import): the slider and the area follow.
        setSlider();
        repaint();
        UpdateWindow(window());
    }
}

std::array<int, 3> MatchingStep::levelsOf(const std::array<int, 3>& white) const {
    std::array<int, 3> out{};
    for (int ch = 0; ch < 3; ++ch)
        out[static_cast<size_t>(ch)] = inverseToneLevel(model_, white[static_cast<size_t>(ch)] * luminance_ / 100, ch);
    return out;
}

void MatchingStep::computeLevels() {
    const int panelClass = panelClassOf(displayType_);
    if (kind_ == Kind::Luminance) {
        levels_ = levelsOf(table().bytesAt(panelClass, lighting_, position_));
        return;
    }
    levelTable_.resize(static_cast<size_t>(table().positions()));
    for (int p = 0; p < table().positions(); ++p)
        levelTable_[static_cast<size_t>(p)] = levelsOf(table().bytesAt(panelClass, lighting_, p));
    levels_ = levelTable_[static_cast<size_t>(position_)];
}

void MatchingStep::store(CalibrationRecord& record) {
    for (int ch = 0; ch < 3; ++ch) {
        record.mottaK[ch] = model_.mottaK[ch];
        record.mottaGamma[ch] = model_.mottaGamma[ch];
    }
    if (kind_ == Kind::Luminance) {
        record.luminance = luminance_;
    } else {
        record.color = position_;
        const int panelClass = panelClassOf(displayType_);
        if (isPanel(displayType_)) {
            // The white as the panel's model gives it, without the luminance.
            const auto white = table().bytesAt(panelClass, lighting_, position_);
            for (int ch = 0; ch < 3; ++ch) record.tableColor[ch] = DoIOModel(white[static_cast<size_t>(ch)], ch) / 255.0;
        } else {
            const auto white = table().valuesAt(panelClass, lighting_, position_);
            for (int ch = 0; ch < 3; ++ch)
                record.tableColor[ch] = (std::pow(white[static_cast<size_t>(ch)], 1.0 / model_.mottaGamma[ch]) -
                                         model_.mottaK[ch]) /
                                        (1.0 - model_.mottaK[ch]);
        }
    }
    if (tableOpen_) endToneModel(model_);
    tableOpen_ = false;
}

bool MatchingStep::mayAdvance() {
    if (kind_ != Kind::Luminance || luminance_ > 20) return true;
    // "Adjust" stays, "Continue" goes on.
    return host_.showMessage(MessageKind::WarningAtEdge, loadString(IDS_DIM_ROOM), 210) != IDOK;
}

void MatchingStep::setSlider() const {
    HWND slider = GetDlgItem(window(), sliderId());
    if (kind_ == Kind::Luminance) {
        SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageA(slider, TBM_SETPOS, TRUE, 100 - luminance_);
    } else {
        const int last = table().positions() - 1;
        SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, last));
        SendMessageA(slider, TBM_SETPOS, TRUE, last - position_);
    }
}

void MatchingStep::created() {
    RECT client{};
    GetClientRect(window(), &client);
    RECT card = cardFrame(workArea(), client.right, cardKind_);
    InflateRect(&card, -2, -2);
    SetWindowPos(GetDlgItem(window(), IDC_CARD_FRAME), nullptr, card.left, card.top + (card.bottom - card.top) / 3,
                 card.right - card.left, (card.bottom - card.top) / 3, SWP_NOZORDER | SWP_NOACTIVATE);
    SetDlgItemTextA(window(), IDC_CARD_FRAME, formatString(IDS_PLACE_CARD_FRAME, cardName(cardKind_).c_str()).c_str());
    setSlider();
}

void MatchingStep::paint(HDC dc) {
    RECT client{};
    GetClientRect(window(), &client);
    const RECT area = workArea(), card = cardFrame(area, client.right, cardKind_);
    GdiHandle<HBRUSH> fill(CreateSolidBrush(RGB(levels_[0], levels_[1], levels_[2])));
    FillRect(dc, &area, fill.get());
    FillRect(dc, &card, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    paintCardFrames(dc, card);
}

bool MatchingStep::handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_CTLCOLORSTATIC && lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_CARD_FRAME) {
        // The card's label: grey on the card's black place.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kCardFrame);
        SetBkColor(dc, RGB(0, 0, 0));
        result = reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
        return true;
    }
    if (message != WM_VSCROLL || !lParam || GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != sliderId()) return false;
    const int at = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
    if (kind_ == Kind::Luminance) {
        luminance_ = std::clamp(100 - at, 0, 100);
        computeLevels();
    } else {
        position_ = table().clampPosition(table().positions() - 1 - at);
        levels_ = levelTable_[static_cast<size_t>(position_)];
    }
    const RECT area = workArea();
    InvalidateRect(window(), &area, FALSE);
    UpdateWindow(window());
    result = TRUE;
    return true;
}

}  // namespace huevista
