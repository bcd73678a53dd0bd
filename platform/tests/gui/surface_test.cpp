// Windows over the driver's surfaces: WM_PAINT after showing, invalidation, children as
// rectangles of their top-level surface, presenting, and display changes.
#include <gtest/gtest.h>

#include <vector>

#include "gui_test.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

std::vector<std::pair<HWND, UINT>> paintLog;
COLORREF paintColour = RGB(10, 20, 30);

LRESULT CALLBACK paintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT || msg == WM_ERASEBKGND || msg == WM_DISPLAYCHANGE) paintLog.push_back({hwnd, msg});
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(paintColour);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class SurfaceTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        paintLog.clear();
        paintColour = RGB(10, 20, 30);
        WNDCLASSA wc{};
        wc.lpfnWndProc = paintProc;
        wc.lpszClassName = "SpxSurface";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
};

TEST_F(SurfaceTest, AShownWindowPaintsItsSurface) {
    HWND w = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE, 1000, -50, 100, 80, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(pumpUntil([] { return !paintLog.empty(); }));
    pump();
    auto rows = surfaceOf(w, "shown");
    ASSERT_EQ(rows.size(), 80u);
    ASSERT_EQ(rows[0].size(), 100u);
    EXPECT_EQ(rows[0][0], 0x0A141Eu);
    EXPECT_EQ(rows[79][99], 0x0A141Eu);
    HDC dc = GetDC(w);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 50, 40), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(dc, 100, 40), CLR_INVALID);  // outside the client area
    ReleaseDC(w, dc);
}

}  // namespace
