// The USB extension: binding by version, the availability answer kept for the process, the gains
// sent with each ramp, and the ramp stretched to full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ramp_test_support.h"

namespace {

using spx::test::monitorsSideBySide;
using vlt::test::curveRamp;
using vlt::test::ExtensionTest;
using vlt::test::filledRamp;
using vlt::test::libraryMapped;
using vlt::test::Oem;
using vlt::test::Ramp;
using vlt::test::Usb;

using UsbGains = ExtensionTest;
using Lines = std::vector<std::string>;

// A straight ramp from `first` to `last` in every channel.
Ramp straightRamp(WORD first, WORD last) {
    Ramp r{};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i)
            r[256 * c + i] = static_cast<WORD>(first + std::lround((last - first) * (i / 255.0)));
    return r;
}

// What a channel from e0 to e255 becomes: e0 + (v - e0) x (65280 - e0) / (e255 - e0), rounded to
// nearest, worked out in doubles (exact for these sizes).
WORD stretched(WORD v, WORD e0, WORD e255) {
    return static_cast<WORD>(e0 + std::llround((double(v) - e0) * (65280.0 - e0) / (double(e255) - e0)));
}

TEST_F(UsbGains, TheC000ExampleSendsGains192AndReachesFullScale) {
    auto& vlt = open(Oem::None, Usb::Version0);
    Ramp ramp = straightRamp(0, 0xC000);
    const Ramp given = ramp;
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 192",
                                 "SendCtlToUSB 4 24 192", "SendCtlToUSB 4 26 192"}));
    for (size_t i = 0; i < 768; ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        ASSERT_EQ(ramp[i], stretched(given[i], 0, 0xC000));
    }
    EXPECT_EQ(ramp[255], 65280);
    EXPECT_EQ(ramp[511], 65280);
    EXPECT_EQ(ramp[767], 65280);
    EXPECT_EQ(ramp[128], 32768) << "half way: 24672 x 65280 / 49152";
    // What reached the display is the stretched ramp.
    Ramp read = filledRamp(0xbdbd);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 1);
    EXPECT_EQ(read, ramp);
    EXPECT_EQ(vlt.isGammaRampSupported(), 3);
}

TEST_F(UsbGains, EachChannelKeepsItsFirstEntryAndGivesItsOwnGain) {
    auto& vlt = open(Oem::None, Usb::Version0);
    Ramp ramp{};
    const WORD first[3] = {0x0800, 0, 0x1000}, last[3] = {0xA000, 0x8080, 0xFFFF};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i)
            ramp[256 * c + i] = static_cast<WORD>(first[c] + (last[c] - first[c]) * i / 255);
    const Ramp given = ramp;
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 160",
                                 "SendCtlToUSB 4 24 128", "SendCtlToUSB 4 26 255"}));
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i) {
            SCOPED_TRACE("channel " + std::to_string(c) + " entry " + std::to_string(i));
            ASSERT_EQ(ramp[256 * c + i], stretched(given[256 * c + i], first[c], last[c]));
        }
    EXPECT_EQ(ramp[0], 0x0800);
    EXPECT_EQ(ramp[767], 65280) << "a last entry above full scale comes down to it";
}

TEST_F(UsbGains, ChannelsWithoutASpanStayAsTheyAre) {
    auto& vlt = open(Oem::None, Usb::Version0);
    Ramp ramp{};
    for (size_t i = 0; i < 256; ++i) {
        ramp[i] = static_cast<WORD>(0x4000 + (i % 7));             // first and last equal
        ramp[256 + i] = static_cast<WORD>(0x9000 - 0x80 * i);      // falling
        ramp[512 + i] = static_cast<WORD>(i == 0 ? 0x3000 : 0x10);  // last below first
    }
    ramp[255] = 0x4000;
    const Ramp given = ramp;
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(ramp, given);
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 64",
                                 "SendCtlToUSB 4 24 16", "SendCtlToUSB 4 26 0"}));
}

TEST_F(UsbGains, AChannelEndingAtZeroBecomesZero) {
    auto& vlt = open(Oem::None, Usb::Version0);
    Ramp ramp = straightRamp(0, 0xC000);
    for (size_t i = 256; i < 512; ++i) ramp[i] = static_cast<WORD>(511 - i);  // green ends at 0
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    for (size_t i = 256; i < 512; ++i) ASSERT_EQ(ramp[i], 0) << i;
    EXPECT_EQ(ramp[255], 65280);
    EXPECT_EQ(ramp[767], 65280);
}

TEST_F(UsbGains, HighBytesAllZeroSendTheCachedGains) {
    auto& vlt = open(Oem::None, Usb::Version0);
    ASSERT_EQ(WriteUSBValues(100, 110, 120, 0, 0, 0), ERROR_SUCCESS);
    Ramp ramp = straightRamp(0, 0x00FF);
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    // 255 each until a read refreshes them from the store.
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 255",
                                 "SendCtlToUSB 4 24 255", "SendCtlToUSB 4 26 255"}));
    EXPECT_EQ(ramp[255], 65280);
    EXPECT_EQ(ramp[1], 256);

    forgetCalls();
    Ramp read{};
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 1);
    ramp = straightRamp(0, 0x00FF);
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 4 22 100", "SendCtlToUSB 4 24 110",
                                 "SendCtlToUSB 4 26 120"}))
        << "availability asked once per process";

    // A missing value keeps its gain; one outside 0..255 comes to the nearest end.
    forgetCalls();
    ASSERT_EQ(WriteSpectrineRegValue("USB", "GainGreen", REG_DWORD, nullptr, 0), ERROR_SUCCESS);
    DWORD big = 300, negative = static_cast<DWORD>(-4);
    WriteSpectrineRegValue("USB", "GainRed", REG_DWORD, reinterpret_cast<BYTE*>(&big), 4);
    WriteSpectrineRegValue("USB", "GainBlue", REG_DWORD, reinterpret_cast<BYTE*>(&negative), 4);
    EXPECT_EQ(vlt.getRamp(nullptr, read.data(), 0), 1);
    ramp = straightRamp(0, 0x00FF);
    vlt.setRamp(nullptr, ramp.data(), 0);
    EXPECT_EQ(usbCalls(), (Lines{"SendCtlToUSB 4 22 255", "SendCtlToUSB 4 24 110",
                                 "SendCtlToUSB 4 26 0"}));
}

TEST_F(UsbGains, Version0StopsAtTheFirstNegativeAnswer) {
    struct Case {
        const char* failing;
        Lines calls;
    } cases[] = {
        {"22", {"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 192"}},
        {"24", {"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 192", "SendCtlToUSB 4 24 192"}},
        {"26",
         {"SendCtlToUSB 1 0 0", "SendCtlToUSB 4 22 192", "SendCtlToUSB 4 24 192",
          "SendCtlToUSB 4 26 192"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("code ") + c.failing);
        forgetCalls();
        setenv("SPECTRINE_USB_FAIL_CODE", c.failing, 1);
        auto& vlt = open(Oem::None, Usb::Version0, std::string("suite-") + c.failing);
        Ramp ramp = straightRamp(0, 0xC000);
        // The gains' result does not matter: the ramp is stretched and loaded all the same.
        EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
        EXPECT_EQ(ramp[255], 65280);
        EXPECT_EQ(usbCalls(), c.calls);
    }
}

TEST_F(UsbGains, Version1SendsOneBlock) {
    auto& vlt = open(Oem::None, Usb::Version1);
    Ramp ramp{};
    const WORD last[3] = {0xC0FF, 0xA012, 0x80FE};
    for (size_t c = 0; c < 3; ++c)
        for (size_t i = 0; i < 256; ++i) ramp[256 * c + i] = static_cast<WORD>(last[c] * i / 255);
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
    // The availability integer is 0 on the way in; gains at 2, 3 and 4 of a zeroed block.
    EXPECT_EQ(usbCalls(), (Lines{"USBIsAvailable 0", "USBSetValues 23 0 0 192 160 128 0 0 0"}));
    EXPECT_EQ(ramp[255], 65280);
    EXPECT_EQ(ramp[511], 65280);
    EXPECT_EQ(vlt.isGammaRampSupported(), 3);
    EXPECT_EQ(usbCalls().size(), 2u) << "USBGetValues is never called, availability asked once";
}

TEST_F(UsbGains, UnavailableMonitorGetsNothing) {
    struct Case {
        Usb usb;
        const char* name;
        Lines calls;
    } cases[] = {{Usb::Version0, "version 0", {"SendCtlToUSB 1 0 0"}},
                 {Usb::Version1, "version 1", {"USBIsAvailable 0"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forgetCalls();
        setenv("SPECTRINE_USB_AVAILABLE", "0", 1);
        auto& vlt = open(Oem::None, c.usb, std::string("suite-") + c.name);
        Ramp ramp = straightRamp(0, 0xC000);
        const Ramp given = ramp;
        EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
        EXPECT_EQ(ramp, given);
        EXPECT_EQ(vlt.isGammaRampSupported(), 1);
        EXPECT_EQ(usbCalls(), c.calls);
    }
}

TEST_F(UsbGains, DebugSwitchDecidesWithoutAskingTheMonitor) {
    setDebugValue("USB", 0);
    auto& off = open(Oem::None, Usb::Version0, "suite-off");
    Ramp ramp = straightRamp(0, 0xC000);
    const Ramp given = ramp;
    EXPECT_EQ(off.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(ramp, given);
    EXPECT_EQ(off.isGammaRampSupported(), 1);
    EXPECT_TRUE(usbCalls().empty());

    // Said available with no extension to send to: the ramp is still stretched.
    setDebugValue("USB", 1);
    auto& on = open(Oem::None, Usb::None, "suite-on");
    EXPECT_EQ(on.setRamp(nullptr, ramp.data(), 0), 1);
    EXPECT_EQ(ramp[255], 65280);
    EXPECT_EQ(on.isGammaRampSupported(), 3);
    EXPECT_TRUE(usbCalls().empty());
}

TEST_F(UsbGains, ALibraryMissingAnExportOrOfAnotherVersionIsFreed) {
    struct Case {
        Usb usb;
        const char* name;
    } cases[] = {{Usb::MissingExport, "version 1 without USBGetValues"}, {Usb::Version2, "version 2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& vlt = open(Oem::None, c.usb, std::string("suite-") + c.name);
        EXPECT_EQ(vlt.isGammaRampSupported(), 1);
        EXPECT_FALSE(libraryMapped("libUSBExt.so"));
        Ramp ramp = straightRamp(0, 0xC000);
        const Ramp given = ramp;
        EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 1);
        EXPECT_EQ(ramp, given);
        EXPECT_TRUE(usbCalls().empty());
        EXPECT_TRUE(oemCalls().empty());
    }
}

TEST_F(UsbGains, TheLibrariesStayUntilDetach) {
    useFamily("95");
    auto& vlt = open(Oem::Version1, Usb::Version1);
    EXPECT_EQ(vlt.isGammaRampSupported(), 3);
    EXPECT_TRUE(libraryMapped("libUSBExt.so"));
    EXPECT_TRUE(libraryMapped("libOEMEXT.so"));
    lastCopy().close();
    EXPECT_FALSE(libraryMapped("libUSBExt.so"));
    EXPECT_FALSE(libraryMapped("libOEMEXT.so"));
}

TEST_F(UsbGains, AnOemExtensionOfVersion2IsFreed) {
    useFamily("NT4");
    auto& vlt = open(Oem::Version2, Usb::None);
    EXPECT_EQ(vlt.isGammaRampSupported(), 0);
    EXPECT_FALSE(libraryMapped("libOEMEXT.so"));
    Ramp ramp = curveRamp(2.2, 2.2, 2.2);
    EXPECT_EQ(vlt.setRamp(nullptr, ramp.data(), 0), 0);
    EXPECT_EQ(vlt.setPanningOn(), 0);
    EXPECT_TRUE(oemCalls().empty());
}

TEST_F(UsbGains, MultiMonitorSystemsDoNotLoadTheOemExtension) {
    writeDisplayIni(monitorsSideBySide(2));
    auto& vlt = open(Oem::Version1, Usb::None);
    EXPECT_EQ(vlt.isGammaRampSupported(), 1);
    EXPECT_FALSE(libraryMapped("libOEMEXT.so"));
    EXPECT_EQ(vlt.isPanningEnabled(1, 2), 0);
}

}  // namespace
