// The default profile on the X11 display, against Xorg with the dummy video driver (started
// with xorg/dummy.conf): making a profile the default of monitor n publishes its bytes as the
// root window's _ICC_PROFILE (monitor 0) or _ICC_PROFILE_<n>, read back with xprop. Without
// Xorg, the dummy driver, xrandr or xprop the tests are skipped with the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using spx::test::FreshRootTest;

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One X server for the test program, on the first free display number.
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

    // Runs an X client against the server; its exit code, and its output in `output`.
    int run(const std::string& command, std::string* output = nullptr) const {
        std::string out = dir_ + "/client.out";
        std::string line = "DISPLAY=" + display_ + " " + command + " >" + out + " 2>&1";
        int rc = std::system(line.c_str());
        if (output) *output = readText(out);
        return rc;
    }

private:
    XServer() {
        const char* xorg = "/usr/lib/xorg/Xorg";
        if (access(xorg, X_OK) != 0) xorg = "/usr/bin/Xorg";
        if (access(xorg, X_OK) != 0) {
            skipReason_ = "Xorg is not installed (xserver-xorg-core)";
            return;
        }
        if (access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0) {
            skipReason_ = "the dummy video driver is not installed (xserver-xorg-video-dummy)";
            return;
        }
        for (const char* tool : {"/usr/bin/xrandr", "/usr/bin/xprop"})
            if (access(tool, X_OK) != 0) {
                skipReason_ = std::string(tool) + " is not installed (x11-xserver-utils, x11-utils)";
                return;
            }
        std::string config = (fs::path(__FILE__).parent_path() / "xorg" / "dummy.conf").string();
        std::string templ = (fs::temp_directory_path() / "spectrine-icm-xorg-XXXXXX").string();
        if (!mkdtemp(templ.data())) {
            skipReason_ = "no temporary folder for the X server";
            return;
        }
        dir_ = templ;
        fs::create_directories(dir_ + "/conf.d");
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
            if (fd >= 0) dup2(fd, 1), dup2(fd, 2);
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server ends with the test program
            setsid();
            std::string displayFd = std::to_string(ready[1]);
            execl(xorg, xorg, "-displayfd", displayFd.c_str(), "-config", config.c_str(),
                  "-configdir", (dir_ + "/conf.d").c_str(), "-noreset", "-nolisten", "tcp",
                  "-logfile", log.c_str(), static_cast<char*>(nullptr));
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
            if (n <= 0) break;
            number.append(buffer, static_cast<size_t>(n));
        }
        close(ready[0]);
        if (number.find('\n') == std::string::npos) {
            skipReason_ = "Xorg could not start here: " + readText(dir_ + "/Xorg.out");
            return;
        }
        display_ = ":" + number.substr(0, number.find('\n'));
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string dir_;
    std::string skipReason_;
};

class IcmX11 : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        if (const char* d = std::getenv("DISPLAY")) savedDisplay_ = d, hadDisplay_ = true;
        setenv("DISPLAY", x.display().c_str(), 1);
        setenv("SPECTRINE_DISPLAY", "x11", 1);
        // Two monitors side by side, and no profile published by an earlier test.
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary"), 0);
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0"), 0);
        x.run("xprop -root -remove _ICC_PROFILE");
        x.run("xprop -root -remove _ICC_PROFILE_1");
        WinplatResetProcessState();
    }
    void TearDown() override {
        if (hadDisplay_)
            setenv("DISPLAY", savedDisplay_.c_str(), 1);
        else
            unsetenv("DISPLAY");
        FreshRootTest::TearDown();
    }

    // A profile of `size` bytes whose every byte differs from its neighbours.
    std::string writeProfile(const std::string& name, size_t size, unsigned seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
        writeFile("WINDOWS/SYSTEM/COLOR/" + name, bytes);
        char system[MAX_PATH];
        GetSystemDirectoryA(system, sizeof system);
        return std::string(system) + "\\COLOR\\" + name;
    }

private:
    std::string savedDisplay_;
    bool hadDisplay_ = false;
};

// The bytes of a root window property as xprop prints a CARDINAL of format 8
// ("_ICC_PROFILE(CARDINAL) = 0, 7, 14, ..."); `found` false when xprop reports none.
std::vector<unsigned> xpropBytes(const std::string& atom, bool& found, std::string& type) {
    std::string out;
    XServer::instance().run("xprop -root -len 100000 " + atom, &out);
    found = false;
    std::vector<unsigned> bytes;
    std::string head = atom + "(";
    size_t start = out.find(head);
    if (start == std::string::npos) return bytes;
    size_t close = out.find(')', start);
    size_t equals = out.find(" = ", start);
    if (close == std::string::npos || equals == std::string::npos) return bytes;
    found = true;
    type = out.substr(start + head.size(), close - start - head.size());
    std::istringstream values(out.substr(equals + 3));
    std::string item;
    while (std::getline(values, item, ','))
        bytes.push_back(static_cast<unsigned>(std::stoul(item)));
    return bytes;
}

// Format of a root window property as the server keeps it (0 when absent).
int propertyFormat(const std::string& atomName) {
    Display* d = XOpenDisplay(XServer::instance().display().c_str());
    if (!d) return -1;
    Atom atom = XInternAtom(d, atomName.c_str(), False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, DefaultRootWindow(d), atom, 0, 0, False, AnyPropertyType, &type,
                       &format, &items, &after, &data);
    if (data) XFree(data);
    XCloseDisplay(d);
    return format;
}

std::vector<unsigned> asNumbers(const std::string& bytes) {
    std::vector<unsigned> v;
    for (char c : bytes) v.push_back(static_cast<unsigned char>(c));
    return v;
}

TEST_F(IcmX11, TheDefaultOfEachMonitorIsItsRootWindowProperty) {
    std::string first = writeProfile("first.icm", 3000, 1);
    std::string second = writeProfile("second.icm", 517, 2);
    ASSERT_EQ(UpdateICMRegKeyA(0, nullptr, first.data(), ICM_SETDEFAULTPROFILE), TRUE);
    ASSERT_EQ(UpdateICMRegKeyA(0, const_cast<LPSTR>("\\\\.\\DISPLAY2"), second.data(),
                               ICM_SETDEFAULTPROFILE),
              TRUE);

    struct Case {
        const char* atom;
        std::string file;
    } cases[] = {{"_ICC_PROFILE", "first.icm"}, {"_ICC_PROFILE_1", "second.icm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.atom);
        bool found = false;
        std::string type;
        std::vector<unsigned> bytes = xpropBytes(c.atom, found, type);
        ASSERT_TRUE(found);
        EXPECT_EQ(type, "CARDINAL");
        EXPECT_EQ(propertyFormat(c.atom), 8);
        EXPECT_EQ(bytes, asNumbers(readFile("WINDOWS/SYSTEM/COLOR/" + c.file)));
    }

    // A new default replaces the bytes whole, even a shorter one.
    std::string shorter = writeProfile("shorter.icm", 130, 3);
    ASSERT_EQ(UpdateICMRegKeyA(0, nullptr, shorter.data(), ICM_SETDEFAULTPROFILE), TRUE);
    bool found = false;
    std::string type;
    EXPECT_EQ(xpropBytes("_ICC_PROFILE", found, type),
              asNumbers(readFile("WINDOWS/SYSTEM/COLOR/shorter.icm")));
}

TEST_F(IcmX11, RegisteringAloneOrRemovingLeavesNoProperty) {
    std::string path = writeProfile("plain.icm", 200, 4);
    ASSERT_EQ(UpdateICMRegKeyA(0, nullptr, path.data(), ICM_ADDPROFILE), TRUE);
    bool found = true;
    std::string type;
    xpropBytes("_ICC_PROFILE", found, type);
    EXPECT_FALSE(found);

    ASSERT_EQ(UpdateICMRegKeyA(0, nullptr, path.data(), ICM_SETDEFAULTPROFILE), TRUE);
    xpropBytes("_ICC_PROFILE", found, type);
    EXPECT_TRUE(found);
    // The profile removed from the system is no longer the monitor's profile.
    ASSERT_EQ(UpdateICMRegKeyA(0, nullptr, path.data(), ICM_DELETEPROFILE), TRUE);
    xpropBytes("_ICC_PROFILE", found, type);
    EXPECT_FALSE(found);
}

}  // namespace
