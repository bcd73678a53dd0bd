// "SysAnimate32": plays the frames of an "AVI" resource (or file) of 8 bits, uncompressed or
// RLE8, or 24 bits, on a timer; ACN_START and ACN_STOP as WM_COMMAND notifications. With
// ACS_TRANSPARENT the colour of each frame's top left pixel shows the WM_CTLCOLORSTATIC brush.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "avi.h"
#include "controls.h"
#include "resources.h"
#include "winplat.h"

namespace winplat::detail {
namespace {

constexpr UINT_PTR kFrameTimer = 1;

struct AnimateState : ControlState {
    std::vector<BYTE> fileBytes;  // an AVI file's bytes (resources stay where they are)
    std::optional<AviVideo> video;
    std::vector<Pixel> picture;  // the frame shown, bottom-up
    size_t frame = 0, from = 0, to = 0;
    int repeats = 0;  // plays left after this one; -1: for ever
    bool playing = false;
};

LONG styleOf(HWND hwnd) { return static_cast<LONG>(GetWindowLongPtrA(hwnd, GWL_STYLE)); }

void stop(HWND hwnd, AnimateState& s) {
    if (!s.playing) return;
    s.playing = false;
    KillTimer(hwnd, kFrameTimer);
    notifyParent(hwnd, ACN_STOP);
}

void showFrame(HWND hwnd, AnimateState& s, size_t index) {
    if (!s.video) return;
    // RLE frames draw over the one before: replay from the first when going back.
    if (index < s.frame || s.picture.empty()) {
        s.picture.clear();
        for (size_t i = 0; i <= index; ++i) decodeAviFrame(*s.video, i, s.picture);
    } else {
        for (size_t i = s.frame + 1; i <= index; ++i) decodeAviFrame(*s.video, i, s.picture);
    }
    s.frame = index;
    InvalidateRect(hwnd, nullptr, FALSE);
}

bool open(HWND hwnd, AnimateState& s, HINSTANCE instance, LPCSTR name) {
    stop(hwnd, s);
    s.video.reset();
    s.picture.clear();
    s.fileBytes.clear();
    InvalidateRect(hwnd, nullptr, TRUE);
    if (!name) return TRUE;  // closes
    std::span<const BYTE> bytes;
    if (auto data = resourceData(instance, name, "AVI")) {
        bytes = *data;
    } else if (!IS_INTRESOURCE(name)) {
        char native[MAX_PATH * 4];
        if (WinplatNativePath(name, native, sizeof native)) {
            std::ifstream in(native, std::ios::binary);
            s.fileBytes.assign(std::istreambuf_iterator<char>(in), {});
            bytes = s.fileBytes;
        }
    }
    s.video = parseAvi(bytes);
    if (!s.video || s.video->frames.empty()) {
        s.video.reset();
        return false;
    }
    if (!(styleOf(hwnd) & ACS_CENTER))
        SetWindowPos(hwnd, nullptr, 0, 0, s.video->format.width, s.video->format.rows(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    s.frame = 0;
    showFrame(hwnd, s, 0);
    if (styleOf(hwnd) & ACS_AUTOPLAY) SendMessageA(hwnd, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    return true;
}

bool play(HWND hwnd, AnimateState& s, int repeat, WORD from, WORD to) {
    if (!s.video) return false;
    size_t last = s.video->frames.size() - 1;
    s.from = std::min<size_t>(from, last);
    s.to = to == 0xFFFF ? last : std::min<size_t>(to, last);
    if (s.from > s.to || repeat == 0) return false;
    s.repeats = repeat < 0 ? -1 : repeat - 1;
    showFrame(hwnd, s, s.from);
    UINT period = std::max<UINT>(10, s.video->microsecondsPerFrame / 1000);
    if (!s.playing) notifyParent(hwnd, ACN_START);
    s.playing = true;
    SetTimer(hwnd, kFrameTimer, period, nullptr);
    return true;
}

void tick(HWND hwnd, AnimateState& s) {
    if (!s.playing || !s.video) return;
    if (s.frame < s.to) {
        showFrame(hwnd, s, s.frame + 1);
        return;
    }
    if (s.repeats == 0) {
        stop(hwnd, s);
        return;
    }
    if (s.repeats > 0) --s.repeats;
    showFrame(hwnd, s, s.from);
}

void paint(HWND hwnd, AnimateState& s) {
    ControlPaint p(hwnd, s.font, WM_CTLCOLORSTATIC);
    HDC dc = p.dc();
    if (!dc || !s.video || s.picture.empty()) return;
    const RECT& r = p.client();
    int width = s.video->format.width, height = s.video->format.rows();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    int x = 0, y = 0;
    if (styleOf(hwnd) & ACS_CENTER) x = (r.right - width) / 2, y = (r.bottom - height) / 2;
    const std::vector<Pixel>* shown = &s.picture;
    std::vector<Pixel> keyed;
    LOGBRUSH background{};
    if ((styleOf(hwnd) & ACS_TRANSPARENT) && GetObjectA(p.brush(), sizeof background, &background)) {
        // The colour of the picture's top left pixel lets the background through.
        Pixel key = s.picture[static_cast<size_t>(height - 1) * static_cast<size_t>(width)];
        COLORREF c = background.lbColor;
        Pixel fill = static_cast<Pixel>(GetRValue(c)) << 16 | static_cast<Pixel>(GetGValue(c)) << 8 | GetBValue(c);
        keyed = s.picture;
        std::replace(keyed.begin(), keyed.end(), key, fill);
        shown = &keyed;
    }
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), shown->data(), &info, DIB_RGB_COLORS);
}

LRESULT handle(HWND hwnd, AnimateState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (cs && cs->lpszName && *cs->lpszName) open(hwnd, s, cs->hInstance, cs->lpszName);
            return 0;
        }
        case WM_PAINT: paint(hwnd, s); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_TIMER:
            if (wParam == kFrameTimer) tick(hwnd, s);
            return 0;
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_DESTROY: stop(hwnd, s); return 0;
        case ACM_OPENA: return open(hwnd, s, reinterpret_cast<HINSTANCE>(wParam), reinterpret_cast<LPCSTR>(lParam));
        case ACM_PLAY: return play(hwnd, s, static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
        case ACM_STOP: stop(hwnd, s); return TRUE;
        default: return controlDefault(hwnd, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK animateProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return runControl<AnimateState>(hwnd, message, wParam, lParam, handle);
}

}  // namespace winplat::detail
