// Each monitor keeps its own profile family: the names of monitor 0 as they always were, the
// files of every other monitor numbered, each monitor registered with its own default, and the
// status check holding on a desk of two identical screens.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "registration_test_support.h"

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
}

}  // namespace
