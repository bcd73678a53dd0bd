// What the builder's tests share: an installed suite in a fresh system root (the shipped white
// point reference file beside the wizard, a monitor INF file), monitors with calibrations,
// profile files read back, and a snapshot of the whole registry.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "icc_checks.h"
#include "profforge.h"
#include "registry_snapshot.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "winplat_files.h"

namespace buildertest {

// sRGB primaries; the monitor lines below use them unless a test says otherwise.
inline constexpr char kSrgbPrimaries[] = "0.6400, 0.3300, 0.3000, 0.6000, 0.1500, 0.0600";

struct Calibration {
    double whiteX = 0.31272, whiteY = 0.32900;
    double gammas[3] = {2.2, 2.2, 2.2};
    double offsets[3] = {0, 0, 0};
    double gains[3] = {1, 1, 1};
};

class BuilderTest : public spx::test::FreshRootTest {
protected:
    void SetUp() override {
        setenv("SPECTRINE_FAKE_TIME", icctest::kTestClockText, 1);
        FreshRootTest::SetUp();
        std::filesystem::create_directories(rootPath("suite"));
        ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", rootPath("suite/huevista").c_str()), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", rootPath("suite/monitors.inf").c_str()), 1);
        std::string shipped;
        ASSERT_EQ(winplat::readWholeFile(WHITEPOINT_INI, shipped), static_cast<DWORD>(ERROR_SUCCESS));
        writeFile("suite/huevista.ini", shipped);
    }
    void TearDown() override {
        FreshRootTest::TearDown();
        unsetenv("SPECTRINE_FAKE_TIME");
    }

    // The reference file replaced by `lines` under [Whitepoint].
    void writeReferenceFile(const std::string& lines) {
        writeFile("suite/huevista.ini", "[Whitepoint]\n" + lines);
    }
    // A monitor model "<key>=<line>" in the INF file, and monitor n named by that key.
    void addMonitor(int monitor, const std::string& key, const std::string& line) {
        infLines_ += key + "=" + line + "\r\n";
        writeFile("suite/monitors.inf", "[Version]\r\nClass=Monitor\r\n\r\n[Monitors]\r\n" + infLines_);
        const std::string name = monitor == 0 ? "Monitor" : "Monitor" + std::to_string(monitor);
        ASSERT_EQ(WriteSpectrineRegString("Settings", name.c_str(), key.c_str()), 1);
    }
    // The usual monitor: "Kalvenmor", "Model 17", sRGB primaries.
    void addStandardMonitor(int monitor = 0) {
        addMonitor(monitor, "Kalvenmor Model 17",
                   std::string("Kalvenmor, Model 17, 1280, 960, 1, ") + kSrgbPrimaries + ", 0.25");
    }
    static void storeCalibration(int monitor, const Calibration& c) {
        const std::string name = monitor == 0 ? "Monitor" : "Monitor" + std::to_string(monitor);
        ASSERT_EQ(WriteSpectrineCalibrationName(name.c_str(), "test", c.whiteX, c.whiteY, c.gammas[0],
                                                c.gammas[1], c.gammas[2], c.offsets[0], c.offsets[1],
                                                c.offsets[2], c.gains[0], c.gains[1], c.gains[2]),
                  1);
    }
    static void setLighting(int lighting) { ASSERT_EQ(WriteSpectrineCalibrationLighting(lighting), 1); }
    static void setSettingsDword(const char* name, DWORD value) {
        ASSERT_EQ(WriteSpectrineRegValue("Settings", name, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                         sizeof value),
                  ERROR_SUCCESS);
    }

    // The shipped "Preset.inf" beside the monitor INF file.
    void installPresetFile() {
        std::string shipped;
        ASSERT_EQ(winplat::readWholeFile(SHIPPED_PRESET_INF, shipped), static_cast<DWORD>(ERROR_SUCCESS));
        writeFile("suite/Preset.inf", shipped);
    }
    // The unadjusted preset's name and description, as the wizard stores them.
    static void storeUnadjusted(const char* name, const char* description) {
        ASSERT_EQ(WriteSpectrineUnadjustedString(name), 1);
        ASSERT_EQ(WriteSpectrineUnadjustedDescriptionString(description), 1);
    }
    // The ramp in force on monitor n; 0xbdbd entries when it cannot be read.
    static std::vector<WORD> loadedRamp(int monitor) {
        std::vector<WORD> ramp(768, 0xbdbd);
        winplat::DeviceContext screen = winplat::DeviceContext::screen();
        EXPECT_NE(VLTGetDeviceGammaRamp(screen.get(), ramp.data(), monitor), 0) << "monitor " << monitor;
        return ramp;
    }

    std::string colourPath(const std::string& name) const {
        return rootPath("WINDOWS/SYSTEM/COLOR/" + name);
    }
    // The colour directory as the system names it, with its closing '\'.
    static std::string colourDir() {
        char system[MAX_PATH];
        UINT n = GetSystemDirectoryA(system, sizeof system);
        return std::string(system, n) + "\\COLOR\\";
    }
    std::vector<std::string> colourFiles() const { return icctest::listDirectory(colourPath("")); }

private:
    std::string infLines_;
};

// One tag of a profile file, found through its tag table.
inline std::vector<std::uint8_t> tagData(const std::vector<std::uint8_t>& file, const std::string& sig) {
    auto be32 = [&](size_t at) {
        return std::uint32_t{file[at]} << 24 | std::uint32_t{file[at + 1]} << 16 |
               std::uint32_t{file[at + 2]} << 8 | file[at + 3];
    };
    if (file.size() < 132) return {};
    for (std::uint32_t i = 0, n = be32(128); i < n && 144 + 12 * i <= file.size(); ++i) {
        const size_t at = 132 + 12 * i;
        if (std::string(reinterpret_cast<const char*>(&file[at]), 4) != sig) continue;
        const std::uint32_t offset = be32(at + 4), size = be32(at + 8);
        if (std::uint64_t{offset} + size > file.size()) return {};
        return {file.begin() + offset, file.begin() + offset + size};
    }
    return {};
}
inline std::int32_t be32s(const std::vector<std::uint8_t>& b, size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 |
                                     std::uint32_t{b.at(at + 2)} << 8 | b.at(at + 3));
}
// The three numbers of an XYZ tag.
inline std::vector<std::int32_t> xyzOf(const std::vector<std::uint8_t>& file, const std::string& sig) {
    const auto d = tagData(file, sig);
    if (d.size() != 20) return {};
    return {be32s(d, 8), be32s(d, 12), be32s(d, 16)};
}
// The ASCII text of a description tag.
inline std::string descriptionOf(const std::vector<std::uint8_t>& file, const std::string& sig) {
    const auto d = tagData(file, sig);
    if (d.size() < 12) return "<no " + sig + ">";
    const size_t count = static_cast<size_t>(be32s(d, 8));
    if (count == 0 || 12 + count > d.size()) return "<bad " + sig + ">";
    return std::string(reinterpret_cast<const char*>(&d[12]), count - 1);
}
// The entries of a curve tag.
inline std::vector<std::uint16_t> curveOf(const std::vector<std::uint8_t>& file, const std::string& sig) {
    const auto d = tagData(file, sig);
    std::vector<std::uint16_t> values;
    if (d.size() < 12) return values;
    for (size_t at = 12; at + 1 < d.size(); at += 2) values.push_back(static_cast<std::uint16_t>(d[at] << 8 | d[at + 1]));
    return values;
}

using spx::test::RegistrySnapshot;
using spx::test::registrySnapshot;

}  // namespace buildertest
