#include "instruction_panel.h"

#include <algorithm>
#include <memory>

#include "gdi_handle.h"
#include "resource_ids.h"
#include "window_helpers.h"

namespace huevista {
namespace {

constexpr int kSymbolSize = 16;

struct PanelState {
    HFONT font = nullptr;
    GdiHandle<HBITMAP> brightness, contrast;
};

bool isSymbol(char c) { return c == kBrightnessSymbol || c == kContrastSymbol; }

void paintPanel(HWND window, HDC dc, const PanelState& state) {
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
    Selected font(dc, state.font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int width = client.right - 2 * kInstructionMargin;
    HDC symbols = CreateCompatibleDC(dc);
    int y = kInstructionMargin;
    for (const std::string& line : breakInstruction(dc, text, width, kSymbolSize)) {
        int x = kInstructionMargin;
        size_t start = 0;
        for (size_t i = 0; i <= line.size(); ++i) {
            if (i < line.size() && !isSymbol(line[i])) continue;
            const std::string_view run(line.data() + start, i - start);
            if (!run.empty()) {
                TextOutA(dc, x, y, run.data(), static_cast<int>(run.size()));
                x += measureInstruction(dc, run, kSymbolSize);
            }
            if (i < line.size()) {
                HBITMAP bitmap = line[i] == kBrightnessSymbol ? state.brightness.get() : state.contrast.get();
                Selected picture(symbols, bitmap);
                BitBlt(dc, x, y + (tm.tmHeight - kSymbolSize) / 2, kSymbolSize, kSymbolSize, symbols, 0, 0, SRCCOPY);
                x += kSymbolSize;
            }
            start = i + 1;
        }
        y += tm.tmHeight;
    }
    DeleteDC(symbols);
}

LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PanelState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            auto made = std::make_unique<PanelState>();
            HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance;
            made->brightness.reset(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_BRIGHTNESS_SYMBOL)));
            made->contrast.reset(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_CONTRAST_SYMBOL)));
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made.release()));
            break;
        }
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            break;
        case WM_SETFONT:
            if (state) state->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_GETFONT: return state ? reinterpret_cast<LRESULT>(state->font) : 0;
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            if (state) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(window, &ps);
                paintPanel(window, dc, *state);
                EndPaint(window, &ps);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void registerInstructionClass(HINSTANCE instance) {
    registerWindowClass(instance, kInstructionClass, panelProcedure, LoadCursorA(nullptr, IDC_ARROW));
}

int measureInstruction(HDC dc, std::string_view text, int symbolWidth) {
    int width = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSymbol(text[i])) continue;
        if (i > start) {
            SIZE size{};
            GetTextExtentPoint32A(dc, text.data() + start, static_cast<int>(i - start), &size);
            width += size.cx;
        }
        if (i < text.size()) width += symbolWidth;
        start = i + 1;
    }
    return width;
}

std::vector<std::string> breakInstruction(HDC dc, const std::string& text, int width, int symbolWidth) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size() && lines.size() < kInstructionLines) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string paragraph = text.substr(at, end - at);
        std::string line;
        size_t word = 0;
        bool any = false;
        while (word < paragraph.size()) {
            const size_t space = std::min(paragraph.find(' ', word), paragraph.size());
            const std::string next = paragraph.substr(word, space - word);
            const std::string joined = line.empty() ? next : line + " " + next;
            if (!line.empty() && measureInstruction(dc, joined, symbolWidth) > width) {
                lines.push_back(line);
                line = next;
            } else {
                line = joined;
            }
            any = true;
            word = space + 1;
        }
        if (any || paragraph.empty()) lines.push_back(line);
        if (end >= text.size()) break;
        at = end + 1;
    }
    if (lines.size() > kInstructionLines) lines.resize(kInstructionLines);
    return lines;
}

}  // namespace huevista
