// One profile as ComputeICM writes it: header, the eleven tags, the "ScaleToD50" modes, mini
// profiles, messages, registration and the plug-in record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "builder_test_support.h"
#include "colour_math.h"
#include "profile_content.h"
#include "profile_registration.h"
#include "registry_faults.h"

namespace {

using namespace buildertest;
using icctest::Bytes;

class ProfileWriter : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        std::strcpy(maker, "Kalvenmor");
        std::strcpy(model, "Model 17");
        parms.manufacturer = maker;
        parms.model = model;
        parms.redX = 0.64, parms.redY = 0.33, parms.greenX = 0.30, parms.greenY = 0.60;
        parms.blueX = 0.15, parms.blueY = 0.06;
        parms.whiteX = 0.31272, parms.whiteY = 0.32900;
        parms.gammaRed = 2.2, parms.gammaGreen = 2.1, parms.gammaBlue = 2.3;
        parms.gainRed = 1, parms.gainGreen = 0.9, parms.gainBlue = 0.8;
    }
    // Writes "<name>.icm" and reads it back.
    std::vector<std::uint8_t> write(const char* name, int isDefault = 0) {
        EXPECT_EQ(ComputeICM(nullptr, &parms, name, isDefault, 0), 1);
        return icctest::readBytes(colourPath(std::string(name) + ".icm"));
    }
    DWORD temperature() const {
        DWORD t = 0;
        GetTemperatureFromWhitePoint(&t, parms.whiteX, parms.whiteY);
        return t;
    }

    char maker[ICC_MANUFACTURER_SIZE];
    char model[ICC_MODEL_SIZE];
    ICCMONITORPARMS parms{};
};

Bytes builderHeader(const char* maker4, const char* model4, std::uint32_t intent) {
    const icctest::Clock& c = icctest::kTestClock;
    Bytes h;
    h.chars("KALV").u8(2).zeros(3).chars("mntr").chars("RGB ").chars("XYZ ");
    h.be16(c.year).be16(c.month).be16(c.day).be16(c.hour).be16(c.minute).be16(c.second);
    h.chars("acsp").chars("MSFT").zeros(4).chars(maker4).chars(model4).zeros(8).be32(intent);
    return h.be32(63189).be32(65536).be32(54060).zeros(4).zeros(44);
}

std::uint8_t scriptCount(const std::string& text) {
    return static_cast<std::uint8_t>(text.size() + 1 <= 67 ? text.size() + 1 : 0);
}

TEST_F(ProfileWriter, WritesTheHeaderAndElevenTagsInOrder) {
    const auto file = write("Exact");
    const std::string path = colourPath("Exact.icm");
    const std::string summary = "Temperature:\t" + std::to_string(temperature()) +
                                "K\r\nGamma:\t\t2.2\r\nLighting:\t\tFluorescent";
    const std::string description = "Spectrine: Kalvenmor Model 17";
    builder::Primaries p;
    const double x[3] = {0.64, 0.30, 0.15}, y[3] = {0.33, 0.60, 0.06};
    for (int k = 0; k < 3; ++k) p.x[k] = x[k], p.y[k] = y[k];
    const auto rgb = builder::colorants(p, 0.31272, 0.32900);
    ASSERT_TRUE(rgb);
    const auto fixed = [](double v) { return builder::toS15Fixed16(v); };
    std::vector<icctest::ExpectedTag> tags = {
        {"calt", icctest::dateTimeData(icctest::kTestClock)},
        {"cprt", icctest::textData("Copyright (c) Kalvenmor")},
        {"K007", icctest::descData(summary, scriptCount(summary))},
        {"desc", icctest::descData(description, scriptCount(description))},
        {"wtpt", icctest::xyzData(fixed(0.31272 / 0.329), 65536, fixed((1 - 0.31272 - 0.329) / 0.329))},
    };
    const char* colorantTags[3] = {"rXYZ", "gXYZ", "bXYZ"};
    for (int k = 0; k < 3; ++k)
        tags.push_back({colorantTags[k], icctest::xyzData(fixed((*rgb)[k][0]), fixed((*rgb)[k][1]),
                                                          fixed((*rgb)[k][2]))});
    const char* curveTags[3] = {"rTRC", "gTRC", "bTRC"};
    const double gammas[3] = {2.2, 2.1, 2.3};
    for (int k = 0; k < 3; ++k)
        tags.push_back({curveTags[k], icctest::curveData(builder::powerLawCurve(gammas[k], 0.0))});
    icctest::expectFileBytes(path, icctest::expectedProfile(builderHeader("Kalv", "Mode", 3), tags));
    icctest::expectReadersAccept(path);
    // Not the default: registered, nothing made default, no plug-in block.
    EXPECT_TRUE(UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>((colourDir() + "Exact.icm").c_str()),
                                 ICM_QUERYPROFILE));
    char recorded[MAX_PATH];
    EXPECT_EQ(GetSpectrineMonitorICMName(recorded, sizeof recorded), 0);
    DWORD size = 0;
    EXPECT_EQ(GetSpectrineRegValue("Calibration", "PlugInData", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(ProfileWriter, DeviceManufacturerAndModelArePaddedToFourCharacters) {
    struct Case {
        const char* maker;
        const char* model;
        const char* maker4;
        const char* model4;
    } cases[] = {{"PnP VESA DDC -", "X", "PnP ", "X   "}, {"", "", "    ", "    "}, {"Abc", "Model 17", "Abc ", "Mode"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.maker) + "/" + c.model);
        std::strcpy(maker, c.maker);
        std::strcpy(model, c.model);
        const auto file = write("Names");
        ASSERT_GE(file.size(), 128u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[48]), 4), c.maker4);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[52]), 4), c.model4);
    }
}

TEST_F(ProfileWriter, ScaleToD50AdaptsTheColorantsNeverTheWhite) {
    struct Case {
        const char* name;
        bool set;
        DWORD type;
        DWORD value;
        std::uint32_t intent;
        bool d50Sum;          // the colorants add up to D50 instead of the white
        bool likeD50White;    // computed for the D50 chromaticity
        const char* descPrefix;
    } cases[] = {
        {"absent", false, REG_DWORD, 0, 3, false, false, "Spectrine: "},
        {"0", true, REG_DWORD, 0, 3, false, false, "Spectrine: "},
        {"1", true, REG_DWORD, 1, 1, true, false, "Netvivid: "},
        {"2", true, REG_DWORD, 2, 1, true, true, "Netvivid: "},
        {"5: intent 1, colorants as they are", true, REG_DWORD, 5, 1, false, false, "Netvivid: "},
        {"1 stored as REG_BINARY counts as 0", true, REG_BINARY, 1, 3, false, false, "Spectrine: "},
    };
    std::vector<std::int32_t> white;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSpectrineRegValue("Settings", "ScaleToD50", REG_DWORD, nullptr, 0);
        if (c.set) {
            ASSERT_EQ(WriteSpectrineRegValue("Settings", "ScaleToD50", c.type,
                                             reinterpret_cast<const BYTE*>(&c.value), sizeof c.value),
                      ERROR_SUCCESS);
        }
        const auto file = write("Scaled");
        ASSERT_GE(file.size(), 128u);
        EXPECT_EQ(be32s(file, 64), static_cast<std::int32_t>(c.intent));
        if (white.empty()) white = xyzOf(file, "wtpt");
        EXPECT_EQ(xyzOf(file, "wtpt"), white) << "the white point is never adapted";
        std::int64_t sum[3] = {0, 0, 0};
        for (const char* sig : {"rXYZ", "gXYZ", "bXYZ"}) {
            const auto v = xyzOf(file, sig);
            ASSERT_EQ(v.size(), 3u);
            for (int i = 0; i < 3; ++i) sum[i] += v[i];
        }
        // D50 as the scale factors give it, or as the chromaticity (0.3457, 0.3585) gives it.
        const std::int64_t d50[3] = {63189, 65536, 54060};
        const std::int64_t d50White[3] = {63195, 65536, 54073};
        const std::int64_t own[3] = {white[0], white[1], white[2]};
        const std::int64_t* expected = c.likeD50White ? d50White : c.d50Sum ? d50 : own;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(sum[i], expected[i], 4) << "component " << i;
        if (c.likeD50White) {
            // Red as computed for the D50 white differs from red scaled from the monitor's.
            builder::Primaries p;
            const double x[3] = {0.64, 0.30, 0.15}, y[3] = {0.33, 0.60, 0.06};
            for (int k = 0; k < 3; ++k) p.x[k] = x[k], p.y[k] = y[k];
            const auto d50Colorants = builder::colorants(p, 0.3457, 0.3585);
            EXPECT_EQ(xyzOf(file, "rXYZ")[0], builder::toS15Fixed16((*d50Colorants)[0][0]));
        }
        EXPECT_EQ(descriptionOf(file, "desc").rfind(c.descPrefix, 0), 0u) << descriptionOf(file, "desc");
        icctest::expectReadersAccept(colourPath("Scaled.icm"));
    }
}

TEST_F(ProfileWriter, DescriptionFollowsTheFileNameAndTheSetting) {
    setSettingsDword("ScaleToD50", 1);
    ASSERT_EQ(WriteSpectrineOverallGamma(1, 0, 0, 1.8, 2.2, 2.2), 1);
    struct Case {
        const char* name;
        const char* description;
        bool mini;
    } cases[] = {
        {"Netvivid", "Netvivid: Kalvenmor Model 17", false},
        {"PANTONE", "Pantone: Kalvenmor Model 17", false},
        {"pantone proof", "Pantone: Kalvenmor Model 17", false},
        {"Adobe RGB", "MiniProfile-Spectrine: Kalvenmor Model 17", true},
        {"adobe", "MiniProfile-Spectrine: Kalvenmor Model 17", true},
        {"My ADOBE", "Netvivid: Kalvenmor Model 17", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = write(c.name);
        EXPECT_EQ(descriptionOf(file, "desc"), c.description);
        for (const char* sig : {"rTRC", "gTRC", "bTRC"}) {
            const auto curve = curveOf(file, sig);
            if (c.mini) {
                EXPECT_EQ(curve, std::vector<std::uint16_t>{460}) << sig << ": overall gamma 1.8 x 256";
            } else {
                ASSERT_EQ(curve.size(), 32u) << sig;
                EXPECT_EQ(curve[0], 0);
                EXPECT_EQ(curve[31], 65535);
            }
        }
        icctest::expectReadersAccept(colourPath(std::string(c.name) + ".icm"));
    }
}

TEST_F(ProfileWriter, SummaryNamesTheLightingUpToChoiceFive) {
    writeReferenceFile("Name_0=Zero\nName_2=Two\nName_5=Five\n");
    struct Case {
        int lighting;
        const char* name;
    } cases[] = {{0, "Zero"}, {2, "Two"}, {1, ""}, {5, "Five"}, {7, "Five"}, {-1, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lighting);
        setLighting(c.lighting);
        const std::string summary = descriptionOf(write("Lit"), "K007");
        EXPECT_EQ(summary, "Temperature:\t" + std::to_string(temperature()) + "K\r\nGamma:\t\t2.2\r\nLighting:\t\t" + c.name);
    }
}

TEST_F(ProfileWriter, FailuresAreShownAndTheResultStaysOne) {
    std::filesystem::remove_all(colourPath(""));
    EXPECT_EQ(ComputeICM(nullptr, &parms, "Lost", 1, 0), 1);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, "Error 1 saving ICM <Lost.icm>\n");
    EXPECT_EQ(messageBoxes[0].caption, "");
    EXPECT_EQ(messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    char recorded[MAX_PATH];
    EXPECT_EQ(GetSpectrineMonitorICMName(recorded, sizeof recorded), 0) << "nothing registered";

    // A record without a white point describes no profile.
    std::filesystem::create_directories(colourPath(""));
    messageBoxes.clear();
    parms.whiteY = 0;
    EXPECT_EQ(ComputeICM(nullptr, &parms, "NoWhite", 0, 0), 1);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].text, "Error 1 creating ICM\n");
    EXPECT_FALSE(winplat::fileExists(colourPath("NoWhite.icm").c_str()));

    EXPECT_EQ(ComputeICM(nullptr, nullptr, "Null", 0, 0), 1);
    EXPECT_EQ(ComputeICM(nullptr, &parms, nullptr, 0, 0), 1);
    EXPECT_EQ(ComputePT(nullptr, &parms), -1);
}

TEST_F(ProfileWriter, LongNamesAreCutToFitAFileName) {
    const std::string name(300, 'n');
    EXPECT_EQ(ComputeICM(nullptr, &parms, name.c_str(), 0, 0), 1);
    EXPECT_EQ(colourFiles(), std::vector<std::string>{std::string(251, 'n') + ".icm"});
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(ProfileWriter, TheDefaultIsRegisteredWithTheSrgbRuleAndHandedToPlugIns) {
    struct Case {
        const char* name;
        double gamma;
        bool srgbFile;
        bool srgbDefault;
    } cases[] = {{"sRGB target with the system's sRGB profile", 2.2, true, true},
                 {"sRGB target without it", 2.2, false, false},
                 {"gamma 1.8", 1.8, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(colourPath(builder::kSrgbProfile));
        if (c.srgbFile) writeFile("WINDOWS/SYSTEM/COLOR/sRGB Color Space Profile.icm", std::string(132, '\0'));
        parms.gammaRed = parms.gammaGreen = parms.gammaBlue = c.gamma;
        write("Default", 1);
        const std::string own = colourDir() + "Default.icm";
        const std::string expectedDefault = c.srgbDefault ? colourDir() + "sRGB Color Space Profile.icm" : own;
        char recorded[MAX_PATH] = "";
        GetSpectrineMonitorICMName(recorded, sizeof recorded);
        EXPECT_EQ(std::string(recorded), expectedDefault);
        EXPECT_TRUE(UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>(own.c_str()), ICM_QUERYPROFILE));

        PLUGINRECORD block;
        std::memset(&block, 0xbd, sizeof block);
        DWORD type = 0, size = sizeof block;
        ASSERT_EQ(GetSpectrineRegValue("Calibration", "PlugInData", &type, reinterpret_cast<LPBYTE>(&block), &size),
                  ERROR_SUCCESS);
        ASSERT_EQ(size, 920u);
        EXPECT_EQ(block.gammaRed, c.gamma);
        EXPECT_EQ(block.gainGreen, 0.9);
        EXPECT_EQ(block.offsetBlue, 0.0);
        EXPECT_EQ(block.greenY, 0.60);
        EXPECT_EQ(block.whiteX, 0.31272);
        EXPECT_EQ(block.temperature, temperature());
        EXPECT_EQ(std::string(block.profilePath), expectedDefault);
        const std::vector<char> zeros(260, 0);
        EXPECT_EQ(std::memcmp(block.reserved1, zeros.data(), 260), 0);
        EXPECT_EQ(std::memcmp(block.reserved2, zeros.data(), 260), 0);
    }
}

// A registration that cannot be completed (here the monitor's profile list cannot be written)
// leaves the colour management as it was: the profile is not half registered, and with the
// sRGB rule the system's profile does not become the default on its own.
TEST_F(ProfileWriter, ARegistrationThatCannotLandLeavesTheOldOne) {
    writeFile("WINDOWS/SYSTEM/COLOR/sRGB Color Space Profile.icm", std::string(132, '\0'));
    const std::string srgb = colourDir() + "sRGB Color Space Profile.icm";
    parms.gammaRed = parms.gammaGreen = parms.gammaBlue = 1.8;
    write("Before", 1);
    const std::string before = colourDir() + "Before.icm";
    ASSERT_TRUE(UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>(before.c_str()), ICM_QUERYPROFILE));
    spx::test::failValueWrites(root(), "INSERT", "ICMProfile");
    spx::test::failValueWrites(root(), "UPDATE", "ICMProfile");

    for (double gamma : {1.8, 2.2}) {  // 2.2: the sRGB rule registers two profiles
        SCOPED_TRACE(gamma);
        parms.gammaRed = parms.gammaGreen = parms.gammaBlue = gamma;
        write("After", 1);
        EXPECT_TRUE(winplat::fileExists(colourPath("After.icm").c_str())) << "the file is written";
        const std::string after = colourDir() + "After.icm";
        EXPECT_FALSE(UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>(after.c_str()), ICM_QUERYPROFILE));
        EXPECT_FALSE(UpdateICMRegKeyA(0, nullptr, const_cast<LPSTR>(srgb.c_str()), ICM_QUERYPROFILE));
        char recorded[MAX_PATH] = "";
        GetSpectrineMonitorICMName(recorded, sizeof recorded);
        EXPECT_EQ(std::string(recorded), before);
    }
}

}  // namespace
