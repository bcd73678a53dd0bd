// ComputeProfiles: the profile family, progress and stopping, USB values, ramps, and the calls
// that must fail before anything is written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "profile_content.h"
#include "ramps.h"

#ifdef SPX_HAVE_LCMS2
#include <lcms2.h>
#endif

namespace {

using namespace buildertest;

constexpr char kDatedNetvivid[] = "Kalvenmor Model 17 6500K G2.2 .Apr 05 2003 - 06 07 AM.icm";
const double kTarget[3] = {2.2, 2.2, 2.2};
const double kZeroGreen[3] = {2.2, 0.0, 2.2};

// A message-only window that records the progress it receives and answers `stopAt` percent
// (the n-th message, counted from 0) with 1.
struct ProgressWindow {
    std::vector<WPARAM> received;
    int stopAt = -1;
    // Colour files at each message; the hidden temporary files of profiles made and not yet in
    // place are left out.
    std::vector<std::vector<std::string>> filesSeen;
    std::vector<std::string> scaleSeen;               // "ScaleToD50" at each message
    std::string colourFolder;
    HWND hwnd = nullptr;

    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (msg != WM_USER || !self) return DefWindowProcA(w, msg, wp, lp);
        EXPECT_EQ(lp, 0);
        self->received.push_back(wp);
        std::vector<std::string> files = icctest::listDirectory(self->colourFolder);
        std::erase_if(files, [](const std::string& name) { return name.starts_with('.'); });
        self->filesSeen.push_back(files);
        DWORD value = 0, size = sizeof value;
        self->scaleSeen.push_back(GetSpectrineRegValue("Settings", "ScaleToD50", nullptr,
                                                       reinterpret_cast<LPBYTE>(&value), &size) == 0
                                      ? std::to_string(value)
                                      : "absent");
        return static_cast<int>(self->received.size()) - 1 == self->stopAt ? 1 : 0;
    }
    explicit ProgressWindow(const std::string& folder) : colourFolder(folder) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = "BuilderProgressTest";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "BuilderProgressTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() { DestroyWindow(hwnd); }
};

class ComputeProfilesTest : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        addStandardMonitor();
        storeCalibration(0, Calibration{});
        setLighting(3);  // daylight: the reference white is D65
    }
    struct Usb {
        int values[6];
        int read;
    };
    static Usb usbValues() {
        Usb u;
        std::fill(std::begin(u.values), std::end(u.values), static_cast<int>(0xdeadbeef));
        u.read = ReadUSBValues(&u.values[0], &u.values[1], &u.values[2], &u.values[3], &u.values[4], &u.values[5]);
        return u;
    }
    static std::vector<WORD> identity() {
        std::vector<WORD> r(768);
        for (int i = 0; i < 768; ++i) r[i] = static_cast<WORD>((i % 256) * 256);
        return r;
    }
};

TEST_F(ComputeProfilesTest, WritesTheFamilyWithProgressAndRegistersTheDefault) {
    setSettingsDword("ScaleToD50", 1);
    setSettingsDword("DefaultProfile", 0);
    ProgressWindow window(colourPath(""));
    std::vector<WORD> ramp(769, 0xbdbd);
    ASSERT_EQ(ComputeProfiles(window.hwnd, "Preset", kTarget, 6500, ramp.data(), 0x03, 0), 1);
    EXPECT_EQ(window.received, (std::vector<WPARAM>{0, 0, 25, 50, 100}));
    EXPECT_EQ(window.scaleSeen, std::vector<std::string>(5, "1")) << "the setting is never changed";
    EXPECT_EQ(window.filesSeen[1], std::vector<std::string>{"Spectrine95.icm"});
    EXPECT_EQ(window.filesSeen[2], (std::vector<std::string>{kDatedNetvivid, "Netvivid.icc", "Spectrine95.icm"}));
    const std::vector<std::string> family = {kDatedNetvivid, "Netvivid.icc", "Pantone.icc", "Spectrine95.icm"};
    EXPECT_EQ(window.filesSeen[3], family);
    EXPECT_EQ(colourFiles(), family);
    for (const std::string& name : family) {
        SCOPED_TRACE(name);
        icctest::expectReadersAccept(colourPath(name));
    }
    EXPECT_EQ(ramp[768], 0xbdbd) << "written past the ramp";
    EXPECT_TRUE(messageBoxes.empty());

    // Only "Spectrine95.icm" keeps unadapted colorants: "Spectrine: " and intent 3.
    EXPECT_EQ(descriptionOf(icctest::readBytes(colourPath("Spectrine95.icm")), "desc"), "Spectrine: Kalvenmor Model 17");
    EXPECT_EQ(descriptionOf(icctest::readBytes(colourPath("Netvivid.icc")), "desc"), "Netvivid: Kalvenmor Model 17");
    EXPECT_EQ(descriptionOf(icctest::readBytes(colourPath("Pantone.icc")), "desc"), "Pantone: Kalvenmor Model 17");
    EXPECT_EQ(descriptionOf(icctest::readBytes(colourPath(kDatedNetvivid)), "desc"), "Netvivid: Kalvenmor Model 17");
    char recorded[MAX_PATH] = "";
    GetSpectrineMonitorICMName(recorded, sizeof recorded);
    EXPECT_EQ(std::string(recorded), colourDir() + "Spectrine95.icm");
    char dated[MAX_PATH] = "";
    EXPECT_GT(GetWin98ProfileName(dated, sizeof dated), 0);
    EXPECT_EQ(std::string(dated), kDatedNetvivid);
    double overall = 0;
    ASSERT_EQ(GetSpectrineOverallGamma(&overall), 1);
    EXPECT_NEAR(overall, 2.2, 1e-5);
}

TEST_F(ComputeProfilesTest, TheDefaultIndexChoosesTheDefaultAndNt4HasNoDatedProfile) {
    struct Case {
        const char* family;
        DWORD selector;
        const char* defaultFile;
        size_t files;
    } cases[] = {{"98", 3, kDatedNetvivid, 4}, {"98", 1, kDatedNetvivid, 4} /* read as 3 */,
                 {"NT5", 2, kDatedNetvivid, 4}, {"95", 1, "Netvivid.icc", 3}, {"95", 2, "Pantone.icc", 3},
                 {"NT4", 0, nullptr, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.family << " selector " << c.selector);
        useFamily(c.family);
        std::filesystem::remove_all(colourPath(""));
        std::filesystem::create_directories(colourPath(""));
        WriteSpectrineRegValue("ICM Registry Info", "MonitorICMProfile", REG_SZ, nullptr, 0);
        setSettingsDword("DefaultProfile", c.selector);
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
        EXPECT_EQ(colourFiles().size(), c.files);
        char recorded[MAX_PATH] = "";
        GetSpectrineMonitorICMName(recorded, sizeof recorded);
        // NT 4 has no colour management: the record holds the path all the same.
        EXPECT_EQ(std::string(recorded), colourDir() + (c.defaultFile ? c.defaultFile : "Spectrine95.icm"));
    }
}

TEST_F(ComputeProfilesTest, AWindowThatAsksToStopGetsTheFileBeingWrittenFinishedAndNoMore) {
    struct Case {
        int stopAt;
        std::vector<WPARAM> messages;
        std::vector<std::string> files;
    } cases[] = {
        {0, {0}, {}},
        {1, {0, 0}, {"Spectrine95.icm"}},
        {2, {0, 0, 25}, {kDatedNetvivid, "Netvivid.icc", "Spectrine95.icm"}},
        {3, {0, 0, 25, 50}, {kDatedNetvivid, "Netvivid.icc", "Pantone.icc", "Spectrine95.icm"}},
        {4, {0, 0, 25, 50, 100}, {kDatedNetvivid, "Netvivid.icc", "Pantone.icc", "Spectrine95.icm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopAt);
        std::filesystem::remove_all(colourPath(""));
        std::filesystem::create_directories(colourPath(""));
        WriteSpectrineRegValue("Calibration", "Win98Profile", REG_SZ, nullptr, 0);
        ProgressWindow window(colourPath(""));
        window.stopAt = c.stopAt;
        std::vector<WORD> ramp(768, 0xbdbd);
        EXPECT_EQ(ComputeProfiles(window.hwnd, "", kTarget, 6500, ramp.data(), 0x03, 0), 1);
        EXPECT_EQ(window.received, c.messages);
        EXPECT_EQ(colourFiles(), c.files);
        EXPECT_NE(ramp[255], 0xbdbd) << "the ramp is computed all the same";
        char dated[MAX_PATH];
        EXPECT_EQ(GetWin98ProfileName(dated, sizeof dated) > 0, c.stopAt >= 2) << "recorded once written";
    }
}

// A member whose file cannot be replaced is reported at its turn and keeps its old file; the
// others are written and registered, and no temporary file stays behind.
TEST_F(ComputeProfilesTest, AMemberThatCannotBeReplacedKeepsItsOldFileAndTheRestAreWritten) {
    setSettingsDword("DefaultProfile", 0);
    const std::string locked = colourPath("Netvivid.icc");
    std::ofstream(locked) << "old";
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    ProgressWindow window(colourPath(""));
    ASSERT_EQ(ComputeProfiles(window.hwnd, "", kTarget, 6500, nullptr, 0x01, 0), 1);
    EXPECT_EQ(window.received, (std::vector<WPARAM>{0, 0, 25, 50, 100}));
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, "Error 1 saving ICM <Netvivid.icc>\n");
    const auto old = icctest::readBytes(locked);
    EXPECT_EQ(std::string(old.begin(), old.end()), "old");
    EXPECT_EQ(colourFiles(), (std::vector<std::string>{kDatedNetvivid, "Netvivid.icc", "Pantone.icc", "Spectrine95.icm"}));
    for (const char* name : {kDatedNetvivid, "Pantone.icc", "Spectrine95.icm"}) {
        SCOPED_TRACE(name);
        icctest::expectReadersAccept(colourPath(name));
    }
    char recorded[MAX_PATH] = "";
    GetSpectrineMonitorICMName(recorded, sizeof recorded);
    EXPECT_EQ(std::string(recorded), colourDir() + "Spectrine95.icm");
}

TEST_F(ComputeProfilesTest, UnadjustedKeepsTheNativeWhiteWithUnitGains) {
    Calibration cal;
    cal.gammas[0] = 2.4, cal.gammas[1] = 2.3, cal.gammas[2] = 2.1;
    cal.offsets[0] = 0.02, cal.offsets[1] = 0.03, cal.offsets[2] = 0.04;
    cal.gains[0] = 0.95, cal.gains[1] = 1.0, cal.gains[2] = 0.9;
    storeCalibration(0, cal);
    const double requested[3] = {1.8, 1.9, 2.0};
    ASSERT_EQ(ComputeProfiles(nullptr, "", requested, 9300, nullptr, 0x11, 0), 1);
    const Usb usb = usbValues();
    EXPECT_EQ(usb.read, 6);
    EXPECT_EQ(std::vector<int>(usb.values, usb.values + 6), (std::vector<int>{255, 255, 255, 0, 0, 0}));
    // The curves follow the calibration's gammas and offsets, not the requested ones.
    const auto file = icctest::readBytes(colourPath("Netvivid.icc"));
    EXPECT_EQ(curveOf(file, "rTRC")[0], static_cast<std::uint16_t>(std::trunc(65535 * std::pow(0.02, 2.4) + 0.5)));
    // Without the flag: the requested gammas, offsets 0, and the offsets go to USB.
    ASSERT_EQ(ComputeProfiles(nullptr, "", requested, 9300, nullptr, 0x01, 0), 1);
    const auto adjusted = icctest::readBytes(colourPath("Netvivid.icc"));
    EXPECT_EQ(curveOf(adjusted, "rTRC")[0], 0);
    const Usb after = usbValues();
    EXPECT_EQ(after.values[3], -5) << "offset 0.02 x 255 + 0.5, stored negated";
    EXPECT_EQ(after.values[4], -8);
    EXPECT_EQ(after.values[5], -10);
    EXPECT_LT(after.values[0], 255) << "9300 K from a D65-ish native white turns red down";
    EXPECT_EQ(after.values[2], 255);
}

TEST_F(ComputeProfilesTest, NoMonitorNameOrLineFailsWithNothingWritten) {
    struct Case {
        const char* name;
        int monitor;
    } cases[] = {{"no monitor name", 0}, {"no description line", 0}, {"monitor 1 has none", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.name == std::string("no monitor name"))
            WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, nullptr, 0);
        if (c.name == std::string("no description line")) {
            addStandardMonitor();
            writeFile("suite/monitors.inf", "[Monitors]\r\n");
        }
        const int monitor = c.monitor;
        const RegistrySnapshot before = registrySnapshot();
        ProgressWindow window(colourPath(""));
        std::vector<WORD> ramp(768, 0xbdbd);
        EXPECT_EQ(ComputeProfiles(window.hwnd, "", kTarget, 6500, ramp.data(), 0x07, monitor), 0);
        EXPECT_TRUE(colourFiles().empty());
        EXPECT_TRUE(window.received.empty());
        EXPECT_TRUE(registrySnapshot() == before) << "the registry changed";
        EXPECT_EQ(ramp, identity()) << "a ramp that cannot be computed is the identity";
    }
}

TEST_F(ComputeProfilesTest, CallsThatCannotBeComputedFailBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        DWORD temperature;
        DWORD flags;
        const double* gammas;
        bool withRamp;
        void (*prepare)();
    } cases[] = {
        {"no calibration", 6500, 0x13, kTarget, true, [] { WriteSpectrineRegValue("Calibration", "Monitor", REG_MULTI_SZ, nullptr, 0); }},
        {"a calibration of the description alone (gammas 0)", 6500, 0x13, kTarget, true,
         [] { WriteSpectrineRegValue("Calibration", "Monitor", REG_MULTI_SZ, reinterpret_cast<const BYTE*>("only\0"), 6); }},
        {"an offset of 1", 6500, 0x03, kTarget, true, [] {
             Calibration c;
             c.offsets[1] = 1.0;
             storeCalibration(0, c);
         }},
        {"4000 K has no white point", 4000, 0x03, kTarget, true, [] {}},
        {"25001 K has no white point", 25001, 0x01, kTarget, false, [] {}},
        {"a requested gamma of 0", 6500, 0x03, kZeroGreen, true, [] {}},
        {"no gammas", 6500, 0x01, nullptr, false, [] {}},
        {"primaries of one point", 6500, 0x03, kTarget, true, [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeCalibration(0, Calibration{});
        addStandardMonitor();
        if (std::string(c.name) == "primaries of one point")
            addMonitor(0, "Point", "M, X, 1, 2, 1, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3");
        c.prepare();
        const RegistrySnapshot before = registrySnapshot();
        std::vector<WORD> ramp(768, 0xbdbd);
        EXPECT_EQ(ComputeProfiles(nullptr, "", c.gammas, c.temperature, c.withRamp ? ramp.data() : nullptr, c.flags, 0), 0);
        EXPECT_TRUE(colourFiles().empty());
        EXPECT_TRUE(registrySnapshot() == before) << "the registry changed";
        if (c.withRamp) {
            EXPECT_EQ(ramp, identity());
        }
    }
    // A requested ramp without a buffer.
    EXPECT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x02, 0), 0);
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(ComputeProfilesTest, WithoutTheReferenceWhiteTheStoredWhiteStands) {
    Calibration cal;
    cal.whiteX = 0.28300, cal.whiteY = 0.29800;  // about 9300 K
    storeCalibration(0, cal);
    for (int lighting : {4, 7}) {  // the file has reference whites 0 to 3 only
        SCOPED_TRACE(lighting);
        setLighting(lighting);
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x11, 0), 1);
        const auto white = xyzOf(icctest::readBytes(colourPath("Netvivid.icc")), "wtpt");
        ASSERT_EQ(white.size(), 3u);
        EXPECT_EQ(white[0], builder::toS15Fixed16(0.283 / 0.298));
        EXPECT_EQ(white[2], builder::toS15Fixed16((1 - 0.283 - 0.298) / 0.298));
    }
}

TEST_F(ComputeProfilesTest, RampsGoThroughTheLookUpTables) {
    Calibration cal;
    cal.gammas[0] = 2.4, cal.offsets[0] = 0.05;
    storeCalibration(0, cal);
    const double requested[3] = {1.8, 2.2, 2.5};
    std::vector<WORD> ramp(768, 0xbdbd), expected(768);
    ASSERT_EQ(ComputeProfiles(nullptr, "", requested, 6500, ramp.data(), 0x02, 0), 1);
    // Target exponents = requested gammas, display exponents = the calibration's, its offsets,
    // and gains that reach 6500 K (the red gain is what the USB value shows).
    const Usb usb = usbValues();
    ASSERT_EQ(ComputeProfiles(nullptr, "", requested, 6500, nullptr, 0x00, 0), 1);
    EXPECT_EQ(ramp[0], 0) << "an offset above the lowest levels gives 0";
    EXPECT_EQ(ramp[256 + 255], static_cast<WORD>(usb.values[1] * 256)) << "green at its gain";
    EXPECT_EQ(ramp[512 + 255], static_cast<WORD>(usb.values[2] * 256)) << "blue at its gain";
    // Unadjusted, the identity of the tables: requested = calibration gammas, offsets 0, gains 1.
    const double same[3] = {2.4, 2.2, 2.2};
    ASSERT_EQ(ComputeProfiles(nullptr, "", same, 6500, ramp.data(), 0x12, 0), 1);
    EXPECT_EQ(ramp, identity());
    ASSERT_EQ(ComputeProfiles(nullptr, "", same, 6500, ramp.data(), 0x14, 0), 1);
    GetSpectrineBackLUT(expected.data(), expected.data() + 256, expected.data() + 512, 1, 1, 1, 2.4, 2.2, 2.2,
                        0.05, 0, 0, 1, 1, 1);
    for (int i = 0; i < 768; ++i) EXPECT_NEAR(ramp[i], expected[i], 256) << i;
}

TEST_F(ComputeProfilesTest, SrgbCalibrationMapsWhiteAndGreyThroughLittleCms) {
#ifndef SPX_HAVE_LCMS2
    GTEST_SKIP() << "Little CMS (liblcms2-dev) was not found when building the tests";
#else
    setSettingsDword("ScaleToD50", 1);
    ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x11, 0), 1);
    cmsHPROFILE monitor = cmsOpenProfileFromFile(colourPath("Netvivid.icc").c_str(), "r");
    ASSERT_NE(monitor, nullptr);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(monitor, TYPE_RGB_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    ASSERT_NE(t, nullptr);
    const cmsUInt8Number in[6] = {255, 255, 255, 128, 128, 128};
    cmsUInt8Number out[6] = {0, 0, 0, 0, 0, 0};
    cmsDoTransform(t, in, out, 2);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], 255, 1) << "white channel " << i;
    for (int i = 3; i < 6; ++i) EXPECT_NEAR(out[i], 128, 2) << "grey channel " << i - 3;
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(monitor);
#endif
}

TEST_F(ComputeProfilesTest, SecondMonitorUsesItsOwnCalibrationAndNames) {
    addMonitor(1, "Second", std::string("Other, Panel 2, 1, 2, 1, ") + kSrgbPrimaries);
    Calibration cal;
    cal.gammas[0] = cal.gammas[1] = cal.gammas[2] = 1.8;
    storeCalibration(1, cal);
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    WinplatResetProcessState();
    ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x11, 1), 1);
    char dated[MAX_PATH] = "";
    EXPECT_GT(GetWin98ProfileName0(dated, sizeof dated, 1), 0);
    EXPECT_EQ(std::string(dated), "Other Panel 2 6500K G1.8 .Apr 05 2003 - 06 07 AM 2.icm");
    EXPECT_EQ(GetWin98ProfileName(dated, sizeof dated), 0) << "monitor 0's name is left alone";
}

}  // namespace
