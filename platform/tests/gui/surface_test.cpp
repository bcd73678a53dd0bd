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

TEST_F(SurfaceTest, ParentsPaintBeforeChildrenAndClipChildrenKeepsTheirArea) {
    struct Case {
        const char* name;
        DWORD parentStyle;
        uint32_t underChild;  // what the parent's paint leaves under the child
    } cases[] = {
        {"children painted over", 0, 0x0A141Eu},
        {"children clipped out", WS_CLIPCHILDREN, 0x0A141Eu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        paintLog.clear();
        HWND parent = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE | c.parentStyle, 200, 200,
                                      120, 100, nullptr, nullptr, nullptr, nullptr);
        HWND child = CreateWindowExA(0, "SpxSurface", "", WS_CHILD | WS_VISIBLE, 10, 10, 30, 20, parent,
                                     nullptr, nullptr, nullptr);
        ASSERT_TRUE(parent && child);
        ASSERT_TRUE(pumpUntil([&] {
            int painted = 0;
            for (auto& [h, m] : paintLog) painted += m == WM_PAINT;
            return painted >= 2;
        }));
        std::vector<HWND> order;
        for (auto& [h, m] : paintLog)
            if (m == WM_PAINT) order.push_back(h);
        EXPECT_EQ(order, (std::vector<HWND>{parent, child}));
        // Painting the parent alone: a clipped parent leaves the child's pixels alone.
        paintColour = RGB(200, 0, 0);
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
        auto rows = surfaceOf(parent, "children");
        ASSERT_EQ(rows.size(), 100u);
        EXPECT_EQ(rows[50][100], 0xC80000u);
        EXPECT_EQ(rows[15][15], (c.parentStyle & WS_CLIPCHILDREN) ? 0x0A141Eu : 0xC80000u);
        paintColour = RGB(10, 20, 30);
        DestroyWindow(parent);
    }
}

TEST_F(SurfaceTest, GetDcCoversTheVisibleClientAreaAndValidatesNothing) {
    HWND w = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE | WS_CAPTION, 300, 300, 100, 80,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(pumpUntil([] { return !paintLog.empty(); }));
    HDC dc = GetDC(w);
    ASSERT_NE(dc, nullptr);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 100 - 6);
    EXPECT_EQ(box.bottom, 80 - 6 - 19);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(dc, -1, 0, RGB(1, 2, 3)), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(w, dc), 1);
    EXPECT_EQ(ReleaseDC(w, dc), 0);
    // On the virtual display the surface holds the frame and caption around the client area.
    auto rows = surfaceOf(w, "caption");
    ASSERT_EQ(rows.size(), 80u);
    EXPECT_EQ(rows[3 + 19][3], 0x010203u);
    EXPECT_NE(rows[3 + 5][50], 0x0A141Eu);  // the caption bar
    RECT update{};
    EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
}

TEST_F(SurfaceTest, MovingKeepsPixelsAndGrowingRepaintsTheNewArea) {
    HWND w = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE, 100, 100, 50, 40, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(pumpUntil([] { return !paintLog.empty(); }));
    paintLog.clear();
    ASSERT_TRUE(MoveWindow(w, 1500, -50, 50, 40, TRUE));  // onto the second monitor
    pump();
    EXPECT_TRUE(paintLog.empty());
    ASSERT_TRUE(MoveWindow(w, 1500, -50, 80, 40, TRUE));
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_EQ(update.left, 50);
    EXPECT_EQ(update.right, 80);
    ASSERT_TRUE(pumpUntil([] { return !paintLog.empty(); }));
    auto rows = surfaceOf(w, "grown");
    ASSERT_EQ(rows.size(), 40u);
    ASSERT_EQ(rows[0].size(), 80u);
    EXPECT_EQ(rows[39][79], 0x0A141Eu);
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONULL), MonitorFromPoint(POINT{1500, -50}, MONITOR_DEFAULTTONULL));
}

TEST_F(SurfaceTest, MemoryContextsAndBitmaps) {
    HWND w = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE, 100, 100, 64, 64, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(pumpUntil([] { return !paintLog.empty(); }));
    HDC window = GetDC(w);
    HDC memory = CreateCompatibleDC(window);
    ASSERT_NE(memory, nullptr);
    // A fresh memory context holds a 1 x 1 monochrome bitmap: bitmaps compatible with it are
    // monochrome too; with the window's context they are true colour.
    HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
    HBITMAP colour = CreateCompatibleBitmap(window, 8, 8);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(mono, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    ASSERT_EQ(GetObjectA(colour, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 8);
    HGDIOBJ old = SelectObject(memory, colour);
    RECT all{0, 0, 8, 8};
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    FillRect(memory, &all, green);
    SetPixel(memory, 7, 7, RGB(9, 8, 7));
    EXPECT_FALSE(DeleteObject(colour));  // still selected
    BitBlt(window, 10, 10, 8, 8, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(window, 10, 10), RGB(0, 200, 0));
    EXPECT_EQ(GetPixel(window, 17, 17), RGB(9, 8, 7));
    EXPECT_EQ(GetPixel(window, 18, 18), RGB(10, 20, 30));
    // A monochrome source paints the text colour for black and the background for white.
    SelectObject(memory, mono);
    PatBlt(memory, 0, 0, 8, 8, WHITENESS);
    PatBlt(memory, 0, 0, 4, 8, BLACKNESS);
    SetTextColor(window, RGB(255, 0, 0));
    SetBkColor(window, RGB(0, 0, 255));
    BitBlt(window, 30, 10, 8, 8, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(window, 30, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(window, 37, 10), RGB(0, 0, 255));
    // GetDIBits reads the bitmap bottom-up as 32-bit BI_RGB.
    SelectObject(memory, old);
    std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_EQ(GetDIBits(window, colour, 0, 0, nullptr, bmi, DIB_RGB_COLORS), 8);
    EXPECT_EQ(bmi->bmiHeader.biBitCount, 32);
    EXPECT_EQ(bmi->bmiHeader.biHeight, 8);
    std::vector<BYTE> bits(8 * 8 * 4 + 4, 0xbd);
    ASSERT_EQ(GetDIBits(window, colour, 0, 8, bits.data(), bmi, DIB_RGB_COLORS), 8);
    EXPECT_EQ(bits[4 * 7 + 0], 7);  // the first row is the bottom one: (7, 7) is its last pixel
    EXPECT_EQ(bits[4 * 7 + 1], 8);
    EXPECT_EQ(bits[4 * 7 + 2], 9);
    EXPECT_EQ(bits[1], 200);
    EXPECT_EQ(bits[8 * 8 * 4], 0xbd);  // nothing past the last row
    DeleteDC(memory);
    ReleaseDC(w, window);
    EXPECT_TRUE(DeleteObject(colour));
    EXPECT_TRUE(DeleteObject(mono));
    EXPECT_TRUE(DeleteObject(green));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteObject(green));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SurfaceTest, DisplayChangesReachEveryTopLevelWindow) {
    HWND a = CreateWindowExA(0, "SpxSurface", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExA(0, "SpxSurface", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(a && b);
    pump();
    paintLog.clear();
    spx::test::VirtualMonitor only;
    only.width = 1280;
    only.height = 1024;
    writeDisplayIni({only});
    ASSERT_TRUE(WinplatVirtualDisplayChanged());
    std::vector<HWND> told;
    for (auto& [h, m] : paintLog)
        if (m == WM_DISPLAYCHANGE) told.push_back(h);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}

TEST_F(SurfaceTest, SavingNeedsAShownTopLevelWindow) {
    HWND hidden = CreateWindowExA(0, "SpxSurface", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WinplatSaveWindowImage(hidden, rootPath("hidden.png").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WinplatSaveWindowImage(reinterpret_cast<HWND>(0x4444), rootPath("none.png").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
