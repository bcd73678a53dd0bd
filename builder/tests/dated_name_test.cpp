// The dated profile name: the time suffix in English whatever the locale, the maker left out
// for plug-and-play monitors, characters no file name may hold, and "NoDateInProfileName".
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "dated_name.h"

namespace {

using namespace buildertest;

const double kTarget[3] = {2.2, 2.2, 2.2};

class DatedName : public BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        addStandardMonitor();
        storeCalibration(0, Calibration{});
        setLighting(3);
        ASSERT_EQ(WriteSpectrineOverallGamma(0.2, 0.7, 0.1, 2.2, 2.2, 2.2), 1);
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        BuilderTest::TearDown();
    }
    static void setClock(const char* time) { setenv("SPECTRINE_FAKE_TIME", time, 1); }
};

TEST_F(DatedName, TheSuffixIsEnglishWhateverTheLocale) {
    struct Case {
        const char* clock;
        const char* name;
    } cases[] = {
        {"1999-12-07T18:05:00", "Maker Model 6500K G2.2 .Dec 07 1999 - 06 05 PM"},
        {"2003-04-05T00:00:00", "Maker Model 6500K G2.2 .Apr 05 2003 - 12 00 AM"},
        {"2003-04-05T12:30:59", "Maker Model 6500K G2.2 .Apr 05 2003 - 12 30 PM"},
        {"2000-02-29T09:07:00", "Maker Model 6500K G2.2 .Feb 29 2000 - 09 07 AM"},
        {"2010-01-31T23:59:00", "Maker Model 6500K G2.2 .Jan 31 2010 - 11 59 PM"},
    };
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.clock << " in the " << locale << " locale");
            setClock(c.clock);
            EXPECT_EQ(builder::datedProfileName("Maker", "Model", 6500), c.name);
        }
    }
    // The example through the whole family: the file and the name recorded for the monitor.
    setClock("1999-12-07T18:05:00");
    ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
    char dated[MAX_PATH] = "";
    ASSERT_GT(GetWin98ProfileName(dated, sizeof dated), 0);
    EXPECT_STREQ(dated, "Kalvenmor Model 17 6500K G2.2 .Dec 07 1999 - 06 05 PM.icm");
    icctest::expectReadersAccept(colourPath(dated));
    if (!german) GTEST_SKIP() << "the de_DE.UTF-8 locale is missing (scripts/deps.sh test makes it): only the C locale was tried";
}

TEST_F(DatedName, PlugAndPlayMakersAndCharactersNoFileNameHolds) {
    setSettingsDword("NoDateInProfileName", 1);
    struct Case {
        const char* maker;
        const char* model;
        const char* name;
    } cases[] = {
        {"PnP Monitor", "Generic 17", "Generic 17 6500K G2.2"},
        {SPECTRINE_PNP_MONITOR_PREFIX, "SAM 0x1234", "SAM 0x1234 6500K G2.2"},
        {"pnp lower case", "M", "pnp lower case M 6500K G2.2"},
        {"Maker", "A/B", "Maker A_B 6500K G2.2"},
        {"Ma:ker", "\\/:*?<>|\"", "Ma_ker _________ 6500K G2.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(builder::datedProfileName(c.maker, c.model, 6500), c.name);
    }
    // Through ComputeProfiles with a plug-and-play line from the INF file.
    addMonitor(0, "Generic Plug and Play", std::string("PnP Monitor, Generic 17, 1, 2, 1, ") + kSrgbPrimaries);
    ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
    char dated[MAX_PATH] = "";
    GetWin98ProfileName(dated, sizeof dated);
    EXPECT_STREQ(dated, "Generic 17 6500K G2.2.icm");
    icctest::expectReadersAccept(colourPath(dated));
}

TEST_F(DatedName, WithoutTheDateRecomputingOverwritesTheSameFile) {
    struct Case {
        DWORD noDate;
        std::vector<std::string> files;
    } cases[] = {
        {0, {"Kalvenmor Model 17 6500K G2.2 .Apr 05 2003 - 06 07 AM.icm",
             "Kalvenmor Model 17 6500K G2.2 .May 06 2004 - 07 08 PM.icm"}},
        {1, {"Kalvenmor Model 17 6500K G2.2.icm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.noDate);
        std::filesystem::remove_all(colourPath(""));
        std::filesystem::create_directories(colourPath(""));
        setSettingsDword("NoDateInProfileName", c.noDate);
        setClock("2003-04-05T06:07:08");
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
        const auto first = icctest::readBytes(colourPath(c.files.front()));
        setClock("2004-05-06T19:08:09");
        ASSERT_EQ(ComputeProfiles(nullptr, "", kTarget, 6500, nullptr, 0x01, 0), 1);
        std::vector<std::string> dated;
        for (const std::string& f : colourFiles())
            if (f.rfind("Kalvenmor", 0) == 0) dated.push_back(f);
        EXPECT_EQ(dated, c.files);
        for (const std::string& f : dated) icctest::expectReadersAccept(colourPath(f));
        if (c.noDate) {
            EXPECT_NE(icctest::readBytes(colourPath(c.files.front())), first)
                << "the file holds the second profile (its creation time)";
        }
    }
}

}  // namespace
