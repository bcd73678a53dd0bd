// Whole monitor profiles as the builders write them (eleven tags, 32-entry or one-entry curves):
// exact bytes, and Little CMS reads back what was meant and converts colours with them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "icc_support.h"

#ifdef SPX_HAVE_LCMS2
#include <lcms2.h>
#endif

namespace icctest {
namespace {

class MonitorProfileTest : public IccWriterTest {};

struct Colorant {
    const char* sig;
    double x, y, z;
};
// sRGB primaries adapted to D50, and the D50 white.
const Colorant kColorants[] = {{"wtpt", 0.9642, 1.0, 0.8249},
                               {"rXYZ", 0.4361, 0.2225, 0.0139},
                               {"gXYZ", 0.3851, 0.7169, 0.0971},
                               {"bXYZ", 0.1431, 0.0606, 0.7141}};

std::int32_t s15(double v) { return static_cast<std::int32_t>(v * 65536); }

// The builders' 32-entry curve for gamma g and offset o.
std::vector<std::uint16_t> builderCurve(double g, double o) {
    std::vector<std::uint16_t> c;
    for (int i = 0; i < 32; ++i) {
        const double t = std::floor(i * 65535.0 / 31) / 65535;
        const double base = o + (1 - o) * t;
        c.push_back(base <= 0 ? 0
                              : static_cast<std::uint16_t>(
                                    std::min(65535.0, std::trunc(65535 * std::pow(base, g) + 0.5))));
    }
    return c;
}

const char* const kK007 = "Temperature:\t6500K\r\nGamma:\t\t2.2\r\nLighting:\t\tD50 Daylight";
const char* const kDesc = "Spectrine: Kalvenmor Model 17 Professional Series with a name longer than 67";
const char* const kCopyright = "Copyright (c) Kalvenmor";

// Adds the eleven tags in the builders' order; `curves` gives each channel's entries.
void fill(SpProfileHandle p, const std::vector<std::uint16_t> (&curves)[3]) {
    SpHeader h;
    ASSERT_EQ(SpProfileGetHeader(p, &h), SP_OK);
    ASSERT_EQ(SpProfileSetHeader(p, &h), SP_OK);
    ASSERT_EQ(SetDateTimeTag(p, "calt", h.dateTime[0], h.dateTime[1], h.dateTime[2],
                             h.dateTime[3], h.dateTime[4], h.dateTime[5]),
              SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", kCopyright), SP_OK);
    ASSERT_EQ(SetTextDescTag(p, "K007", kK007), SP_OK);
    ASSERT_EQ(SetTextDescTag(p, "desc", kDesc), SP_OK);
    for (const Colorant& c : kColorants)
        ASSERT_EQ(SetXYZTag(p, c.sig, s15(c.x), s15(c.y), s15(c.z)), SP_OK);
    const char* trc[] = {"rTRC", "gTRC", "bTRC"};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(SetCurveTag(p, trc[i], curves[i].data(),
                              static_cast<std::uint32_t>(curves[i].size())),
                  SP_OK);
}

Bytes expectedMonitorProfile(const std::vector<std::uint16_t> (&curves)[3]) {
    // ASCII counts 57 (fits the 67-byte ScriptCode area, repeated) and 77 (does not: 0).
    std::vector<ExpectedTag> tags = {{"calt", dateTimeData(kTestClock)},
                                     {"cprt", textData(kCopyright)},
                                     {"K007", descData(kK007, 57)},
                                     {"desc", descData(kDesc, 0)}};
    for (const Colorant& c : kColorants) tags.push_back({c.sig, xyzData(s15(c.x), s15(c.y), s15(c.z))});
    tags.push_back({"rTRC", curveData(curves[0])});
    tags.push_back({"gTRC", curveData(curves[1])});
    tags.push_back({"bTRC", curveData(curves[2])});
    return expectedProfile(templateHeader(), tags);
}

#ifdef SPX_HAVE_LCMS2
cmsTagSignature sigOf(const char* s) {
    return static_cast<cmsTagSignature>(std::uint32_t(std::uint8_t(s[0])) << 24 |
                                        std::uint32_t(std::uint8_t(s[1])) << 16 |
                                        std::uint32_t(std::uint8_t(s[2])) << 8 |
                                        std::uint8_t(s[3]));
}

std::string mluText(cmsHPROFILE h, const char* sig) {
    auto* mlu = static_cast<cmsMLU*>(cmsReadTag(h, sigOf(sig)));
    if (!mlu) return "<no tag>";
    std::string text(cmsMLUgetASCII(mlu, "en", "US", nullptr, 0), '\0');
    cmsMLUgetASCII(mlu, "en", "US", text.data(), static_cast<cmsUInt32Number>(text.size()));
    return text.c_str();
}

// What Little CMS makes of the profile's tags, and a conversion of a few colours to sRGB.
void expectLcmsMeaning(const std::string& path, const std::vector<std::uint16_t> (&curves)[3]) {
    cmsHPROFILE h = cmsOpenProfileFromFile(path.c_str(), "r");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(mluText(h, "desc"), kDesc);
    EXPECT_EQ(mluText(h, "cprt"), kCopyright);
    auto* calt = static_cast<const struct tm*>(cmsReadTag(h, cmsSigCalibrationDateTimeTag));
    ASSERT_NE(calt, nullptr);
    EXPECT_EQ(calt->tm_year + 1900, kTestClock.year);
    EXPECT_EQ(calt->tm_mon + 1, kTestClock.month);
    EXPECT_EQ(calt->tm_mday, kTestClock.day);
    EXPECT_EQ(calt->tm_hour, kTestClock.hour);
    EXPECT_EQ(calt->tm_min, kTestClock.minute);
    EXPECT_EQ(calt->tm_sec, kTestClock.second);
    for (const Colorant& c : kColorants) {
        SCOPED_TRACE(c.sig);
        auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(h, sigOf(c.sig)));
        ASSERT_NE(xyz, nullptr);
        EXPECT_NEAR(xyz->X, c.x, 1.0 / 65536);
        EXPECT_NEAR(xyz->Y, c.y, 1.0 / 65536);
        EXPECT_NEAR(xyz->Z, c.z, 1.0 / 65536);
    }
    const char* trc[] = {"rTRC", "gTRC", "bTRC"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(trc[i]);
        auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(h, sigOf(trc[i])));
        ASSERT_NE(curve, nullptr);
        if (curves[i].size() == 1) {
            EXPECT_NEAR(cmsEstimateGamma(curve, 0.01), curves[i][0] / 256.0, 0.01);
        } else {
            ASSERT_EQ(cmsGetToneCurveEstimatedTableEntries(curve), curves[i].size());
            const cmsUInt16Number* table = cmsGetToneCurveEstimatedTable(curve);
            EXPECT_TRUE(std::equal(curves[i].begin(), curves[i].end(), table));
        }
    }

    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(h, TYPE_RGB_8, srgb, TYPE_RGB_8,
                                         INTENT_RELATIVE_COLORIMETRIC, 0);
    ASSERT_NE(t, nullptr);
    const std::uint8_t in[] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 255, 0, 0};
    std::uint8_t out[12] = {};
    cmsDoTransform(t, in, out, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(out[i], 252) << "white";
        EXPECT_LE(out[3 + i], 3) << "black";
        EXPECT_NEAR(out[6 + i], 129, 4) << "grey";
    }
    EXPECT_GE(out[9], 250) << "red";
    EXPECT_LE(out[10], 8) << "red";
    EXPECT_LE(out[11], 8) << "red";
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(h);
}
#endif

TEST_F(MonitorProfileTest, ThirtyTwoEntryCurves) {
    const std::vector<std::uint16_t> curves[3] = {builderCurve(2.2, 0.0), builderCurve(2.2, 0.0),
                                                  builderCurve(2.2, 0.0)};
    ASSERT_EQ(curves[0].front(), 0);
    ASSERT_EQ(curves[0].back(), 65535);
    ProfilePtr p = newProfile();
    fill(p, curves);
    const std::string path = colorPath("Spectrine95.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedMonitorProfile(curves));
    expectReadersAccept(path);
#ifdef SPX_HAVE_LCMS2
    expectLcmsMeaning(path, curves);
#endif
}

// The mini profile of the builders: one gamma per channel.
TEST_F(MonitorProfileTest, OneEntryCurves) {
    const std::vector<std::uint16_t> curves[3] = {{563}, {563}, {563}};
    ProfilePtr p = newProfile();
    fill(p, curves);
    const std::string path = colorPath("ADOBEmini.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedMonitorProfile(curves));
    expectReadersAccept(path);
#ifdef SPX_HAVE_LCMS2
    expectLcmsMeaning(path, curves);
#endif
}

}  // namespace
}  // namespace icctest
