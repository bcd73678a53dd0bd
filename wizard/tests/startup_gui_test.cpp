// Start-up and leaving on the virtual display: the ramps saved and reset and given back on
// Cancel, the splash, the background window over both monitors.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "background_window.h"
#include "profforge.h"
#include "splash.h"
#include "stored_results.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "wizard_driver.h"

namespace {

using huevista::StepKind;
using huevista::test::WizardTest;

using huevista::test::identityRamp;
using huevista::test::Ramp;
using huevista::test::rampOf;

Ramp seededRamp(int monitor) {
    Ramp r{};
    for (int i = 0; i < 768; ++i) r[static_cast<size_t>(i)] = static_cast<WORD>((i % 256) * (200 + 20 * monitor));
    return r;
}

class StartupTest : public WizardTest {};

TEST_F(StartupTest, RampsReadIdentityWhileRunningAndReturnAfterEscapeOnTheFirstSetup) {
    {
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        for (int m = 0; m < 2; ++m) {
            Ramp r = seededRamp(m);
            ASSERT_TRUE(VLTSetDeviceGammaRamp(screen.get(), r.data(), m));
        }
    }
    const int code = runWizard({[&] {
        EXPECT_EQ(kind(), huevista::StepKind::Setup);
        for (int m = 0; m < 2; ++m) EXPECT_EQ(rampOf(m), identityRamp()) << m;
        key(VK_ESCAPE);
    }});
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(messages.empty());
    for (int m = 0; m < 2; ++m) EXPECT_EQ(rampOf(m), seededRamp(m)) << m;
}

// A 24-bit bitmap file of one colour.
void writeBitmap(const std::string& path, int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string data(static_cast<size_t>(stride * height), '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            char* p = &data[static_cast<size_t>(y * stride + 3 * x)];
            p[0] = static_cast<char>(GetBValue(colour)), p[1] = static_cast<char>(GetGValue(colour)),
            p[2] = static_cast<char>(GetRValue(colour));
        }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD offset = 14 + sizeof info, size = offset + static_cast<DWORD>(data.size());
    std::string file = "BM";
    file.append(reinterpret_cast<const char*>(&size), 4).append(4, '\0').append(reinterpret_cast<const char*>(&offset), 4);
    file.append(reinterpret_cast<const char*>(&info), sizeof info).append(data);
    huevista::test::writeText(path, file);
}

// What the splash looked like while it showed: found by a timer of the test's own, which then
// presses a key to close it.
struct SplashSeen {
    bool shown = false;
    RECT rect{};
    uint32_t centre = 0;
    WizardTest* test = nullptr;
} seen;

void CALLBACK watchSplash(HWND, UINT, UINT_PTR, DWORD) {
    HWND splash = FindWindowA(huevista::kSplashClass, nullptr);
    if (!splash || !IsWindowVisible(splash) || seen.shown) return;
    seen.shown = true;
    GetWindowRect(splash, &seen.rect);
    HDC dc = GetDC(splash);
    seen.centre = GetPixel(dc, 100, 50);
    ReleaseDC(splash, dc);
    PostMessageA(splash, WM_KEYDOWN, VK_SPACE, 1);
}

TEST_F(StartupTest, TheSplashShowsItsBitmapUnlessEmbeddedOrSwitchedOff) {
    struct Case {
        const char* name;
        const char* bitmap;  // in the suite folder; null: none
        std::vector<std::string> arguments;
        int logoDisabled;
        const char* oemSplash;
        bool shown;
    };
    const Case cases[] = {
        {"no bitmap", nullptr, {}, 0, nullptr, false},
        {"the program's own name", "huevista.bmp", {}, 0, nullptr, true},
        {"embedded", "huevista.bmp", {"-Embedding"}, 0, nullptr, false},
        {"for automation", "huevista.bmp", {"/automation"}, 0, nullptr, false},
        {"another switch", "huevista.bmp", {"-Other"}, 0, nullptr, true},
        {"logo switched off", "huevista.bmp", {}, 1, nullptr, false},
        {"the OEM's name, its extension replaced", "Brand.bmp", {}, 0, "Brand.avi", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove((suite.folder + "/huevista.bmp").c_str());
        std::remove((suite.folder + "/Brand.bmp").c_str());
        if (c.bitmap) writeBitmap(suite.folder + "/" + c.bitmap, 200, 100, RGB(10, 200, 30));
        int flag = c.logoDisabled;
        WriteControlPanelInitscreen(&flag);
        WriteSpectrineRegValue("Settings", "OEMSplash", REG_SZ, reinterpret_cast<const BYTE*>(c.oemSplash),
                               c.oemSplash ? static_cast<DWORD>(strlen(c.oemSplash) + 1) : 0);
        seen = SplashSeen{};
        const UINT_PTR watch = SetTimer(nullptr, 0, 20, watchSplash);
        runWizard({[&] { DestroyWindow(wizard()); }}, c.arguments);
        KillTimer(nullptr, watch);
        EXPECT_EQ(seen.shown, c.shown);
        if (!c.shown) continue;
        // Centred on the work area of the primary monitor.
        EXPECT_EQ(seen.rect.left, (1024 - 200) / 2);
        EXPECT_EQ(seen.rect.top, (768 - 100) / 2);
        EXPECT_EQ(seen.rect.right - seen.rect.left, 200);
        EXPECT_EQ(seen.rect.bottom - seen.rect.top, 100);
        EXPECT_EQ(seen.centre, RGB(10, 200, 30));
        EXPECT_EQ(FindWindowA(huevista::kSplashClass, nullptr), nullptr);
    }
}

class BackgroundTest : public WizardTest {
protected:
    // A pixel of the background at (x, y) of monitor `m`.
    uint32_t onMonitor(const huevista::test::Surface& s, const RECT& m, int x, int y) const {
        return at(s, POINT{m.left - window_.left + x, m.top - window_.top + y});
    }
    huevista::test::Surface background(const std::string& name) {
        HWND back = FindWindowA(huevista::kBackgroundClass, nullptr);
        GetWindowRect(back, &window_);
        return surfaceOf(back, name);
    }
    RECT window_{};
    // Whether the label box of a monitor holds any text pixel.
    bool labelled(const huevista::test::Surface& s, const RECT& m) const {
        for (int y = m.bottom - m.top - 50; y < m.bottom - m.top; ++y)
            for (int x = 10; x < 250; ++x)
                if (onMonitor(s, m, x, y) == 0x404040) return true;
        return false;
    }
};

TEST_F(BackgroundTest, CoversBothMonitorsLabelsThemAndShowsTheViewingAnglePatternInWindowCoordinates) {
    const RECT monitors[] = {kFirstMonitor, kSecondMonitor};
    runWizard({[&] {
                   HWND back = FindWindowA(huevista::kBackgroundClass, huevista::kBackgroundClass);
                   ASSERT_NE(back, nullptr);
                   RECT r{};
                   GetWindowRect(back, &r);
                   EXPECT_EQ(r.left, -3);
                   EXPECT_EQ(r.top, -103);
                   EXPECT_EQ(r.right, 1827);
                   EXPECT_EQ(r.bottom, 771);
                   EXPECT_FALSE(IsWindowEnabled(back));
                   EXPECT_EQ(GetParent(wizard()), back);
                   const auto s = background("plain");
                   for (const RECT& m : monitors) {
                       EXPECT_TRUE(labelled(s, m));
                       EXPECT_EQ(onMonitor(s, m, 17, 17), 0u);
                   }
                   forward(1);
               },
               [&] {
                   ASSERT_EQ(kind(), StepKind::TiltFit);
                   EXPECT_FALSE(dialog().background().pattern());
                   next();
                   EXPECT_TRUE(dialog().background().pattern());
                   const auto s = background("pattern");
                   for (const RECT& m : monitors) {
                       SCOPED_TRACE(m.left);
                       EXPECT_EQ(onMonitor(s, m, 17, 17), 0x101010u);
                       EXPECT_EQ(onMonitor(s, m, 65, 17), 0u);
                       EXPECT_EQ(onMonitor(s, m, 40, 17), 0x080808u);
                       EXPECT_EQ(onMonitor(s, m, 65, 65), 0x101010u);  // odd rows start at 60
                       EXPECT_EQ(onMonitor(s, m, 17, 65), 0u);
                       EXPECT_EQ(onMonitor(s, m, 12, 12), 0x101010u);
                       EXPECT_EQ(onMonitor(s, m, 11, 12), 0x080808u);
                       EXPECT_EQ(onMonitor(s, m, 36, 12), 0x080808u);
                       // Nothing below half the monitor's height.
                       const int half = (m.bottom - m.top) / 2;
                       for (int x = 0; x < 200; ++x) EXPECT_EQ(onMonitor(s, m, x, half + 20), 0x080808u) << x;
                       EXPECT_TRUE(labelled(s, m));
                   }
                   // Back to TiltFit takes the pattern away until the next Next.
                   back();
                   ASSERT_EQ(kind(), StepKind::TiltFit);
                   EXPECT_FALSE(dialog().background().pattern());
                   EXPECT_EQ(onMonitor(background("removed"), monitors[1], 17, 17), 0u);
                   next();
                   EXPECT_TRUE(dialog().background().pattern());
                   DestroyWindow(wizard());
               }});
}

TEST_F(BackgroundTest, ThePatternStaysForALaterMonitorOfAnotherType) {
    runWizard({[&] {
        while (dialog().monitor() == 0) forward(1);
        EXPECT_TRUE(dialog().background().pattern());
        forward(0);
        EXPECT_EQ(kind(), StepKind::Brightness);
        EXPECT_TRUE(dialog().background().pattern());
        EXPECT_EQ(onMonitor(background("later monitor"), kSecondMonitor, 17, 17), 0x101010u);
        DestroyWindow(wizard());
    }});
}

TEST_F(BackgroundTest, OneMonitorIsNotLabelled) {
    writeDisplayIni({spx::test::VirtualMonitor{}});
    WinplatResetProcessState();
    runWizard({[&] {
        const auto s = background("one");
        EXPECT_FALSE(labelled(s, kFirstMonitor));
        EXPECT_EQ(dialog().monitorCount(), 1);
        DestroyWindow(wizard());
    }});
}

}  // namespace
