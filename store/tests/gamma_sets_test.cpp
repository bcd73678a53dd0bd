// Named gamma sets under "Calibration", a backslash and the set name.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "fresh_root.h"
#include "vltutil.h"

namespace {

using GammaSets = spx::test::FreshRootTest;

std::string raw(const char* subkey, const char* name, DWORD* type) {
    char buf[1024];
    DWORD size = sizeof buf;
    *type = 0xdeadbeef;
    if (GetSpectrineRegValue(subkey, name, type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
        return "<absent>";
    return std::string(buf, size);
}

struct Outputs {
    char description[SPECTRINE_GAMMA_TEXT_SIZE + 1];
    char trailing[SPECTRINE_GAMMA_TEXT_SIZE + 1];
    double red = 1234.5, green = 1234.5, blue = 1234.5;
    Outputs() {
        std::memset(description, 0xbd, sizeof description);
        std::memset(trailing, 0xbd, sizeof trailing);
    }
    int read(int n, const char* set) {
        return GetSpectrineGamma(n, set, description, &red, &green, &blue, trailing);
    }
};

TEST_F(GammaSets, RecordBytesAndReadBack) {
    ASSERT_EQ(WriteSpectrineGamma(2, "Printer", "Glossy", 2.2, 1.804, 2.0, "tail"), 1);
    DWORD type;
    EXPECT_EQ(raw("Calibration\\Printer", "2", &type), std::string("Glossy\0" "2.20\0" "1.80\0" "2.00\0" "tail\0\0", 28));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    Outputs o;
    EXPECT_EQ(o.read(2, "Printer"), 1);
    EXPECT_STREQ(o.description, "Glossy");
    EXPECT_STREQ(o.trailing, "tail");
    EXPECT_DOUBLE_EQ(o.red, 2.2);
    EXPECT_DOUBLE_EQ(o.green, 1.8);
    EXPECT_DOUBLE_EQ(o.blue, 2.0);
    EXPECT_EQ(static_cast<unsigned char>(o.description[7]), 0xbd);
}

TEST_F(GammaSets, DescriptionOnlyRecord) {
    ASSERT_EQ(WriteSpectrineGamma0(-1, "Set", "only"), 1);
    DWORD type;
    EXPECT_EQ(raw("Calibration\\Set", "-1", &type), std::string("only\0\0", 6));
    Outputs o;
    EXPECT_EQ(o.read(-1, "Set"), 1);
    EXPECT_STREQ(o.description, "only");
    EXPECT_STREQ(o.trailing, "");
    EXPECT_EQ(o.red, 0.0);
    EXPECT_EQ(o.green, 0.0);
    EXPECT_EQ(o.blue, 0.0);
}

TEST_F(GammaSets, NullOutputsAndNullTexts) {
    ASSERT_EQ(WriteSpectrineGamma(0, "S", nullptr, 1.0, 2.0, 3.0, nullptr), 1);
    DWORD type;
    EXPECT_EQ(raw("Calibration\\S", "0", &type), std::string("\0" "1.00\0" "2.00\0" "3.00\0" "\0\0", 18));
    double green = 0;
    EXPECT_EQ(GetSpectrineGamma(0, "S", nullptr, nullptr, &green, nullptr, nullptr), 1);
    EXPECT_EQ(green, 2.0);
    EXPECT_EQ(WriteSpectrineGamma(0, nullptr, "d", 1, 1, 1, "t"), 0);
    EXPECT_EQ(WriteSpectrineGamma0(0, nullptr, "d"), 0);
    EXPECT_EQ(GetSpectrineGamma(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(GammaSets, AbsentOrForeignRecordsLeaveOutputsAlone) {
    ASSERT_EQ(WriteSpectrineRegString("Calibration\\S", "1", "2.2"), 1);
    for (int n : {1, 2}) {
        SCOPED_TRACE(n);
        Outputs o;
        EXPECT_EQ(o.read(n, "S"), 0);
        EXPECT_EQ(static_cast<unsigned char>(o.description[0]), 0xbd);
        EXPECT_EQ(static_cast<unsigned char>(o.trailing[0]), 0xbd);
        EXPECT_EQ(o.red, 1234.5);
    }
    Outputs o;
    EXPECT_EQ(o.read(1, "Other"), 0);
}

TEST_F(GammaSets, LongTextsAreCutToTheOutputSize) {
    std::string longText(300, 'x');
    ASSERT_EQ(WriteSpectrineGamma(1, "S", longText.c_str(), 2.2, 2.2, 2.2, longText.c_str()), 1);
    Outputs o;
    EXPECT_EQ(o.read(1, "S"), 1);
    EXPECT_EQ(std::string(o.description), std::string(255, 'x'));
    EXPECT_EQ(std::string(o.trailing), std::string(255, 'x'));
    EXPECT_EQ(static_cast<unsigned char>(o.description[256]), 0xbd);
    EXPECT_EQ(static_cast<unsigned char>(o.trailing[256]), 0xbd);
    EXPECT_DOUBLE_EQ(o.blue, 2.2);
}

// Texts are stored cut to the 255 characters a reader takes; gammas no reader could read back
// are refused with 0 and the record stored before stays.
TEST_F(GammaSets, WhatCannotReadBackIsNeverWritten) {
    std::string longText(300, 'x');
    ASSERT_EQ(WriteSpectrineGamma(1, "S", longText.c_str(), 2.2, 2.2, 2.2, longText.c_str()), 1);
    DWORD type;
    const std::string before = raw("Calibration\\S", "1", &type);
    EXPECT_EQ(before, std::string(255, 'x') + std::string("\0" "2.20\0" "2.20\0" "2.20\0", 16) +
                          std::string(255, 'x') + std::string(2, '\0'));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double red, green, blue;
    } cases[] = {{"NaN", nan, 2.2, 2.2}, {"infinity", 2.2, inf, 2.2}, {"minus infinity", 2.2, 2.2, -inf},
                 {"three of 1e170, past 1024 bytes", 1e170, 1e170, 1e170}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteSpectrineGamma(1, "S", longText.c_str(), c.red, c.green, c.blue,
                                      longText.c_str()),
                  0);
        EXPECT_EQ(raw("Calibration\\S", "1", &type), before);
    }
    ASSERT_EQ(WriteSpectrineGamma0(2, "S", longText.c_str()), 1);
    EXPECT_EQ(raw("Calibration\\S", "2", &type), std::string(255, 'x') + std::string(2, '\0'));
}

}  // namespace
