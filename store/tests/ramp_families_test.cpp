// VLTSetDeviceGammaRamp, VLTGetDeviceGammaRamp and IsGammaRampSupported on each system family:
// NT 4 through the OEM extension only, Windows 95 on the caller's device context, Windows 98 and
// NT 5 per display device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ramp_test_support.h"

namespace {

using spx::test::monitorsSideBySide;
using vlt::test::curveRamp;
using vlt::test::ExtensionTest;
using vlt::test::filledRamp;
using vlt::test::Oem;
using vlt::test::Ramp;
using vlt::test::Usb;

using RampFamilies = ExtensionTest;

std::string number(const void* handle) { return std::to_string(reinterpret_cast<unsigned long>(handle)); }

TEST_F(RampFamilies, Nt4WithoutTheOemExtensionHasNoRamp) {
    useFamily("NT4");
    auto& vlt = open(Oem::None, Usb::None);
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    Ramp ramp = curveRamp(2.2, 2.2, 2.2);
    const Ramp loaded = ramp;
    EXPECT_EQ(vlt.setRamp(dc, ramp.data(), 0), 0);
    EXPECT_EQ(ramp, loaded) << "not changed";
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(dc, read.data(), 0), 0);
    EXPECT_EQ(read, filledRamp(0xbdbd)) << "nothing written";
    EXPECT_EQ(vlt.isGammaRampSupported(), 0);
    ReleaseDC(nullptr, dc);
}

TEST_F(RampFamilies, Nt4WithoutTheOemExtensionFollowsTheDebugSwitch) {
    useFamily("NT4");
    setDebugValue("GammaRamp", 1);
    auto& vlt = open(Oem::None, Usb::None);
    EXPECT_EQ(vlt.isGammaRampSupported(), 1);
    EXPECT_EQ(vlt.setRamp(nullptr, curveRamp(2.2, 2.2, 2.2).data(), 0), 0) << "still no ramp";
}

TEST_F(RampFamilies, Nt4LoadsAndReadsThroughTheOemExtension) {
    useFamily("NT4");
    auto& vlt = open(Oem::Version1, Usb::None);
    HDC dc = GetDC(nullptr);
    Ramp ramp = curveRamp(1.8, 2.2, 2.6);
    const Ramp loaded = ramp;
    EXPECT_EQ(vlt.setRamp(dc, ramp.data(), 1), 1);
    EXPECT_EQ(ramp, loaded);
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(dc, read.data(), 1), 1);
    EXPECT_EQ(read, loaded);
    // The caller's context and display number go to the extension unchanged.
    EXPECT_EQ(oemCalls(), (std::vector<std::string>{"OEMSetDeviceGammaRamp " + number(dc) + " 1",
                                                    "OEMGetDeviceGammaRamp " + number(dc) + " 1"}));
    // The platform's own ramp functions do nothing on NT 4.
    Ramp platform = filledRamp(0xbdbd);
    EXPECT_FALSE(GetDeviceGammaRamp(dc, platform.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    ReleaseDC(nullptr, dc);
}

TEST_F(RampFamilies, Nt4PassesTheExtensionsFailureBack) {
    useFamily("NT4");
    setenv("SPECTRINE_OEM_RAMP_RESULT", "0", 1);
    auto& vlt = open(Oem::Version1, Usb::None);
    Ramp ramp = curveRamp(2.2, 2.2, 2.2);
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 0);
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 0);
    EXPECT_EQ(read, filledRamp(0xbdbd));
    EXPECT_EQ(vlt.isGammaRampSupported(), 0) << "the read-back test fails";
}

TEST_F(RampFamilies, Nt4SupportIsTheReadBackOfDisplayZero) {
    useFamily("NT4");
    struct Case {
        const char* name;
        WORD value;  // every entry of the ramp in force
        int supported;
    } cases[] = {{"an entry of 256", 256, 1}, {"bytes only", 255, 0}, {"all zero", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The extension answers with what was last loaded on display 0.
        Ramp inForce = filledRamp(c.value);
        writeFile("oem_ramp0.bin", std::string(reinterpret_cast<const char*>(inForce.data()), sizeof inForce));
        auto& vlt = open(Oem::Version1, Usb::None, std::string("suite-") + c.name);
        EXPECT_EQ(vlt.isGammaRampSupported(), c.supported);
    }
    EXPECT_EQ(oemCalls().size(), 3u);
    EXPECT_EQ(oemCalls()[0].rfind("OEMGetDeviceGammaRamp ", 0), 0u);
    EXPECT_EQ(oemCalls()[0].substr(oemCalls()[0].rfind(' ')), " 0") << "display 0";
}

TEST_F(RampFamilies, Nt4DebugSwitchOverridesTheReadBack) {
    useFamily("NT4");
    setDebugValue("GammaRamp", 0);
    auto& vlt = open(Oem::Version1, Usb::None);
    EXPECT_EQ(vlt.isGammaRampSupported(), 0);
    EXPECT_TRUE(oemCalls().empty()) << "no read-back asked";
}

TEST_F(RampFamilies, Windows95UsesTheCallersContext) {
    writeDisplayIni(monitorsSideBySide(2));
    useFamily("95");
    auto& vlt = open(Oem::None, Usb::None);
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    Ramp ramp = curveRamp(2.4, 2.0, 1.6);
    const Ramp loaded = ramp;
    // The display number means nothing here: the caller's context decides.
    EXPECT_EQ(vlt.setRamp(dc, ramp.data(), 7), 1);
    Ramp platform = filledRamp(0xbdbd);
    ASSERT_TRUE(GetDeviceGammaRamp(dc, platform.data()));
    EXPECT_EQ(platform, loaded);
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(dc, read.data(), 3), 1);
    EXPECT_EQ(read, loaded);
    EXPECT_EQ(vlt.isGammaRampSupported(), 1);
    ReleaseDC(nullptr, dc);

    // Without a context there is nothing to load.
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 0);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 0);
    EXPECT_TRUE(oemCalls().empty());
}

TEST_F(RampFamilies, Windows95ScreenWithoutRampIsNotSupported) {
    writeDisplayIni({spx::test::screenWithoutRamp()});
    useFamily("95");
    auto& vlt = open(Oem::None, Usb::None);
    EXPECT_EQ(vlt.isGammaRampSupported(), 0);
}

TEST_F(RampFamilies, Windows98KeepsEachMonitorsRampAndAnotherProcessReadsThem) {
    writeDisplayIni(monitorsSideBySide(2));
    auto& vlt = open(Oem::None, Usb::None);
    Ramp first = curveRamp(1.8, 1.8, 1.8);
    Ramp second = curveRamp(2.6, 2.2, 1.4, 0.9);
    // The caller's context does not matter: each display device gets a context of its own.
    EXPECT_EQ(vlt.setRamp(nullptr, first.data(), 0), 1);
    EXPECT_EQ(vlt.setRamp(nullptr, second.data(), 1), 1);
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 1);
    EXPECT_EQ(read, first);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 1), 1);
    EXPECT_EQ(read, second);
    // Each monitor's own device context holds its own ramp.
    for (int n = 0; n < 2; ++n) {
        SCOPED_TRACE("monitor " + std::to_string(n));
        std::string device = "\\\\.\\DISPLAY" + std::to_string(n + 1);
        HDC dc = CreateDCA("DISPLAY", device.c_str(), nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        Ramp platform = filledRamp(0xbdbd);
        ASSERT_TRUE(GetDeviceGammaRamp(dc, platform.data()));
        EXPECT_EQ(platform, n == 0 ? first : second);
        DeleteDC(dc);
    }
    EXPECT_EQ(vlt.isGammaRampSupported(), 1);

    auto seen = inSecondProcess(Oem::None, Usb::None, 2, [](vlt::test::Exports& other,
                                                             std::vector<Ramp>& out) {
        return other.getRamp(nullptr, out[0].data(), 0) == 1 &&
                       other.getRamp(nullptr, out[1].data(), 1) == 1
                   ? 0
                   : 1;
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], first);
    EXPECT_EQ(seen[1], second);
}

TEST_F(RampFamilies, DisplayNumberPastTheLastMonitorGivesZero) {
    writeDisplayIni(monitorsSideBySide(2));
    useFamily("NT5");
    auto& vlt = open(Oem::None, Usb::None);
    for (int display : {2, 9, -1, 0x7fffffff}) {
        SCOPED_TRACE("display " + std::to_string(display));
        Ramp ramp = curveRamp(2.2, 2.2, 2.2);
        EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), display), 0);
        Ramp read = filledRamp(0xbdbd);
        EXPECT_EQ(vlt.getRamp(nullptr, read.data(), display), 0);
        EXPECT_EQ(read, filledRamp(0xbdbd));
    }
    // The two that exist still hold the identity.
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 1), 1);
    EXPECT_EQ(read[255], 65535);
}

TEST_F(RampFamilies, Windows98SupportComesFromTheMonitorTable) {
    struct Case {
        const char* name;
        int monitors;
        bool secondHasRamp;
        int debug;  // -1: no "Debug" "GammaRamp"
        int expected;
    } cases[] = {{"every monitor has a ramp", 2, true, -1, 1},
                 {"one card without a ramp", 2, false, -1, 0},
                 {"the switch says yes", 2, false, 1, 1},
                 {"the switch says no", 2, true, 0, 0},
                 {"no monitor in the table", 0, false, -1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto monitors = monitorsSideBySide(c.monitors);
        if (c.monitors > 1) monitors[1].gammaRamp = c.secondHasRamp ? 1 : 0;
        writeDisplayIni(monitors);
        WinplatResetProcessState();
        if (c.debug >= 0)
            setDebugValue("GammaRamp", static_cast<DWORD>(c.debug));
        else
            WriteSpectrineRegValue("Debug", "GammaRamp", REG_DWORD, nullptr, 0);
        auto& vlt = open(Oem::None, Usb::None, std::string("suite-") + c.name);
        EXPECT_EQ(vlt.isGammaRampSupported(), c.expected);
    }
}

TEST_F(RampFamilies, NullRampIsRefused) {
    auto& vlt = open(Oem::Version1, Usb::Version0);
    EXPECT_EQ(vlt.setRamp(nullptr, nullptr, 0), 0);
    EXPECT_EQ(vlt.getRamp(nullptr, nullptr, 0), 0);
}

}  // namespace
