// The X11 display against a real X server: Xorg with the dummy video driver, started by the
// tests with the configuration kept beside them (xorg/dummy.conf). Ramps loaded through the
// display functions are read back by ArgyllCMS dispwin. Without Xorg, xrandr or dispwin the
// tests are skipped with the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fresh_root.h"
#include "gamma_resample.h"
#include "winplat.h"

// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

namespace fs = std::filesystem;
using spx::test::FreshRootTest;

std::string findProgram(const std::vector<std::string>& candidates) {
    for (const auto& c : candidates)
        if (access(c.c_str(), X_OK) == 0) return c;
    return {};
}

std::string lastLines(const std::string& path, size_t count) {
    std::ifstream in(path);
    std::string line, last;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        last += lines[i] + "\n";
    return last;
}

std::string tail(const std::string& path) {
    std::ifstream in(path);
    std::string line, last;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    for (size_t i = lines.size() > 8 ? lines.size() - 8 : 0; i < lines.size(); ++i)
        last += lines[i] + "\n";
    return last;
}

// One X server for the test program; every test sets the outputs it needs.
class XServer {
public:
    static XServer& instance() {
        static XServer server;
        return server;
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    const std::string& skipReason() const { return skipReason_; }
    const std::string& display() const { return display_; }
    const std::string& dir() const { return dir_; }

    // Runs an X client program against the server; its exit code.
    int run(const std::string& command) const {
        std::string line = "DISPLAY=" + display_ + " " + command + " >>" + dir_ + "/clients.log 2>&1";
        return std::system(line.c_str());
    }

private:
    XServer() {
        std::string xorg = findProgram({"/usr/lib/xorg/Xorg", "/usr/bin/Xorg"});
        if (xorg.empty()) {
            skipReason_ = "Xorg is not installed (xserver-xorg-core)";
            return;
        }
        if (access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0) {
            skipReason_ = "the dummy video driver is not installed (xserver-xorg-video-dummy)";
            return;
        }
        if (findProgram({"/usr/bin/xrandr"}).empty()) {
            skipReason_ = "xrandr is not installed (x11-xserver-utils)";
            return;
        }
        std::string config = (fs::path(__FILE__).parent_path() / "xorg" / "dummy.conf").string();
        if (access(config.c_str(), R_OK) != 0) {
            skipReason_ = "the server configuration " + config + " is missing";
            return;
        }
        std::string templ = (fs::temp_directory_path() / "spectrine-xorg-XXXXXX").string();
        if (!mkdtemp(templ.data())) {
            skipReason_ = "no temporary folder for the X server";
            return;
        }
        dir_ = templ;
        fs::create_directories(dir_ + "/conf.d");
        // The server takes the first free display number and writes it to a pipe when it
        // accepts connections, so test programs running side by side never collide.
        int ready[2];
        if (pipe(ready) != 0) {
            skipReason_ = "no pipe for the X server";
            return;
        }
        std::string log = dir_ + "/Xorg.log";
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            int fd = open((dir_ + "/Xorg.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            // The server ends with the test program, even when that one dies.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            setsid();
            std::string displayFd = std::to_string(ready[1]);
            execl(xorg.c_str(), xorg.c_str(), "-displayfd", displayFd.c_str(), "-config",
                  config.c_str(), "-configdir", (dir_ + "/conf.d").c_str(), "-noreset",
                  "-nolisten", "tcp", "-logfile", log.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline && number.find('\n') == std::string::npos) {
            if (poll(&wait, 1, 200) <= 0) continue;
            char buffer[16];
            ssize_t n = read(ready[0], buffer, sizeof buffer);
            if (n <= 0) break;  // the server ended without a display
            number.append(buffer, static_cast<size_t>(n));
        }
        close(ready[0]);
        if (number.find('\n') == std::string::npos) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
            skipReason_ = "Xorg could not start here: " + tail(dir_ + "/Xorg.out") + tail(log);
            return;
        }
        display_ = ":" + number.substr(0, number.find('\n'));
        if (Display* d = XOpenDisplay(display_.c_str())) {
            XCloseDisplay(d);
            return;
        }
        skipReason_ = "Xorg on " + display_ + " does not answer: " + tail(log);
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string dir_;
    std::string skipReason_;
};

class X11Display : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        if (const char* d = std::getenv("DISPLAY")) savedDisplay_ = d, hadDisplay_ = true;
        setenv("DISPLAY", x.display().c_str(), 1);
        setenv("SPECTRINE_DISPLAY", "x11", 1);
        // One monitor: DUMMY0 at 1024 x 768, primary, identity ramps.
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --off"), 0);
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary "
                        "--gamma 1:1:1"),
                  0);
        WinplatResetProcessState();
    }
    void TearDown() override {
        if (hadDisplay_)
            setenv("DISPLAY", savedDisplay_.c_str(), 1);
        else
            unsetenv("DISPLAY");
        FreshRootTest::TearDown();
    }
    static void addSecondMonitor() {
        const XServer& x = XServer::instance();
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0"), 0);
        // A full query makes the driver report the output connected to clients that only look
        // at the current state (dispwin lists connected outputs).
        ASSERT_EQ(x.run("xrandr --query"), 0);
        WinplatResetProcessState();
    }

private:
    std::string savedDisplay_;
    bool hadDisplay_ = false;
};

struct Monitor {
    RECT rect;
    DWORD flags;
    std::string device;
};

BOOL CALLBACK collect(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetMonitorInfoA(monitor, reinterpret_cast<LPMONITORINFO>(&info)));
    reinterpret_cast<std::vector<Monitor>*>(data)->push_back(
        {info.rcMonitor, info.dwFlags, info.szDevice});
    return TRUE;
}

std::vector<Monitor> monitors() {
    std::vector<Monitor> all;
    EXPECT_TRUE(EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&all)));
    return all;
}

void expectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST_F(X11Display, TheActiveCrtcIsTheMonitor) {
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    std::vector<Monitor> all = monitors();
    ASSERT_EQ(all.size(), 1u);
    expectRect(all[0].rect, 0, 0, 1024, 768);
    EXPECT_EQ(all[0].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(all[0].device, "\\\\.\\DISPLAY1");

    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);  // depth 24 in 32-bit pixels
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, COLORMGMTCAPS), CM_GAMMA_RAMP);
    // The identity that "xrandr --gamma 1:1:1" loaded: i * 257.
    std::vector<WORD> ramp(769, 0xbdbd);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, ramp.data()));
    for (size_t i = 0; i < 768; ++i) ASSERT_EQ(ramp[i], (i % 256) * 257) << i;
    EXPECT_EQ(ramp[768], 0xbdbd);
    ReleaseDC(nullptr, dc);

    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STRNE(dd.DeviceString, "");
    EXPECT_STREQ(dd.DeviceID, "ROOT\\X11_DISPLAY");
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "Default Monitor");  // the dummy outputs have no EDID
    EXPECT_FALSE(EnumDisplayDevicesA(nullptr, 1, &dd, 0));
}

TEST_F(X11Display, ChosenWhenDisplayAnswersAndNothingElseIsAsked) {
    unsetenv("SPECTRINE_DISPLAY");
    WinplatResetProcessState();
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceID, "ROOT\\X11_DISPLAY");
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    WinplatResetProcessState();
    ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceID, "ROOT\\VIRTUAL_DISPLAY");
}

TEST_F(X11Display, TwoMonitorsSideBySideAndThePrimaryAtTheOrigin) {
    addSecondMonitor();
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 2048);
    std::vector<Monitor> all = monitors();
    ASSERT_EQ(all.size(), 2u);
    expectRect(all[0].rect, 0, 0, 1024, 768);
    expectRect(all[1].rect, 1024, 0, 2048, 768);
    EXPECT_EQ(all[0].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(all[1].flags, 0u);

    // With the second output primary, desktop coordinates start at its top left corner; the
    // order stays the outputs' order.
    ASSERT_EQ(XServer::instance().run("xrandr --output DUMMY1 --primary"), 0);
    WinplatResetProcessState();
    all = monitors();
    ASSERT_EQ(all.size(), 2u);
    expectRect(all[0].rect, -1024, 0, 0, 768);
    expectRect(all[1].rect, 0, 0, 1024, 768);
    EXPECT_EQ(all[0].flags, 0u);
    EXPECT_EQ(all[1].flags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1024);
}

// The ramp as dispwin reads it from the server: 256 lines of index, red, green, blue in 0..1.
std::vector<double> dispwinRamp(int display, const std::string& file) {
    const XServer& x = XServer::instance();
    std::string command = "dispwin -d " + std::to_string(display) + " -s " + file;
    EXPECT_EQ(x.run(command), 0) << command << "\n" << lastLines(x.dir() + "/clients.log", 40);
    std::ifstream in(file);
    std::string line;
    std::vector<double> red, green, blue;
    bool data = false;
    while (std::getline(in, line)) {
        if (line.rfind("BEGIN_DATA", 0) == 0 && line.rfind("BEGIN_DATA_FORMAT", 0) != 0) {
            data = true;
            continue;
        }
        if (line.rfind("END_DATA", 0) == 0) data = false;
        if (!data) continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        double i, r, g, b;
        if (fields >> i >> r >> g >> b) red.push_back(r), green.push_back(g), blue.push_back(b);
    }
    std::vector<double> all = red;
    all.insert(all.end(), green.begin(), green.end());
    all.insert(all.end(), blue.begin(), blue.end());
    return all;
}

TEST_F(X11Display, ARampLoadedHereIsWhatDispwinReads) {
    if (access("/usr/bin/dispwin", X_OK) != 0) GTEST_SKIP() << "dispwin is not installed (argyll)";
    addSecondMonitor();
    std::vector<WORD> ramp(768);
    const double gammas[3] = {1.8, 2.2, 2.6};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i)
            ramp[256 * c + i] =
                static_cast<WORD>(std::lround(std::pow(i / 255.0, 1.0 / gammas[c]) * 60000.0));
    HDC dc = CreateDCA("\\\\.\\DISPLAY2", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(SetDeviceGammaRamp(dc, ramp.data()));
    std::vector<WORD> back(768);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, back.data()));
    EXPECT_EQ(back, ramp);
    DeleteDC(dc);

    std::vector<double> seen = dispwinRamp(2, rootPath("second.cal"));
    ASSERT_EQ(seen.size(), 768u);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(seen[i] * 65535.0, ramp[i], 0.5) << i;
    // The first monitor kept the identity xrandr loaded.
    std::vector<double> first = dispwinRamp(1, rootPath("first.cal"));
    ASSERT_EQ(first.size(), 768u);
    for (size_t i = 0; i < 768; ++i) ASSERT_NEAR(first[i] * 65535.0, (i % 256) * 257, 0.5) << i;
}

TEST_F(X11Display, TheEdidComesFromTheOutputProperty) {
    std::vector<unsigned char> edid = spx::test::makeEdid("NEC", 0x6789, 32, 24, "MultiSync");
    {
        Display* d = XOpenDisplay(XServer::instance().display().c_str());
        ASSERT_NE(d, nullptr);
        Window root = DefaultRootWindow(d);
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, root);
        ASSERT_NE(res, nullptr);
        Atom atom = XInternAtom(d, "EDID", False);
        bool set = false;
        for (int o = 0; o < res->noutput; ++o) {
            XRROutputInfo* info = XRRGetOutputInfo(d, res, res->outputs[o]);
            if (std::string(info->name) == "DUMMY0") {
                XRRChangeOutputProperty(d, res->outputs[o], atom, XA_INTEGER, 8, PropModeReplace,
                                        edid.data(), static_cast<int>(edid.size()));
                set = true;
            }
            XRRFreeOutputInfo(info);
        }
        XRRFreeScreenResources(res);
        XSync(d, False);
        XCloseDisplay(d);
        ASSERT_TRUE(set);
    }
    WinplatResetProcessState();
    DISPLAY_DEVICEA dd{};
    dd.cb = sizeof dd;
    ASSERT_TRUE(EnumDisplayDevicesA("\\\\.\\DISPLAY1", 0, &dd, 0));
    EXPECT_STREQ(dd.DeviceString, "MultiSync");
    EXPECT_EQ(std::string(dd.DeviceID).substr(0, 16), "MONITOR\\NEC6789\\");
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 320);
    ReleaseDC(nullptr, dc);

    // The 95 family's plug-and-play key holds the same block.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\NEC6789\\0001", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::vector<BYTE> stored(200, 0xbd);
    DWORD size = static_cast<DWORD>(stored.size()), type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "EDID", nullptr, &type, stored.data(), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    stored.resize(size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored, edid);

    // Removed again, so later tests see the plain output.
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    for (int o = 0; o < res->noutput; ++o) {
        XRROutputInfo* info = XRRGetOutputInfo(d, res, res->outputs[o]);
        if (std::string(info->name) == "DUMMY0")
            XRRDeleteOutputProperty(d, res->outputs[o], XInternAtom(d, "EDID", False));
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(res);
    XSync(d, False);
    XCloseDisplay(d);
}

// The pointer on the server's root window, from a client of the test's own.
std::pair<int, int> rootPointer(Display* d) {
    Window root = None, child = None;
    int rootX = -1, rootY = -1, winX = 0, winY = 0;
    unsigned int mask = 0;
    EXPECT_TRUE(XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX,
                              &winY, &mask));
    return {rootX, rootY};
}

TEST_F(X11Display, ThePointerIsTheServersInDesktopCoordinates) {
    addSecondMonitor();
    // The second output primary: the desktop's origin is the root window's (1024, 0).
    ASSERT_EQ(XServer::instance().run("xrandr --output DUMMY1 --primary"), 0);
    WinplatResetProcessState();
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    ASSERT_NE(d, nullptr);

    ASSERT_EQ(SetCursorPos(-1000, 100), TRUE);
    EXPECT_EQ(rootPointer(d), std::make_pair(24, 100));

    XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, 2000, 700);
    XSync(d, False);
    POINT p{static_cast<LONG>(0xdeadbeef), static_cast<LONG>(0xdeadbeef)};
    ASSERT_EQ(GetCursorPos(&p), TRUE);
    EXPECT_EQ(p.x, 976);
    EXPECT_EQ(p.y, 700);

    // Beyond every monitor: the nearest point of the nearest one.
    ASSERT_EQ(SetCursorPos(5000, -5000), TRUE);
    EXPECT_EQ(rootPointer(d), std::make_pair(2047, 0));
    ASSERT_EQ(GetCursorPos(&p), TRUE);
    EXPECT_EQ(p.x, 1023);
    EXPECT_EQ(p.y, 0);
    XCloseDisplay(d);
}

TEST(GammaResample, EndsAreKeptAndLinesStayLines) {
    using winplat::detail::resampleChannel;
    std::vector<uint16_t> line(256);
    for (size_t i = 0; i < 256; ++i) line[i] = static_cast<uint16_t>(i * 257);
    struct Case {
        size_t size;
    } cases[] = {{2}, {16}, {255}, {257}, {1024}, {4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::vector<uint16_t> out = resampleChannel(line.data(), 256, c.size);
        ASSERT_EQ(out.size(), c.size);
        EXPECT_EQ(out.front(), 0);
        EXPECT_EQ(out.back(), 65535);
        for (size_t i = 0; i < c.size; ++i)
            ASSERT_EQ(out[i], std::lround(65535.0 * i / (c.size - 1))) << i;
        // Back to 256 entries: within one step of rounding of the original.
        std::vector<uint16_t> back = resampleChannel(out.data(), out.size(), 256);
        for (size_t i = 0; i < 256; ++i) ASSERT_NEAR(back[i], line[i], 1) << i;
    }
    // Interpolation between two entries, rounded to nearest.
    const uint16_t two[2] = {100, 201};
    EXPECT_EQ(resampleChannel(two, 2, 3), (std::vector<uint16_t>{100, 151, 201}));
    const uint16_t one[1] = {777};
    EXPECT_EQ(resampleChannel(one, 1, 4), (std::vector<uint16_t>{777, 777, 777, 777}));
    EXPECT_EQ(resampleChannel(two, 2, 1), (std::vector<uint16_t>{100}));
    EXPECT_EQ(resampleChannel(nullptr, 0, 3), (std::vector<uint16_t>{0, 0, 0}));
    EXPECT_TRUE(resampleChannel(two, 2, 0).empty());
}

}  // namespace
