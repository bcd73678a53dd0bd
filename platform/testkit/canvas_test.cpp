#include "canvas_test.h"

namespace spx::test {
namespace {

std::function<void(HDC)> currentPainter;
int paintCount = 0;

LRESULT CALLBACK canvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc && currentPainter) currentPainter(dc);
        EndPaint(hwnd, &ps);
        ++paintCount;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void CanvasTest::SetUp() {
    GuiTest::SetUp();
    currentPainter = nullptr;
    paintCount = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = canvasProc;
    wc.lpszClassName = "SpxCanvas";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    ASSERT_NE(RegisterClassA(&wc), 0);
}

void CanvasTest::TearDown() {
    currentPainter = nullptr;
    GuiTest::TearDown();
}

int CanvasTest::paints() const { return paintCount; }

Surface CanvasTest::paint(const RECT& rect, const std::function<void(HDC)>& painter, const std::string& name) {
    currentPainter = painter;
    int before = paintCount;
    if (!window_) {
        window_ = CreateWindowExA(0, "SpxCanvas", name.c_str(), WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr,
                                  nullptr);
        if (!window_) return {};
    } else {
        InvalidateRect(window_, nullptr, TRUE);
    }
    if (!pumpUntil([&] { return paintCount > before; })) return {};
    return surfaceOf(window_, name);
}

}  // namespace spx::test
