#include "patch_grid.h"

#include <algorithm>

#include "gdi_handle.h"
#include "resource_ids.h"
#include "text_table.h"

namespace huevista {
namespace {

constexpr int kMarkerDepth = 7, kMarkerHalfHeight = 7;

COLORREF markerColour(int column, int m) { return channelColour(kColumnChannel[column], m); }

int columnOfChannel(int channel) {
    for (int c = 0; c < kColumns; ++c)
        if (kColumnChannel[c] == channel) return c;
    return 0;
}

POINT pointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

PatchGrid::PatchGrid(WizardHost& host, Definition definition)
    : WizardStep(host, definition.info), definition_(std::move(definition)), shape_(gridShape(definition_.kind)) {}

POINT PatchGrid::origin() const { return pictureOrigin(kGridPictureWidth, kGridPictureHeight); }

std::optional<int> PatchGrid::hitColumn(POINT p) const {
    if (p.x < 0 || p.x >= kGridPictureWidth || p.y < 0 || p.y >= shape_.hitBottom) return std::nullopt;
    for (int c = 0; c < kColumns; ++c)
        if (p.x >= kColumnX[c] - kColumnMargin && p.x < kColumnX[c] + kColumnWidth + kColumnMargin && p.y < kColumnHeight)
            return c;
    return std::nullopt;
}

int PatchGrid::snappedY(int y) const {
    y = std::max(y, kGridTop);
    if (definition_.kind == GridKind::Spaced)
        return kGridTop + shape_.size / 2 + (y - kGridTop) / (2 * shape_.size) * 2 * shape_.size;
    return kGridTop + (y - kGridTop) / shape_.pitch * shape_.pitch + shape_.size / 2;
}

int PatchGrid::indexAt(int markerY) const {
    return std::clamp((markerY - kGridTop) / shape_.pitch, 0, shape_.positions - 1);
}

int PatchGrid::markerYOf(int index) const { return index * shape_.pitch + shape_.size / 2 + kGridTop; }

std::optional<int> PatchGrid::clickIndex(int column, POINT point) const {
    const std::optional<int> hit = hitColumn(point);
    if (!hit || *hit != column) return std::nullopt;
    return indexAt(snappedY(point.y));
}

std::array<int, kColumns> PatchGrid::chosen() const {
    std::array<int, kColumns> out{};
    for (int c = 0; c < kColumns; ++c) out[c] = columns_[c].chosen ? indexAt(columns_[c].markerY) : -1;
    return out;
}

int PatchGrid::indexOfChannel(int channel) const { return chosen()[static_cast<size_t>(columnOfChannel(channel))]; }

bool PatchGrid::chosenLevels(int (&levels)[3]) const {
    for (int ch = 0; ch < 3; ++ch) {
        const int index = indexOfChannel(ch);
        if (index < 0) return false;
        levels[ch] = definition_.levels[static_cast<size_t>(index)];
    }
    return true;
}

void PatchGrid::loadLevels(const int (&levels)[3], int valid) {
    complete_ = valid;
    for (int ch = 0; ch < 3; ++ch) {
        Column& column = columns_[static_cast<size_t>(columnOfChannel(ch))];
        column = Column{};
        const auto found = std::find(definition_.levels.begin(), definition_.levels.end(), levels[ch]);
        if (found == definition_.levels.end()) continue;
        column.markerY = markerYOf(static_cast<int>(found - definition_.levels.begin()));
        column.chosen = valid != 0;
    }
    if (window()) followNext();  // loaded while showing (an import)
}

void PatchGrid::created() {
    if (!gridCursor_) gridCursor_ = LoadCursorA(host_.instance(), MAKEINTRESOURCEA(IDC_GRID_CURSOR));
    if (!downCursor_) downCursor_ = LoadCursorA(host_.instance(), MAKEINTRESOURCEA(IDC_GRID_CURSOR_DOWN));
    SetTimer(window(), kHoverTimer, kHoverPeriod, nullptr);
    if (!complete_)
        for (Column& c : columns_) c.chosen = false;
    for (Column& c : columns_) c.hoverY = kNoMarker;
    frame_.reset();
    buttonDown_ = false;
    followNext();
}

void PatchGrid::destroying() {
    KillTimer(window(), kHoverTimer);
    if (GetCapture() == window()) ReleaseCapture();
}

// Next follows the grid: enabled and focused once every column is chosen, else disabled with
// the focus on Back.
void PatchGrid::followNext() const {
    const bool all = std::all_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.chosen; });
    EnableWindow(host_.nextButton(), all);
    SetFocus(all ? host_.nextButton() : host_.backButton());
}

RECT PatchGrid::markerArea(int column, int y) const {
    const POINT o = origin();
    const int left = o.x + kColumnX[column];
    return RECT{left - kMarkerDepth - 1, o.y + y - kMarkerHalfHeight - 1, left + kColumnWidth + kMarkerDepth + 1,
                o.y + y + kMarkerHalfHeight + 2};
}

RECT PatchGrid::frameArea(int column, int snapped) const {
    const POINT o = origin();
    const int left = o.x + kColumnX[column] + shape_.patchLeft, top = o.y + snapped - shape_.size / 2;
    return RECT{left, top, left + shape_.frameWidth, top + shape_.size};
}

void PatchGrid::invalidate(const RECT& r) const { InvalidateRect(window(), &r, FALSE); }

void PatchGrid::drawMarker(HDC dc, int column, int y) const {
    const POINT o = origin();
    const int left = o.x + kColumnX[column], right = left + kColumnWidth;
    const int tipRight = left + 1, tipLeft = right - 2, cy = o.y + y;
    const POINT pointingRight[3] = {{tipRight - kMarkerDepth, cy - kMarkerHalfHeight},
                                    {tipRight, cy},
                                    {tipRight - kMarkerDepth, cy + kMarkerHalfHeight}};
    const POINT pointingLeft[3] = {{tipLeft + kMarkerDepth, cy - kMarkerHalfHeight},
                                   {tipLeft, cy},
                                   {tipLeft + kMarkerDepth, cy + kMarkerHalfHeight}};
    const COLORREF colour = markerColour(column, definition_.marker);
    GdiHandle<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    GdiHandle<HBRUSH> brush(CreateSolidBrush(colour));
    Selected p(dc, pen.get()), b(dc, brush.get());
    Polygon(dc, pointingRight, 3);
    Polygon(dc, pointingLeft, 3);
}

void PatchGrid::paint(HDC dc) {
    if (!picture_) picture_ = makePicture();
    const POINT o = origin();
    picture_->draw(dc, o.x, o.y);
    for (int c = 0; c < kColumns; ++c)
        if (columns_[c].hoverY != kNoMarker) drawMarker(dc, c, columns_[c].hoverY);
    for (int c = 0; c < kColumns; ++c)
        if (columns_[c].chosen) drawMarker(dc, c, columns_[c].markerY);
    if (frame_) {
        const RECT r = frameArea(frame_->first, frame_->second);
        GdiHandle<HBRUSH> outline(CreateSolidBrush(grey(definition_.marker)));
        FrameRect(dc, &r, outline.get());
    }
}

void PatchGrid::onMouse(POINT stepPoint, bool buttonDown, bool released) {
    const POINT o = origin();
    const POINT p{stepPoint.x - o.x, stepPoint.y - o.y};
    const std::optional<int> hit = hitColumn(p);
    overColumn_ = hit.has_value();
    SetCursor(hit ? (buttonDown ? downCursor_ : gridCursor_) : LoadCursorA(nullptr, IDC_ARROW));
    std::optional<std::pair<int, int>> frame;
    if (hit) {
        Column& column = columns_[static_cast<size_t>(*hit)];
        if (column.hoverY != kNoMarker) invalidate(markerArea(*hit, column.hoverY));
        column.hoverY = p.y;
        invalidate(markerArea(*hit, column.hoverY));
        if (buttonDown && !released) frame = std::make_pair(*hit, snappedY(p.y));
        if (released) {
            if (column.chosen) invalidate(markerArea(*hit, column.markerY));
            column.markerY = snappedY(p.y);
            column.chosen = true;
            invalidate(markerArea(*hit, column.markerY));
            if (std::all_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.chosen; })) {
                complete_ = 1;
                followNext();
            }
        }
    }
    if (frame != frame_) {
        if (frame_) invalidate(frameArea(frame_->first, frame_->second));
        frame_ = frame;
        if (frame_) invalidate(frameArea(frame_->first, frame_->second));
    }
    UpdateWindow(window());
}

void PatchGrid::onTimer() {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window(), &cursor);
    RECT client{};
    GetClientRect(window(), &client);
    if (PtInRect(&client, cursor)) return;
    // The pointer left the step: the hover markers go.
    bool any = false;
    for (int c = 0; c < kColumns; ++c)
        if (columns_[c].hoverY != kNoMarker) {
            invalidate(markerArea(c, columns_[c].hoverY));
            columns_[c].hoverY = kNoMarker;
            any = true;
        }
    if (overColumn_) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    overColumn_ = false;
    if (any) UpdateWindow(window());
}

bool PatchGrid::handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_LBUTTONDOWN:
            buttonDown_ = true;
            SetCapture(window());
            onMouse(pointOf(lParam), true, false);
            break;
        case WM_MOUSEMOVE: onMouse(pointOf(lParam), buttonDown_, false); break;
        case WM_LBUTTONUP:
            if (!buttonDown_) return false;
            buttonDown_ = false;
            if (GetCapture() == window()) ReleaseCapture();
            onMouse(pointOf(lParam), false, true);
            break;
        case WM_SETCURSOR:
            if (!overColumn_) return false;
            SetCursor(buttonDown_ ? downCursor_ : gridCursor_);
            result = TRUE;
            SetWindowLongPtrA(window(), DWLP_MSGRESULT, TRUE);
            return true;
        case WM_TIMER:
            if (wParam != kHoverTimer) return false;
            onTimer();
            break;
        default: return false;
    }
    result = TRUE;
    return true;
}

// ---- Black Pt. ---------------------------------------------------------------------------------
namespace {

constexpr int kVeryDarkIndex = 9;  // a first visible patch of level 72 or brighter
constexpr int kHighGammaIndex = 1, kLowGammaIndex = 21;

}  // namespace

std::vector<int> blackPointLevels() {
    std::vector<int> levels;
    for (int k = 0; k < kSpacedPatches; ++k) levels.push_back(8 * k - 8);  // stored: the level below
    return levels;
}

std::vector<int> toneGridLevels(bool highlights) {
    std::vector<int> levels;
    for (int i = 0; i < gridShape(GridKind::Dense).positions; ++i)
        levels.push_back(highlights ? (i == 0 ? 255 : 256 - 4 * i) : 192 - 4 * i);
    return levels;
}

BlackPointStep::BlackPointStep(WizardHost& host)
    : PatchGrid(host, {{IDD_BLACKPOINT, IDS_TITLE_BLACKPOINT, IDS_BLACKPOINT_INSTRUCTION, 205},
                       GridKind::Spaced,
                       blackPointLevels(),
                       128,
                       32}) {}

Picture BlackPointStep::makePicture() const { return blackPointPicture(); }

void BlackPointStep::store(CalibrationRecord& record) {
    int levels[3];
    if (!chosenLevels(levels)) return;
    record.blackInput = 0.0;
    for (int ch = 0; ch < 3; ++ch) record.black[ch] = levels[ch];
    record.blackValid = complete() ? 1 : 0;
}

void BlackPointStep::load(const CalibrationRecord& record) { loadLevels(record.black, record.blackValid); }

bool BlackPointStep::mayAdvance() {
    int levels[3];
    if (!chosenLevels(levels)) return false;
    for (int ch = 0; ch < 3; ++ch)
        if (indexOfChannel(ch) >= kVeryDarkIndex)
            return host_.showMessage(MessageKind::Warning, loadString(IDS_VERY_DARK), 12) != IDOK;
    return true;
}

// ---- Shadows and Highlights -------------------------------------------------------------------------
ToneGridStep::ToneGridStep(WizardHost& host, bool highlights)
    : PatchGrid(host, {highlights ? StepInfo{IDD_HIGHLIGHTS, IDS_TITLE_HIGHLIGHTS, IDS_HIGHLIGHTS_INSTRUCTION, 203}
                                  : StepInfo{IDD_SHADOWS, IDS_TITLE_SHADOWS, IDS_SHADOWS_INSTRUCTION, 203},
                       GridKind::Dense,
                       toneGridLevels(highlights),
                       highlights ? 255 : 192,
                       136}),
      highlights_(highlights) {}

Picture ToneGridStep::makePicture() const { return ditherGridPicture(highlights_); }

void ToneGridStep::store(CalibrationRecord& record) {
    int levels[3];
    if (!chosenLevels(levels)) return;
    (highlights_ ? record.highlightInput : record.shadowInput) = highlights_ ? 2.0 / 3.0 : 1.0 / 3.0;
    int* matches = highlights_ ? record.highlight : record.shadow;
    for (int ch = 0; ch < 3; ++ch) matches[ch] = levels[ch];
    (highlights_ ? record.highlightValid : record.shadowValid) = complete() ? 1 : 0;
}

void ToneGridStep::load(const CalibrationRecord& record) {
    loadLevels(highlights_ ? record.highlight : record.shadow, highlights_ ? record.highlightValid : record.shadowValid);
}

bool ToneGridStep::mayAdvance() {
    int picked[3];
    if (!chosenLevels(picked)) return false;
    int lowest = static_cast<int>(levels().size()), highest = 0;
    for (int ch = 0; ch < 3; ++ch) {
        lowest = std::min(lowest, indexOfChannel(ch));
        highest = std::max(highest, indexOfChannel(ch));
    }
    // An unusually high gamma (a match near full level) is told before a low one.
    if (lowest <= kHighGammaIndex)
        return host_.showMessage(MessageKind::Warning, loadString(IDS_HIGH_GAMMA), 71) != IDOK;
    if (highest >= kLowGammaIndex)
        return host_.showMessage(MessageKind::Warning, loadString(IDS_LOW_GAMMA), 211) != IDOK;
    return true;
}

}  // namespace huevista
