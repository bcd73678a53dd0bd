// The typed loaders over a library built with winplat_add_resources: its 8-bit DIB as a bitmap
// (1:1 and stretched, the colour table kept exactly, and through a 256-entry palette), its
// cursor and icon, and the same pictures loaded from their files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "canvas_test.h"
#include "winplat.h"

namespace {

using spx::test::CanvasTest;
using spx::test::Surface;

// The library's bitmap 300: 5 x 3, pixel (x, y) from the top is colour index 16 y + 40 x + 1,
// and entry i of its table is RGB(i / 2, 255 - i, i).
uint32_t dibColour(int x, int y) {
    int i = 16 * y + 40 * x + 1;
    return static_cast<uint32_t>((i / 2) << 16 | (255 - i) << 8 | i);
}

class Loaders : public CanvasTest {
protected:
    void SetUp() override {
        CanvasTest::SetUp();
        library_ = LoadLibraryA(WINPLAT_RESOURCE_LIBRARY_PATH);
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
        CanvasTest::TearDown();
    }
    HMODULE library_ = nullptr;
};

TEST_F(Loaders, TheDibResourceBlittedOneToOneAndStretched) {
    HBITMAP bitmap = LoadBitmapA(library_, MAKEINTRESOURCEA(300));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 3);
    // The resource's bytes straight to the window, stretched three times through a palette whose
    // entry j is RGB(j, j, 255 - j), with a DIB_PAL_COLORS table naming entry 255 - i for i.
    HRSRC found = FindResourceA(library_, MAKEINTRESOURCEA(300), RT_BITMAP);
    ASSERT_NE(found, nullptr);
    const auto* packed = static_cast<const BYTE*>(LockResource(LoadResource(library_, found)));
    ASSERT_NE(packed, nullptr);
    std::vector<BYTE> indexed(sizeof(BITMAPINFOHEADER) + 256 * sizeof(WORD));
    std::memcpy(indexed.data(), packed, sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i) reinterpret_cast<WORD*>(indexed.data() + sizeof(BITMAPINFOHEADER))[i] = static_cast<WORD>(255 - i);
    const BYTE* bits = packed + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
    std::vector<BYTE> entries(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(entries.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    for (int j = 0; j < 256; ++j) lp->palPalEntry[j] = {static_cast<BYTE>(j), static_cast<BYTE>(j), static_cast<BYTE>(255 - j), 0};
    HPALETTE palette = CreatePalette(lp);

    Surface s = paint(RECT{100, 100, 200, 160}, [&](HDC dc) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, 5, 3, memory, 0, 0, SRCCOPY);
        StretchBlt(dc, 10, 0, 15, 9, memory, 0, 0, 5, 3, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        SetDIBitsToDevice(dc, 0, 20, 5, 3, 0, 0, 0, 3, bits, reinterpret_cast<const BITMAPINFO*>(packed), DIB_RGB_COLORS);
        HPALETTE previous = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        StretchDIBits(dc, 10, 20, 15, 9, 0, 0, 5, 3, bits, reinterpret_cast<const BITMAPINFO*>(indexed.data()),
                      DIB_PAL_COLORS, SRCCOPY);
        SelectPalette(dc, previous, FALSE);
    }, "dib-resource");
    ASSERT_FALSE(s.empty());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(s[static_cast<size_t>(y)][static_cast<size_t>(x)], dibColour(x, y));
            EXPECT_EQ(s[static_cast<size_t>(20 + y)][static_cast<size_t>(x)], dibColour(x, y));
            int j = 255 - (16 * y + 40 * x + 1);
            uint32_t throughPalette = static_cast<uint32_t>(j << 16 | j << 8 | (255 - j));
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx) {
                    EXPECT_EQ(s[static_cast<size_t>(3 * y + dy)][static_cast<size_t>(10 + 3 * x + dx)], dibColour(x, y));
                    EXPECT_EQ(s[static_cast<size_t>(20 + 3 * y + dy)][static_cast<size_t>(10 + 3 * x + dx)], throughPalette);
                }
        }
    EXPECT_EQ(s[0][5], 0xFFFFFFu);
    EXPECT_EQ(s[3][0], 0xFFFFFFu);
    DeleteObject(bitmap);
    DeleteObject(palette);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadBitmapA(library_, MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Loaders, CursorsAndIconsFromResourcesAndFiles) {
    struct Case {
        const char* name;
        HICON handle;
        int size;
        int bits;
        int seed;
    } cases[] = {
        // The cursor group holds 32 x 32 and 16 x 16 monochrome images; the system size is 32.
        {"cursor resource", LoadCursorA(library_, MAKEINTRESOURCEA(301)), 32, 1, 1},
        // The icon group: 16 x 16 and 32 x 32 at 4 bits, 32 x 32 at 8 bits: the deepest 32.
        {"icon resource", LoadIconA(library_, MAKEINTRESOURCEA(302)), 32, 8, 5},
        {"icon file at 16", static_cast<HICON>(LoadImageA(nullptr, WINPLAT_RESOURCE_ASSETS "/sizes.ico", IMAGE_ICON, 16, 16, LR_LOADFROMFILE)), 16, 4, 3},
        {"cursor file", static_cast<HICON>(LoadImageA(nullptr, WINPLAT_RESOURCE_ASSETS "/pointer.cur", IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)), 32, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.handle, nullptr);
        Surface s = paint(RECT{100, 100, 180, 180}, [&](HDC dc) { DrawIconEx(dc, 4, 4, c.handle, 0, 0, 0, nullptr, DI_NORMAL); },
                          std::string("icon-") + c.name);
        ASSERT_FALSE(s.empty());
        // Pixel (x, y) is colour index (x + y + seed) mod the table's size, transparent below
        // the diagonal; entry i is RGB(i, 3 i, 7 i + seed) modulo 256.
        int colours = c.bits <= 8 ? 1 << c.bits : 0;
        for (int y = 0; y < c.size; ++y)
            for (int x = 0; x < c.size; ++x) {
                uint32_t got = s[static_cast<size_t>(4 + y)][static_cast<size_t>(4 + x)];
                if (x < y) {
                    ASSERT_EQ(got, 0xFFFFFFu) << x << "," << y;
                    continue;
                }
                int i = (x + y + c.seed) % std::max(colours, 2);
                uint32_t want = static_cast<uint32_t>((i & 255) << 16 | ((i * 3) & 255) << 8 | ((i * 7 + c.seed) & 255));
                ASSERT_EQ(got, want) << x << "," << y;
            }
        EXPECT_EQ(s[static_cast<size_t>(4)][static_cast<size_t>(4 + c.size)], 0xFFFFFFu);
        EXPECT_TRUE(c.bits == 1 ? DestroyCursor(c.handle) : DestroyIcon(c.handle));
    }
    HCURSOR cursor = LoadCursorA(library_, MAKEINTRESOURCEA(301));
    ASSERT_NE(cursor, nullptr);
    SetCursor(cursor);
    EXPECT_EQ(GetCursor(), cursor);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadImageA(nullptr, WINPLAT_RESOURCE_ASSETS "/no-such.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HANDLE fromFile = LoadImageA(nullptr, WINPLAT_RESOURCE_ASSETS "/dib8.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(fromFile, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(fromFile, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 5);
    DeleteObject(fromFile);
}

}  // namespace
