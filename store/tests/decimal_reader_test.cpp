// The decimal and integer readers used for every number the store keeps as text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store_internal.h"

namespace {

double decimal(const std::string& text, size_t* consumed = nullptr) {
    // The reader may look at the terminator: it is part of the range.
    std::vector<char> terminated(text.begin(), text.end());
    terminated.push_back('\0');
    double v = -12345.0;
    const char* end = vlt::readDecimal(terminated.data(), terminated.data() + terminated.size(), v);
    if (consumed) *consumed = static_cast<size_t>(end - terminated.data());
    return v;
}

TEST(DecimalReader, FormattedNumbers) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"2.20000", 2.2}, {"  \t-0.31271", -0.31271}, {"6500", 6500}, {"0", 0}, {"", 0}, {".5", 0.5}, {"-", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_NEAR(decimal(c.text), c.value, 1e-12);
    }
}

TEST(DecimalReader, StopsAfterCommaOrAtTerminator) {
    size_t used = 0;
    EXPECT_DOUBLE_EQ(decimal("1.5,2.5", &used), 1.5);
    EXPECT_EQ(used, 4u) << "past the comma";
    EXPECT_DOUBLE_EQ(decimal("7", &used), 7.0);
    EXPECT_EQ(used, 1u) << "at the terminator";
}

TEST(DecimalReader, EveryOtherCharacterCountsAsADigit) {
    // 'A' is 17 above '0'; a second '.' is -2; no exponent is understood.
    EXPECT_DOUBLE_EQ(decimal("1A"), 1 * 10 + 17);
    EXPECT_DOUBLE_EQ(decimal("1.2.5"), 1 + 0.2 + (-2) * 0.01 + 5 * 0.001);
    EXPECT_DOUBLE_EQ(decimal("1e3"), 1 * 100 + ('e' - '0') * 10 + 3);
}

TEST(DecimalReader, WalksMultiStringElements) {
    const char record[] = "Desc\0" "0.64000,0.33000\0" "2.2\0";
    const char* end = record + sizeof record;
    const char* p = record + std::strlen(record) + 1;
    double a, b, c;
    p = vlt::readDecimal(p, end, a);
    p = vlt::readDecimal(p, end, b);
    p = vlt::readDecimal(p + 1, end, c);  // step over the element's terminator
    EXPECT_DOUBLE_EQ(a, 0.64);
    EXPECT_DOUBLE_EQ(b, 0.33);
    EXPECT_DOUBLE_EQ(c, 2.2);
}

TEST(DecimalReader, NeverReadsPastTheEnd) {
    const char unterminated[3] = {'9', '9', '9'};
    double v = 0;
    const char* p = vlt::readDecimal(unterminated, unterminated + 2, v);
    EXPECT_EQ(p, unterminated + 2);
    EXPECT_DOUBLE_EQ(v, 99);
    EXPECT_EQ(vlt::readDecimal(unterminated, unterminated, v), unterminated);
}

TEST(IntegerReader, DigitsUntilComma) {
    const char text[] = " 12,2026";
    int a = -1, b = -1;
    const char* p = vlt::readInteger(text, text + sizeof text, a);
    p = vlt::readInteger(p, text + sizeof text, b);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 2026);
    EXPECT_EQ(*p, '\0');
    const char odd[] = "-3";  // no sign: '-' is a digit of value -3
    vlt::readInteger(odd, odd + sizeof odd, a);
    EXPECT_EQ(a, -3 * 10 + 3);
}

TEST(IntegerReader, HugeNumbersWrapWithoutOverflowing) {
    std::string digits(400, '9');
    int v = 0;
    vlt::readInteger(digits.c_str(), digits.c_str() + digits.size(), v);
    uint32_t expected = 0;
    for (size_t i = 0; i < digits.size(); ++i) expected = expected * 10u + 9u;
    EXPECT_EQ(static_cast<uint32_t>(v), expected);
}

}  // namespace
