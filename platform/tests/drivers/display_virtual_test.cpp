// The virtual display: what display.ini says, its defaults for what it leaves out or gets
// wrong, and ramps that one process loads and another reads back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

struct Layout {
    LONG left, top, right, bottom;
    int bits, planes;
    bool ramp;
    std::string description;
};

BOOL CALLBACK collect(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
    return TRUE;
}

// What the display functions report for every monitor.
std::vector<Layout> layout() {
    std::vector<HMONITOR> monitors;
    EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&monitors)));
    std::vector<Layout> out;
    for (size_t i = 0; i < monitors.size(); ++i) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetMonitorInfoA(monitors[i], &info));
        std::string name = "\\\\.\\DISPLAY" + std::to_string(i + 1);
        HDC dc = CreateDCA(name.c_str(), nullptr, nullptr, nullptr);
        DISPLAY_DEVICEA dd{};
        dd.cb = sizeof dd;
        EXPECT_TRUE(EnumDisplayDevicesA(name.c_str(), 0, &dd, 0));
        out.push_back({info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                       info.rcMonitor.bottom, GetDeviceCaps(dc, BITSPIXEL),
                       GetDeviceCaps(dc, PLANES), GetDeviceCaps(dc, COLORMGMTCAPS) == CM_GAMMA_RAMP,
                       dd.DeviceString});
        DeleteDC(dc);
    }
    return out;
}

void expectLayout(const std::vector<Layout>& got, const std::vector<Layout>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("monitor " + std::to_string(i + 1));
        EXPECT_EQ(got[i].left, want[i].left);
        EXPECT_EQ(got[i].top, want[i].top);
        EXPECT_EQ(got[i].right, want[i].right);
        EXPECT_EQ(got[i].bottom, want[i].bottom);
        EXPECT_EQ(got[i].bits, want[i].bits);
        EXPECT_EQ(got[i].planes, want[i].planes);
        EXPECT_EQ(got[i].ramp, want[i].ramp);
        EXPECT_EQ(got[i].description, want[i].description);
    }
}

using VirtualDisplay = FreshRootTest;

TEST_F(VirtualDisplay, EveryKeyIsRead) {
    writeFile("display.ini",
              "[Display]\nAdapter=\"Quoted Adapter\"\nMonitors=2\n"
              "[monitor2]\nleft=-640\ntop=+40\nwidth=640\nheight=480\nbitsperpixel=16\nplanes=1\n"
              "gammaramp=0\ndescription=Small one\n"
              "[Monitor1]\nLeft=0\nTop=0\nWidth=1600\nHeight=1200\nBitsPerPixel=24\nPlanes=1\n"
              "GammaRamp=1\nDescription=Big one\n");
    expectLayout(layout(), {{0, 0, 1600, 1200, 24, 1, true, "Big one"},
                            {-640, 40, 0, 520, 16, 1, false, "Small one"}});
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "Quoted Adapter");
}

TEST_F(VirtualDisplay, MissingKeysTakeTheirDefaults) {
    // Without a count, the numbered sections in a row; monitors follow one another to the
    // right; [Monitor4] is not reached after the gap.
    writeFile("display.ini", "[Monitor1]\nWidth=800\nHeight=600\n[Monitor2]\n[Monitor3]\nTop=10\n"
                             "[Monitor5]\n");
    expectLayout(layout(), {{0, 0, 800, 600, 32, 1, true, "Default Monitor"},
                            {800, 0, 1824, 768, 32, 1, true, "Default Monitor"},
                            {1824, 10, 2848, 778, 32, 1, true, "Default Monitor"}});
}

TEST_F(VirtualDisplay, ACountBeyondTheSectionsAddsDefaultMonitors) {
    writeFile("display.ini", "[Display]\nMonitors=2\n");
    expectLayout(layout(), {{0, 0, 1024, 768, 32, 1, true, "Default Monitor"},
                            {1024, 0, 2048, 768, 32, 1, true, "Default Monitor"}});
}

TEST_F(VirtualDisplay, BadValuesTakeTheDefaults) {
    struct Case {
        std::string line;
        Layout want;
    } cases[] = {
        {"Width=abc", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Width=0", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Width=-5", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Width=99999999999999999999", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Width=12x", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Height=65536", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Height=65535", {0, 0, 1024, 65535, 32, 1, true, "Default Monitor"}},
        {"BitsPerPixel=7", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"BitsPerPixel=8", {0, 0, 1024, 768, 8, 1, false, "Default Monitor"}},
        {"BitsPerPixel=15", {0, 0, 1024, 768, 15, 1, true, "Default Monitor"}},
        {"Planes=5", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"GammaRamp=2", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Left=1,5", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Left=70000", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"EDID=00FFZZ", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"EDID=00F", {0, 0, 1024, 768, 32, 1, true, "Default Monitor"}},
        {"Description=", {0, 0, 1024, 768, 32, 1, true, ""}},
        {"Description=\"Quoted name\"", {0, 0, 1024, 768, 32, 1, true, "Quoted name"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeFile("display.ini", std::string("[Monitor1]\n") + c.line + "\n");
        WinplatResetProcessState();
        expectLayout(layout(), {c.want});
    }
    // An out-of-range count counts the sections instead.
    writeFile("display.ini", "[Display]\nMonitors=33\n[Monitor1]\n[Monitor2]\n");
    WinplatResetProcessState();
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    // Bytes that are no INI file at all still give one default monitor.
    writeFile("display.ini", std::string("\0\xff\x01[[[=\n\n=\r", 12));
    WinplatResetProcessState();
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
}

TEST_F(VirtualDisplay, LongDescriptionsAreCutToTheirField) {
    writeFile("display.ini", "[Monitor1]\nDescription=" + std::string(300, 'd') + "\n");
    DISPLAY_DEVICEA dd;
    std::memset(&dd, 0xbd, sizeof dd);
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_EQ(std::string(dd.DeviceString), std::string(127, 'd'));
    EXPECT_EQ(dd.StateFlags, static_cast<DWORD>(DISPLAY_DEVICE_ACTIVE | DISPLAY_DEVICE_ATTACHED));
}

TEST_F(VirtualDisplay, TheEdidGivesTheNameAndPhysicalSize) {
    std::vector<spx::test::VirtualMonitor> m(1);
    m[0].edid = spx::test::makeEdid("NEC", 0x6789, 32, 24, "MultiSync");
    writeDisplayIni(m);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 320);
    EXPECT_EQ(GetDeviceCaps(dc, VERTSIZE), 240);
    ReleaseDC(nullptr, dc);
    expectLayout(layout(), {{0, 0, 1024, 768, 32, 1, true, "MultiSync"}});
    // Blanks between the hex digits are allowed.
    writeFile("display.ini", "[Monitor1]\nEDID=00 FF FF FF FF FF FF 00 38 A3 89 67\n");
    WinplatResetProcessState();
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "Plug and Play Monitor");
    EXPECT_EQ(std::string(dd.DeviceID).substr(0, 16), "MONITOR\\NEC6789\\");
}

std::vector<WORD> ramp(WORD step) {
    std::vector<WORD> r(768);
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<WORD>(i * step + 3);
    return r;
}

TEST_F(VirtualDisplay, ALoadedRampIsKeptInTheRootAsLittleEndianWords) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    HDC dc = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    std::vector<WORD> loaded = ramp(85);
    ASSERT_TRUE(SetDeviceGammaRamp(dc, loaded.data()));
    DeleteDC(dc);
    std::string bytes = readFile("display/monitor2.ramp");
    ASSERT_EQ(bytes.size(), 1536u);
    for (size_t i = 0; i < 768; ++i) {
        ASSERT_EQ(static_cast<unsigned char>(bytes[2 * i]), loaded[i] & 0xFF) << i;
        ASSERT_EQ(static_cast<unsigned char>(bytes[2 * i + 1]), loaded[i] >> 8) << i;
    }
    EXPECT_EQ(readFile("display/monitor1.ramp"), "");  // untouched monitors have no file
}

TEST_F(VirtualDisplay, ADamagedRampFileReadsAsIdentity) {
    for (size_t size : {0u, 1535u, 1537u}) {
        SCOPED_TRACE(size);
        writeFile("display/monitor1.ramp", std::string(size, '\x7f'));
        HDC dc = GetDC(nullptr);
        std::vector<WORD> got(768, 0xbdbd);
        ASSERT_TRUE(GetDeviceGammaRamp(dc, got.data()));
        for (size_t i = 0; i < 768; ++i) ASSERT_EQ(got[i], (i % 256) * 257) << i;
        ReleaseDC(nullptr, dc);
    }
}

// Runs `body` in a child process that starts from a fresh process state; its exit code.
template <typename Body>
int inChildProcess(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        WinplatResetProcessState();
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(VirtualDisplay, AnotherProcessReadsBackTheRampOneProcessLoaded) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    std::vector<WORD> loaded = ramp(77);
    // The child loads, this process reads.
    int rc = inChildProcess([&] {
        HDC dc = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
        return dc && SetDeviceGammaRamp(dc, loaded.data()) ? 0 : 1;
    });
    ASSERT_EQ(rc, 0);
    HDC dc = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    std::vector<WORD> got(768);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, got.data()));
    EXPECT_EQ(got, loaded);

    // This process loads again, the child reads.
    std::vector<WORD> again = ramp(13);
    ASSERT_TRUE(SetDeviceGammaRamp(dc, again.data()));
    DeleteDC(dc);
    rc = inChildProcess([&] {
        HDC child = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
        std::vector<WORD> seen(768);
        if (!child || !GetDeviceGammaRamp(child, seen.data())) return 1;
        return seen == again ? 0 : 2;
    });
    EXPECT_EQ(rc, 0);
}

// Which display a process gets: $SPECTRINE_DISPLAY, else X11 when $DISPLAY answers.
class DisplayChoice : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        if (const char* d = std::getenv("DISPLAY")) saved_ = d, had_ = true;
    }
    void TearDown() override {
        if (had_)
            setenv("DISPLAY", saved_.c_str(), 1);
        else
            unsetenv("DISPLAY");
        FreshRootTest::TearDown();
    }
    static std::string adapterId() {
        DISPLAY_DEVICEA dd{};
        dd.cb = sizeof dd;
        if (!EnumDisplayDevicesA(nullptr, 0, &dd, 0)) return "<none>";
        return dd.DeviceID;
    }

private:
    std::string saved_;
    bool had_ = false;
};

TEST_F(DisplayChoice, WithoutAnXServerTheDisplayIsTheVirtualOne) {
    struct Case {
        const char* choice;   // $SPECTRINE_DISPLAY, null: unset
        const char* display;  // $DISPLAY, null: unset
        const char* adapter;
    } cases[] = {
        {nullptr, nullptr, "ROOT\\VIRTUAL_DISPLAY"},
        {nullptr, ":987", "ROOT\\VIRTUAL_DISPLAY"},  // nothing answers there
        {"", nullptr, "ROOT\\VIRTUAL_DISPLAY"},
        {"something", nullptr, "ROOT\\VIRTUAL_DISPLAY"},
        {"VIRTUAL", ":987", "ROOT\\VIRTUAL_DISPLAY"},
        {"x11", ":987", "<none>"},  // asked for, and not there: no monitor at all
        {"x11", nullptr, "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.choice ? c.choice : "(unset)") + " " +
                     (c.display ? c.display : "(unset)"));
        if (c.choice)
            setenv("SPECTRINE_DISPLAY", c.choice, 1);
        else
            unsetenv("SPECTRINE_DISPLAY");
        if (c.display)
            setenv("DISPLAY", c.display, 1);
        else
            unsetenv("DISPLAY");
        WinplatResetProcessState();
        EXPECT_EQ(adapterId(), c.adapter);
        EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), std::string(c.adapter) == "<none>" ? 0 : 1);
    }
}

}  // namespace
