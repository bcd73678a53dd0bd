// Test support shared by every module: a fresh system root per test and a captured message box.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "winplat.h"

namespace spx::test {

// One monitor of the virtual display, as written to <root>/display.ini.
struct VirtualMonitor {
    int left = 0, top = 0, width = 1024, height = 768;
    int bitsPerPixel = 32, planes = 1;
    int gammaRamp = -1;       // 1 or 0; -1 leaves it to the depth (a ramp above 8 bits)
    std::string description;  // not written when empty
    std::vector<unsigned char> edid;  // not written when empty
};

// `count` monitors of 1024 x 768 side by side, the first at (0, 0).
std::vector<VirtualMonitor> monitorsSideBySide(int count);
// A 16-colour planar screen (4 bits per pixel, 1 plane) of 640 x 480, which has no ramp.
VirtualMonitor sixteenColourScreen();
// A 1024 x 768 true-colour screen whose card has no gamma ramp.
VirtualMonitor screenWithoutRamp();

// A valid 128-byte EDID block: maker letters ("SAM"), product code, size in centimetres,
// chromaticities of the sRGB primaries, established timing 1280 x 1024 and a monitor name
// descriptor (at most 13 characters); the checksum makes the bytes sum to 0 modulo 256.
std::vector<unsigned char> makeEdid(const char* maker, unsigned product, int widthCm,
                                    int heightCm, const std::string& name);

// Sets an environment variable while it lives; the value it had (or its absence) comes back
// after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

struct CapturedMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;
};

// Gives the test its own empty system root ($SPECTRINE_ROOT in a new temporary directory,
// with the WINDOWS/SYSTEM/COLOR folders; $XDG_CONFIG_HOME in it too), selects the virtual display
// ($SPECTRINE_DISPLAY=virtual: one 1024 x 768 monitor until display.ini says otherwise),
// resets the platform's process state, and captures
// message boxes (answered with `messageBoxAnswer`). The root is removed afterwards unless the
// test failed or $SPECTRINE_KEEP_ROOT is set.
class FreshRootTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& root() const { return root_; }
    // Absolute path of a file below the root ("WINDOWS/x.ini").
    std::string rootPath(const std::string& relative) const { return root_ + "/" + relative; }
    void writeFile(const std::string& relative, const std::string& content) const;
    std::string readFile(const std::string& relative) const;
    // Writes <root>/display.ini for the virtual display (the fixture selects it); call before
    // the first display or HKEY_DYN_DATA call of the test, or reset the process state after.
    void writeDisplayIni(const std::vector<VirtualMonitor>& monitors,
                         const std::string& adapter = "Virtual Display Adapter") const;
    // Emulates another system family ("95", "98", "NT4", "NT5") from here to the end of the
    // test, as a new process would see it.
    static void useFamily(const char* family);

    std::vector<CapturedMessageBox> messageBoxes;
    int messageBoxAnswer = IDOK;

private:
    std::string root_;
    std::optional<ScopedVariable> rootVariable_, displayVariable_, configVariable_;
};

// Removes a directory tree; used by the fixture and by tests that make their own folders.
void removeTree(const std::string& path);

}  // namespace spx::test
