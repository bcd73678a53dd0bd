// Each monitor keeps its own profile family: the names of monitor 0 as they always were, the
// files of every other monitor numbered, each monitor registered with its own default, and the
// status check holding on a desk of two identical screens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "registration_test_support.h"

#ifdef SPX_HAVE_LCMS2
#include <lcms2.h>
#endif

namespace {

using namespace buildertest;

const double kTarget[3] = {2.2, 2.2, 2.2};
constexpr char kDated[] = "Kalvenmor Model 17 6500K G2.2 .Apr 05 2003 - 06 07 AM.icm";

// FNV-1a, 64 bits, of a file's bytes: what the one-monitor family is compared with.
std::uint64_t fingerprint(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

// The class key the virtual display gives monitor n on the 95 family.
std::string classKeyOf(int monitor) {
    return std::string(vlt::test::kClassRoot) + (monitor == 0 ? "Monitor\\0000" : "Monitor\\0001");
}

class FamilyPerMonitor : public BuilderTest, public vlt::test::RegistrationValues {};

// One monitor, as before several monitors had their own files: every name, every byte and
// every registration as the suite has always made them. The sizes and fingerprints were taken
// from the builder before the family's names depended on the monitor.
TEST_F(FamilyPerMonitor, OneMonitorKeepsItsNamesAndBytes) {
    addStandardMonitor();
    Calibration cal;
    cal.gains[2] = 0.9;
    storeCalibration(0, cal);
    setLighting(3);
    setSettingsDword("ScaleToD50", 1);
    setSettingsDword("DefaultProfile", 0);
    ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);

    const struct {
        const char* name;
        size_t size;
        std::uint64_t fingerprint;
    } expected[] = {
        {kDated, 888, 0xf073e36ec224f4cfull},
        {"Netvivid.icc", 888, 0xf073e36ec224f4cfull},
        {"Pantone.icc", 888, 0x123ac756ff9768bcull},
        {"Spectrine95.icm", 888, 0x8178d9fe17f32382ull},
    };
    std::vector<std::string> names;
    for (const auto& e : expected) names.emplace_back(e.name);
    ASSERT_EQ(colourFiles(), names);
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const auto bytes = icctest::readBytes(colourPath(e.name));
        EXPECT_EQ(bytes.size(), e.size);
        EXPECT_EQ(fingerprint(bytes), e.fingerprint);
    }

    EXPECT_EQ(suiteText("Calibration", "Win98Profile"), kDated);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), colourDir() + "Spectrine95.icm");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey"), classKeyOf(0));
    EXPECT_EQ(profileListAt(classKeyOf(0)), (std::vector<std::string>{"Spectrine95.icm", ""}));
    for (const char* name : {"MonitorRegKey1", "MonitorDesc1", "MonitorICMProfile1", "MonitorICMProfile0"})
        EXPECT_EQ(suiteText("ICM Registry Info", name), "<absent>") << name;
}

// Two screens of one model side by side, the desk most users with two screens have: the same
// EDID, so the same model key, description line and dated name, but each its own calibration.
// The stored whites are the same; the gains the user matched differ, so do the native whites.
class TwoScreens : public FamilyPerMonitor {
protected:
    void SetUp() override {
        FamilyPerMonitor::SetUp();
        std::vector<spx::test::VirtualMonitor> screens = spx::test::monitorsSideBySide(2);
        for (spx::test::VirtualMonitor& screen : screens) {
            screen.description = "Twin 24";
            screen.edid = spx::test::makeEdid("KVM", 0x2401, 53, 30, "Twin 24");
        }
        writeDisplayIni(screens);
        WinplatResetProcessState();
        calibrations_[1].gains[0] = 0.82;
        calibrations_[1].gains[2] = 0.9;
        for (int monitor = 0; monitor < 2; ++monitor) {
            char key[256] = "";
            ASSERT_EQ(GetWindowsMonitorName0(key, sizeof key, monitor), 1);
            modelKeys_[monitor] = key;
            ASSERT_EQ(WriteSpectrineRegString("Settings", monitor == 0 ? "Monitor" : "Monitor1", key), 1);
            storeCalibration(monitor, calibrations_[monitor]);
        }
        ASSERT_EQ(modelKeys_[0], modelKeys_[1]) << "one model";
        setLighting(3);
    }
    // The unadjusted target of monitor n, as the wizard applies it after a calibration.
    void computeUnadjusted(int monitor) {
        ASSERT_EQ(ComputeProfiles(nullptr, "Unadjusted", calibrations_[monitor].gammas, 6500, nullptr, 0x11, monitor), 1);
    }
    // The native white (x, y) of monitor n's calibration, from the builder's export.
    std::vector<double> nativeWhite(int monitor) const {
        const Calibration& c = calibrations_[monitor];
        double white[2] = {-1, -1};
        ComputeWhitePoint(white, modelKeys_[monitor].c_str(), c.gammas, c.offsets, c.gains, 3, monitor);
        return {white[0], white[1]};
    }
    static std::string recordedDefault(int monitor) {
        char path[MAX_PATH];
        std::memset(path, 0xbd, sizeof path);
        if (GetSpectrineMonitorICMName0(path, sizeof path, monitor) <= 0) return "<none>";
        return path;
    }

    Calibration calibrations_[2];
    std::string modelKeys_[2];
};

#ifdef SPX_HAVE_LCMS2
// The chromaticity of the sum of a profile's three colorants as Little CMS reads them: the
// white the colorants were made for. Empty when the file or a colorant cannot be read.
std::vector<double> colorantWhite(const std::string& path) {
    std::unique_ptr<void, decltype(&cmsCloseProfile)> profile(cmsOpenProfileFromFile(path.c_str(), "r"),
                                                               &cmsCloseProfile);
    if (!profile) return {};
    double sum[3] = {0, 0, 0};
    for (cmsTagSignature sig : {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag}) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile.get(), sig));
        if (!xyz) return {};
        sum[0] += xyz->X, sum[1] += xyz->Y, sum[2] += xyz->Z;
    }
    const double total = sum[0] + sum[1] + sum[2];
    return {sum[0] / total, sum[1] / total};
}
#endif

struct TwoScreensCase {
    const char* name;
    DWORD selector;     // "DefaultProfile"; Windows 98 reads 1 as 3, the dated profile
    DWORD noDate;       // "NoDateInProfileName"
    const char* dated;  // monitor 0's dated file; monitor 1's is numbered
    const char* datedSecond;
    bool datedIsDefault;
};

void PrintTo(const TwoScreensCase& c, std::ostream* out) { *out << c.name; }

const TwoScreensCase kTwoScreensCases[] = {
    {"Selector0", 0, 0, "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM.icm",
     "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM 2.icm", false},
    {"Selector1", 1, 0, "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM.icm",
     "Twin 24 6500K G2.2 .Apr 05 2003 - 06 07 AM 2.icm", true},
    {"Selector0NoDate", 0, 1, "Twin 24 6500K G2.2.icm", "Twin 24 6500K G2.2 2.icm", false},
    {"Selector1NoDate", 1, 1, "Twin 24 6500K G2.2.icm", "Twin 24 6500K G2.2 2.icm", true},
};

class TwoScreensFamilies : public TwoScreens, public ::testing::WithParamInterface<TwoScreensCase> {};

TEST_P(TwoScreensFamilies, EachScreenKeepsItsOwnFilesAndRegistration) {
    const TwoScreensCase& c = GetParam();
    setSettingsDword("DefaultProfile", c.selector);
    setSettingsDword("NoDateInProfileName", c.noDate);
    const std::vector<std::string> files[2] = {
        {"Spectrine95.icm", "Netvivid.icc", "Pantone.icc", c.dated},
        {"Spectrine95 2.icm", "Netvivid 2.icc", "Pantone 2.icc", c.datedSecond}};
    const std::string defaults[2] = {c.datedIsDefault ? c.dated : "Spectrine95.icm",
                                     c.datedIsDefault ? c.datedSecond : "Spectrine95 2.icm"};
    // Monitor 0 first and monitor 1 after it: the second must leave the first as it was. The
    // plug-ins are told of each monitor's own default.
    for (int monitor = 0; monitor < 2; ++monitor) {
        computeUnadjusted(monitor);
        PLUGINRECORD block;
        std::memset(&block, 0xbd, sizeof block);
        DWORD size = sizeof block;
        ASSERT_EQ(GetSpectrineRegValue("Calibration", "PlugInData", nullptr, reinterpret_cast<LPBYTE>(&block), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::string(block.profilePath, strnlen(block.profilePath, sizeof block.profilePath)),
                  colourDir() + defaults[monitor]);
    }
    std::vector<std::string> all = files[0];
    all.insert(all.end(), files[1].begin(), files[1].end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(colourFiles(), all) << "four files of each screen's own";
    EXPECT_EQ(suiteText("Calibration", "Win98Profile"), c.dated);
    EXPECT_EQ(suiteText("Calibration", "Win98Profile1"), c.datedSecond);

    for (int monitor = 0; monitor < 2; ++monitor) {
        SCOPED_TRACE(::testing::Message() << "monitor " << monitor);
        const std::vector<std::string> list = profileListAt(classKeyOf(monitor));
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[list.size() - 2], defaults[monitor]) << "the last name is the default";
        for (const std::string& name : list)
            EXPECT_EQ(std::count(files[1 - monitor].begin(), files[1 - monitor].end(), name), 0)
                << name << " belongs to the other screen";
        EXPECT_EQ(recordedDefault(monitor), colourDir() + defaults[monitor]);
        EXPECT_EQ(systemDefault(monitor), colourDir() + defaults[monitor]);
    }
    WinplatResetProcessState();  // as the display page of a later session asks
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);

#ifdef SPX_HAVE_LCMS2
    const std::vector<double> whites[2] = {nativeWhite(0), nativeWhite(1)};
    ASSERT_GT(std::hypot(whites[0][0] - whites[1][0], whites[0][1] - whites[1][1]), 0.005)
        << "the calibrations must tell the screens apart";
    for (int monitor = 0; monitor < 2; ++monitor) {
        for (const std::string& name : files[monitor]) {
            SCOPED_TRACE(name);
            icctest::expectLcmsAccepts(colourPath(name));
            const std::vector<double> white = colorantWhite(colourPath(name));
            ASSERT_EQ(white.size(), 2u);
            EXPECT_NEAR(white[0], whites[monitor][0], 2e-4);
            EXPECT_NEAR(white[1], whites[monitor][1], 2e-4);
        }
    }
#else
    GTEST_SKIP() << "Little CMS (liblcms2-dev) was not found when building the tests: colorants not read back";
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, TwoScreensFamilies, ::testing::ValuesIn(kTwoScreensCases),
                         [](const ::testing::TestParamInfo<TwoScreensCase>& info) { return info.param.name; });

// A root from before each monitor had its own files: both screens used the shared files, the
// second screen's list and recorded dated name name them. Monitor 0 goes on as it was; the
// second screen keeps the shared files until its next computation gives it its own.
TEST_F(TwoScreens, AnOlderRootGivesTheSecondScreenItsOwnFilesAtItsNextComputation) {
    setSettingsDword("DefaultProfile", 0);
    computeUnadjusted(0);
    const std::string sharedDated = suiteText("Calibration", "Win98Profile");
    ASSERT_EQ(WriteWin98ProfileName0(sharedDated.c_str(), 1), 1);
    setKeyValue(classKeyOf(1), "ICMProfile", REG_BINARY, vlt::test::nameList({"Spectrine95.icm"}));

    std::vector<std::vector<std::uint8_t>> firstBytes;
    for (const std::string& name : colourFiles()) firstBytes.push_back(icctest::readBytes(colourPath(name)));
    const std::vector<std::string> firstFiles = colourFiles();
    const std::vector<std::string> firstList = profileListAt(classKeyOf(0));
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK) << "the second screen has no record of its own yet";

    computeUnadjusted(1);
    EXPECT_EQ(profileListAt(classKeyOf(1)), (std::vector<std::string>{"Spectrine95 2.icm", ""}))
        << "the shared names leave the second screen's list";
    EXPECT_EQ(recordedDefault(1), colourDir() + "Spectrine95 2.icm");
    EXPECT_EQ(suiteText("Calibration", "Win98Profile1"), sharedDated.substr(0, sharedDated.size() - 4) + " 2.icm");
    EXPECT_EQ(profileListAt(classKeyOf(0)), firstList);
    EXPECT_EQ(suiteText("Calibration", "Win98Profile"), sharedDated);
    for (size_t i = 0; i < firstFiles.size(); ++i) {
        SCOPED_TRACE(firstFiles[i]);
        EXPECT_EQ(icctest::readBytes(colourPath(firstFiles[i])), firstBytes[i]) << "monitor 0's file was rewritten";
    }
    EXPECT_EQ(colourFiles().size(), 8u);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
}

}  // namespace
