// Super- and subclassing on the offscreen display: a trackbar superclass made as the adjust
// dialog makes it paints its own channel and thumb bitmaps at exactly the rectangles the system
// trackbar reports, every other message going to the system procedure; a static subclassed
// through GWLP_WNDPROC finds its owner through a property and draws anisotropic polylines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_test.h"
#include "winplat.h"

namespace {

using spx::test::GuiTest;

constexpr uint32_t kChannel = 0xFF8000;  // channel.bmp
constexpr uint32_t kThumb = 0x0080FF;    // thumb.bmp
constexpr uint32_t kPaper = 0xFFFFFF;
constexpr int kSuperExtra = 16;

WNDPROC systemTrackbar = nullptr;
HMODULE pictures = nullptr;

void blitBitmap(HDC dc, int id, const RECT& r) {
    HBITMAP bitmap = LoadBitmapA(pictures, MAKEINTRESOURCEA(id));
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, 4, 4, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

// Paints white, the channel bitmap and the thumb bitmap; everything else is the system's.
LRESULT CALLBACK pictureTrackbar(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client, channel, thumb;
        GetClientRect(hwnd, &client);
        CallWindowProcA(systemTrackbar, hwnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        CallWindowProcA(systemTrackbar, hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        blitBitmap(dc, 210, channel);
        blitBitmap(dc, 211, thumb);
        EndPaint(hwnd, &ps);
        return 0;
    }
    // The superclass's own bytes follow the system's.
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, static_cast<int>(GetClassLongPtrA(hwnd, GCL_CBWNDEXTRA)) - kSuperExtra, 0x5EC);
    return CallWindowProcA(systemTrackbar, hwnd, message, wParam, lParam);
}

class SubclassTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        pictures = LoadLibraryA(WINPLAT_DIALOG_LIBRARY_PATH);
        ASSERT_NE(pictures, nullptr);
        host_ = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(host_);
        FreeLibrary(pictures);
        GuiTest::TearDown();
    }
    HWND host_ = nullptr;
};

TEST_F(SubclassTest, ASuperclassedTrackbarPaintsItsBitmapsAtTheReportedRectangles) {
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(nullptr, "msctls_trackbar32", &wc));
    EXPECT_EQ(wc.cbWndExtra, static_cast<int>(sizeof(void*)));
    systemTrackbar = wc.lpfnWndProc;
    wc.lpfnWndProc = pictureTrackbar;
    wc.cbWndExtra += kSuperExtra;
    wc.lpszClassName = "kalvctls_trackbar32";
    wc.hInstance = pictures;
    ASSERT_NE(RegisterClassA(&wc), 0);

    struct Case {
        const char* name;
        DWORD style;
        LONG pos;
    };
    const Case cases[] = {
        {"horizontal at the start", 0, 0},          {"horizontal in the middle", 0, 50},
        {"horizontal at the end", 0, 100},          {"vertical at the start", TBS_VERT, 0},
        {"vertical in the middle", TBS_VERT, 50},   {"vertical at the end", TBS_VERT, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool vert = c.style & TBS_VERT;
        HWND track = CreateWindowExA(0, "KALVCTLS_TRACKBAR32", "", WS_CHILD | WS_VISIBLE | c.style, 10, 10, vert ? 30 : 200,
                                     vert ? 200 : 30, host_, reinterpret_cast<HMENU>(1), pictures, nullptr);
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(GetWindowLongPtrA(track, static_cast<int>(sizeof(void*))), 0x5EC);
        SendMessageA(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageA(track, TBM_SETPOS, TRUE, c.pos);
        EXPECT_EQ(SendMessageA(track, TBM_GETPOS, 0, 0), c.pos);
        RECT channel{}, thumb{};
        SendMessageA(track, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        SendMessageA(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        // The channel runs along the trackbar: tall when vertical.
        EXPECT_EQ(vert, channel.bottom - channel.top > channel.right - channel.left);
        pump();
        auto pixels = surfaceOf(host_, std::string("trackbar ") + c.name);
        ASSERT_FALSE(pixels.empty());
        auto at = [&](int x, int y) { return pixels[static_cast<size_t>(10 + y)][static_cast<size_t>(10 + x)]; };
        // The thumb's corners and centre, the channel's ends outside the thumb, and just outside.
        EXPECT_EQ(at(thumb.left, thumb.top), kThumb);
        EXPECT_EQ(at(thumb.right - 1, thumb.bottom - 1), kThumb);
        EXPECT_EQ(at((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), kThumb);
        RECT free = channel;  // the end of the channel the thumb is not at
        if (c.pos < 50) (vert ? free.top : free.left) = vert ? thumb.bottom : thumb.right;
        else (vert ? free.bottom : free.right) = vert ? thumb.top : thumb.left;
        EXPECT_EQ(at(free.left, free.top), kChannel);
        EXPECT_EQ(at(free.right - 1, free.bottom - 1), kChannel);
        EXPECT_EQ(c.pos < 50 ? at(channel.right, channel.bottom) : at(channel.left - 1, channel.top - 1), kPaper);
        EXPECT_EQ(at(thumb.left - 1, thumb.top - 1), kPaper);
        // The thumb sits at the position's share of the channel.
        int centre = vert ? (thumb.top + thumb.bottom) / 2 : (thumb.left + thumb.right) / 2;
        int from = vert ? channel.top : channel.left, to = vert ? channel.bottom : channel.right;
        EXPECT_NEAR(centre, from + (to - from) * c.pos / 100, 6);
        DestroyWindow(track);
    }
    EXPECT_TRUE(UnregisterClassA("kalvctls_trackbar32", pictures));
}

// The owner a "PROP_CPLPAGE" property carries: three polylines in a 100 x 100 logical space.
struct Owner {
    WNDPROC previous = nullptr;
    COLORREF colours[3] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255)};
    POINT lines[3][3] = {{{0, 10}, {50, 10}, {99, 10}}, {{0, 50}, {50, 20}, {99, 50}}, {{10, 90}, {10, 60}, {10, 30}}};
};

LRESULT CALLBACK curveStatic(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = static_cast<Owner*>(GetPropA(hwnd, "PROP_CPLPAGE"));
    if (message != WM_PAINT) return CallWindowProcA(owner->previous, hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 100, 100, nullptr);
    SetViewportExtEx(dc, client.right, client.bottom, nullptr);
    for (int i = 0; i < 3; ++i) {
        HPEN pen = CreatePen(PS_SOLID, 1, owner->colours[i]);
        HGDIOBJ old = SelectObject(dc, pen);
        Polyline(dc, owner->lines[i], 3);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

TEST_F(SubclassTest, ASubclassedStaticFindsItsOwnerAndDrawsAnisotropicPolylines) {
    HWND curve = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 20, 200, 150, host_, nullptr, nullptr, nullptr);
    ASSERT_NE(curve, nullptr);
    Owner owner;
    ASSERT_TRUE(SetPropA(curve, "PROP_CPLPAGE", &owner));
    owner.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(curve, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(curveStatic)));
    WNDCLASSA wc{};
    GetClassInfoA(nullptr, "Static", &wc);
    EXPECT_EQ(owner.previous, wc.lpfnWndProc);
    // Other messages still reach the system procedure.
    SetWindowTextA(curve, "kept");
    char text[16];
    GetWindowTextA(curve, text, sizeof text);
    EXPECT_STREQ(text, "kept");
    InvalidateRect(curve, nullptr, TRUE);
    pump();
    auto pixels = surfaceOf(host_, "curves");
    ASSERT_FALSE(pixels.empty());
    // Logical (x, y) lands on device (x * 200 / 100, y * 150 / 100), rounded to nearest.
    auto at = [&](int x, int y) {
        return pixels[static_cast<size_t>(20 + (y * 150 + 50) / 100)][static_cast<size_t>(20 + (x * 200 + 50) / 100)];
    };
    struct Probe {
        POINT logical;
        uint32_t colour;
    };
    const Probe probes[] = {
        {{0, 10}, 0xFF0000}, {{50, 10}, 0xFF0000}, {{98, 10}, 0xFF0000}, {{0, 50}, 0x00A000},
        {{50, 20}, 0x00A000}, {{10, 90}, 0x0000FF}, {{10, 45}, 0x0000FF}, {{70, 70}, kPaper},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.logical.x << "," << p.logical.y);
        EXPECT_EQ(at(p.logical.x, p.logical.y), p.colour);
    }
    EXPECT_EQ(RemovePropA(curve, "prop_cplpage"), &owner);
    EXPECT_EQ(GetPropA(curve, "PROP_CPLPAGE"), nullptr);
    SetWindowLongPtrA(curve, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(owner.previous));
    DestroyWindow(curve);
}

}  // namespace
