// The gains and biases kept for a USB monitor under "USB": WriteUSBValues and ReadUSBValues.
#include <gtest/gtest.h>

#include <string>

#include "fresh_root.h"
#include "registry_faults.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;
using UsbValues = FreshRootTest;

constexpr int kMarker = static_cast<int>(0xdeadbeef);

// The stored value as its registry type and its four bytes read as a signed integer.
struct Stored {
    DWORD type = 0;
    DWORD size = 0;
    int value = kMarker;
};
Stored stored(const char* name) {
    Stored s;
    DWORD v = 0;
    s.size = sizeof v;
    if (GetSpectrineRegValue("USB", name, &s.type, reinterpret_cast<BYTE*>(&v), &s.size) != ERROR_SUCCESS)
        return {};
    s.value = static_cast<int>(v);
    return s;
}

TEST_F(UsbValues, BiasesAreStoredNegatedAndReadBackAsStored) {
    EXPECT_EQ(WriteUSBValues(200, 201, 202, 5, 6, 7), ERROR_SUCCESS);
    const struct {
        const char* name;
        int value;
    } expected[] = {{"GainRed", 200}, {"GainGreen", 201}, {"GainBlue", 202},
                    {"BiasRed", -5},  {"BiasGreen", -6},  {"BiasBlue", -7}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        Stored s = stored(e.name);
        EXPECT_EQ(s.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(s.size, 4u);
        EXPECT_EQ(s.value, e.value);
    }
    int v[6] = {kMarker, kMarker, kMarker, kMarker, kMarker, kMarker};
    EXPECT_EQ(ReadUSBValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 6);
    EXPECT_EQ(v[0], 200);
    EXPECT_EQ(v[1], 201);
    EXPECT_EQ(v[2], 202);
    EXPECT_EQ(v[3], -5);
    EXPECT_EQ(v[4], -6);
    EXPECT_EQ(v[5], -7);
}

TEST_F(UsbValues, NegativeBiasesAndExtremesRoundTrip) {
    EXPECT_EQ(WriteUSBValues(0, 255, -1, -5, 0, -2147483647 - 1), ERROR_SUCCESS);
    EXPECT_EQ(stored("GainBlue").value, -1);
    EXPECT_EQ(stored("BiasRed").value, 5);
    EXPECT_EQ(stored("BiasGreen").value, 0);
    // The negation of the smallest integer wraps to itself in 32 bits.
    EXPECT_EQ(stored("BiasBlue").value, -2147483647 - 1);
    int v[6] = {kMarker, kMarker, kMarker, kMarker, kMarker, kMarker};
    EXPECT_EQ(ReadUSBValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 6);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 255);
    EXPECT_EQ(v[3], 5);
}

TEST_F(UsbValues, AbsentValuesLeaveTheirPointersAndNullPointersAreSkipped) {
    int v[6] = {kMarker, kMarker, kMarker, kMarker, kMarker, kMarker};
    EXPECT_EQ(ReadUSBValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
    for (int x : v) EXPECT_EQ(x, kMarker);

    DWORD gain = 180;
    ASSERT_EQ(WriteSpectrineRegValue("USB", "GainGreen", REG_DWORD, reinterpret_cast<BYTE*>(&gain), 4),
              ERROR_SUCCESS);
    // Of another type or size: absent.
    ASSERT_EQ(WriteSpectrineRegString("USB", "GainRed", "170"), 1);
    const BYTE twoBytes[2] = {1, 2};
    ASSERT_EQ(WriteSpectrineRegValue("USB", "BiasBlue", REG_DWORD, twoBytes, 2), ERROR_SUCCESS);
    EXPECT_EQ(ReadUSBValues(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 1);
    EXPECT_EQ(v[0], kMarker);
    EXPECT_EQ(v[1], 180);
    EXPECT_EQ(v[5], kMarker);

    EXPECT_EQ(ReadUSBValues(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    int green = kMarker;
    EXPECT_EQ(ReadUSBValues(nullptr, &green, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(green, 180);
}

TEST_F(UsbValues, WritingAgainReplacesEveryValue) {
    EXPECT_EQ(WriteUSBValues(1, 2, 3, 4, 5, 6), ERROR_SUCCESS);
    EXPECT_EQ(WriteUSBValues(7, 8, 9, 10, 11, 12), ERROR_SUCCESS);
    EXPECT_EQ(stored("GainRed").value, 7);
    EXPECT_EQ(stored("GainBlue").value, 9);
    EXPECT_EQ(stored("BiasRed").value, -10);
    EXPECT_EQ(stored("BiasBlue").value, -12);
}

// Every value is written, and a failed write is what the caller hears of, also when later
// writes succeed: the first failure's code, not the last write's.
TEST_F(UsbValues, TheFirstFailedWriteIsReported) {
    ASSERT_EQ(WriteUSBValues(1, 1, 1, 1, 1, 1), ERROR_SUCCESS);
    spx::test::failValueWrites(root(), "UPDATE", "GainGreen");
    EXPECT_EQ(WriteUSBValues(200, 201, 202, 5, 6, 7), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(stored("GainRed").value, 200);
    EXPECT_EQ(stored("GainGreen").value, 1);
    EXPECT_EQ(stored("BiasBlue").value, -7);
}

}  // namespace
