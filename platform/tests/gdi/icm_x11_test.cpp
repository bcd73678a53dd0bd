// The default profile on the X11 display, against Xorg with the dummy video driver (started
// with xorg/dummy.conf): making a profile the default of monitor n publishes its bytes as the
// root window's _ICC_PROFILE (monitor 0) or _ICC_PROFILE_<n>, read back with xprop. Without
// Xorg, the dummy driver, xrandr or xprop the tests are skipped with the reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"
#include "xorg_server.h"

// After GoogleTest: Xlib defines macros (None, Bool, Status) that its headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using spx::test::FreshRootTest;
using spx::test::XServer;

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class IcmX11 : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        const XServer& x = XServer::instance();
        if (!x.skipReason().empty()) GTEST_SKIP() << x.skipReason();
        if (access("/usr/bin/xprop", X_OK) != 0) GTEST_SKIP() << "xprop is not installed (x11-utils)";
        display_ = std::make_unique<spx::test::XServerDisplayScope>(x);
        // Two monitors side by side, and no profile published by an earlier test.
        x.run("xrandr --addmode DUMMY1 1024x768");  // fails harmlessly when already added
        ASSERT_EQ(x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary"), 0);
        ASSERT_EQ(x.run("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0"), 0);
        x.run("xprop -root -remove _ICC_PROFILE");
        x.run("xprop -root -remove _ICC_PROFILE_1");
        WinplatResetProcessState();
    }
    void TearDown() override {
        display_.reset();
        FreshRootTest::TearDown();
    }

    // A profile of `size` bytes whose every byte differs from its neighbours.
    std::string writeProfile(const std::string& name, size_t size, unsigned seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
        writeFile("WINDOWS/SYSTEM/COLOR/" + name, bytes);
        char system[MAX_PATH];
        UINT n = GetSystemDirectoryA(system, sizeof system);
        if (n == 0 || n >= sizeof system) {
            ADD_FAILURE() << "no system directory: " << n;
            return {};
        }
        return std::string(system, n) + "\\COLOR\\" + name;
    }

private:
    std::unique_ptr<spx::test::XServerDisplayScope> display_;
};

// The bytes of a root window property as xprop prints a CARDINAL of format 8
// ("_ICC_PROFILE(CARDINAL) = 0, 7, 14, ..."); `found` false when xprop reports none.
std::vector<unsigned> xpropBytes(const std::string& atom, bool& found, std::string& type) {
    const XServer& x = XServer::instance();
    std::string file = x.dir() + "/xprop.out";
    x.run("/bin/sh -c 'xprop -root -len 100000 " + atom + " >" + file + "'");
    std::string out = readText(file);
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
