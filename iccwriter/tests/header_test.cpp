// The header record: template values, the creation stamp from the platform's local time, the
// ten numbers in host order, and the file's big-endian header.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

#include "icc_support.h"
#include "win32.h"
#include "winplat.h"

namespace icctest {
namespace {

class HeaderTest : public IccWriterTest {};

// The record of a new profile, written out field by field.
SpHeader templateRecord(const Clock& c) {
    SpHeader h;
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.cmmType, "KALV", 4);
    h.version[0] = 2;
    std::memcpy(h.deviceClass, "mntr", 4);
    std::memcpy(h.colorSpace, "RGB ", 4);
    std::memcpy(h.connectionSpace, "XYZ ", 4);
    const std::uint16_t dt[6] = {c.year, c.month, c.day, c.hour, c.minute, c.second};
    std::memcpy(h.dateTime, dt, sizeof dt);
    std::memcpy(h.signature, "acsp", 4);
    std::memcpy(h.platform, "MSFT", 4);
    std::memcpy(h.manufacturer, "none", 4);
    h.illuminant[0] = 63189;
    h.illuminant[1] = 65536;
    h.illuminant[2] = 54059;
    return h;
}

void expectSameRecord(const SpHeader& actual, const SpHeader& expected) {
    const auto* a = reinterpret_cast<const std::uint8_t*>(&actual);
    const auto* e = reinterpret_cast<const std::uint8_t*>(&expected);
    for (std::size_t i = 0; i < sizeof(SpHeader); ++i)
        if (a[i] != e[i]) {
            ADD_FAILURE() << "record byte " << i << ": got " << int(a[i]) << ", expected "
                          << int(e[i]);
            return;
        }
}

TEST_F(HeaderTest, NewProfileHasTheTemplateStampedWithLocalTime) {
    ProfilePtr p = newProfile();
    SpHeader h;
    std::memset(&h, 0xBD, sizeof h);
    ASSERT_EQ(SpProfileGetHeader(p, &h), SP_OK);
    expectSameRecord(h, templateRecord(kTestClock));
    EXPECT_EQ(h.dateTime[0], 2003);
    EXPECT_EQ(h.dateTime[5], 8);
    EXPECT_EQ(h.renderingIntent, 0u);
    EXPECT_EQ(h.illuminant[0], 0xF6D5);
    EXPECT_EQ(h.illuminant[1], 0x10000);
    EXPECT_EQ(h.illuminant[2], 0xD32B);
}

TEST_F(HeaderTest, StampFollowsTheClock) {
    const struct {
        const char* clock;
        Clock expected;
    } cases[] = {{"1999-12-31T23:59:59", {1999, 12, 31, 23, 59, 59}},
                 {"2000-02-29T00:00:00", {2000, 2, 29, 0, 0, 0}},
                 {"2038-01-19T03:14:07", {2038, 1, 19, 3, 14, 7}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clock);
        setenv("SPECTRINE_FAKE_TIME", c.clock, 1);
        ProfilePtr p = newProfile();
        SpHeader h;
        std::memset(&h, 0xBD, sizeof h);
        ASSERT_EQ(SpProfileGetHeader(p, &h), SP_OK);
        expectSameRecord(h, templateRecord(c.expected));

        const std::string path = colorPath("stamp.icm");
        ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
        expectFileBytes(path, Bytes().be32(132).append(templateHeader(c.expected)).be32(0));
        expectReadersAccept(path);
    }
}

TEST_F(HeaderTest, StampWithoutTestClockIsTheCurrentLocalTime) {
    unsetenv("SPECTRINE_FAKE_TIME");
    auto asTuple = [](const SYSTEMTIME& t) {
        return std::make_tuple(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    };
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    ProfilePtr p = newProfile();
    GetLocalTime(&after);
    ASSERT_GE(before.wYear, 2020);

    SpHeader h;
    ASSERT_EQ(SpProfileGetHeader(p, &h), SP_OK);
    const auto stamp = std::make_tuple(h.dateTime[0], h.dateTime[1], h.dateTime[2],
                                       h.dateTime[3], h.dateTime[4], h.dateTime[5]);
    EXPECT_LE(asTuple(before), stamp);
    EXPECT_LE(stamp, asTuple(after));
}

// A record with a different value in every byte.
SpHeader patternRecord() {
    SpHeader h;
    auto* b = reinterpret_cast<std::uint8_t*>(&h);
    for (std::size_t i = 0; i < sizeof h; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::uint16_t dt[6] = {1998, 7, 14, 13, 45, 0x0102};
    std::memcpy(h.dateTime, dt, sizeof dt);
    h.renderingIntent = 0x01020304;
    h.illuminant[0] = -2;
    h.illuminant[1] = 0x7FFF0001;
    h.illuminant[2] = static_cast<std::int32_t>(0x80000000u);
    return h;
}

TEST_F(HeaderTest, SetThenGetReturnsTheSameRecord) {
    ProfilePtr p = newProfile();
    const SpHeader original = patternRecord();
    SpHeader record = original;
    ASSERT_EQ(SpProfileSetHeader(p, &record), SP_OK);
    expectSameRecord(record, original);  // the caller's record is read only

    SpHeader back;
    std::memset(&back, 0xBD, sizeof back);
    ASSERT_EQ(SpProfileGetHeader(p, &back), SP_OK);
    expectSameRecord(back, original);

    // Get and set again: still the same.
    ASSERT_EQ(SpProfileSetHeader(p, &back), SP_OK);
    SpHeader again;
    std::memset(&again, 0xBD, sizeof again);
    ASSERT_EQ(SpProfileGetHeader(p, &again), SP_OK);
    expectSameRecord(again, original);
}

// Bytes 4..127 of the file are the record with the ten numbers big-endian, whatever they hold.
TEST_F(HeaderTest, EveryRecordByteReachesTheFile) {
    ProfilePtr p = newProfile();
    SpHeader h = patternRecord();
    std::memcpy(h.signature, "acsp", 4);  // readers insist on these
    const std::uint8_t v2[4] = {2, 0, 0, 0};
    std::memcpy(h.version, v2, 4);
    std::memcpy(h.deviceClass, "mntr", 4);
    std::memcpy(h.colorSpace, "RGB ", 4);
    std::memcpy(h.connectionSpace, "XYZ ", 4);
    ASSERT_EQ(SpProfileSetHeader(p, &h), SP_OK);
    const std::string path = colorPath("pattern.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    // Bytes 4..127 are the record, with the ten numbers turned big-endian.
    Bytes header;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&h);
    for (std::size_t i = 0; i < 20; ++i) header.u8(b[i]);
    for (std::uint16_t v : h.dateTime) header.be16(v);
    for (std::size_t i = 32; i < 60; ++i) header.u8(b[i]);
    header.be32(h.renderingIntent);
    for (std::int32_t v : h.illuminant) header.be32(static_cast<std::uint32_t>(v));
    for (std::size_t i = 76; i < 124; ++i) header.u8(b[i]);
    expectFileBytes(path, Bytes().be32(132).append(header).be32(0));
    expectReadersAccept(path);
}

TEST_F(HeaderTest, LaterSetReplacesEarlierAndTagsStay) {
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetXYZTag(p, "wtpt", 1, 2, 3), SP_OK);
    SpHeader h;
    ASSERT_EQ(SpProfileGetHeader(p, &h), SP_OK);
    h.renderingIntent = 1;
    ASSERT_EQ(SpProfileSetHeader(p, &h), SP_OK);
    h.renderingIntent = 2;
    ASSERT_EQ(SpProfileSetHeader(p, &h), SP_OK);
    const std::string path = colorPath("twice.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes header = templateHeader();
    header.patchBe32(60, 2);
    expectFileBytes(path, expectedProfile(header, {{"wtpt", xyzData(1, 2, 3)}}));
    expectReadersAccept(path);
}

TEST_F(HeaderTest, NullArgumentsFailAndChangeNothing) {
    ProfilePtr p = newProfile();
    SpHeader h;
    std::memset(&h, 0xBD, sizeof h);
    EXPECT_EQ(SpProfileGetHeader(nullptr, &h), SP_FAILED);
    const auto* b = reinterpret_cast<const std::uint8_t*>(&h);
    for (std::size_t i = 0; i < sizeof h; ++i) ASSERT_EQ(b[i], 0xBD) << "byte " << i;
    EXPECT_EQ(SpProfileGetHeader(p, nullptr), SP_FAILED);
    EXPECT_EQ(SpProfileSetHeader(nullptr, &h), SP_FAILED);
    EXPECT_EQ(SpProfileSetHeader(p, nullptr), SP_FAILED);
    EXPECT_EQ(SpProfileGetHeader(nullptr, nullptr), SP_FAILED);
    EXPECT_EQ(SpProfileSetHeader(nullptr, nullptr), SP_FAILED);

    SpHeader back;
    ASSERT_EQ(SpProfileGetHeader(p, &back), SP_OK);
    expectSameRecord(back, templateRecord(kTestClock));
}

TEST_F(HeaderTest, ProfilesHaveTheirOwnHeaders) {
    ProfilePtr a = newProfile();
    ProfilePtr b = newProfile();
    SpHeader h;
    ASSERT_EQ(SpProfileGetHeader(a, &h), SP_OK);
    h.renderingIntent = 2;
    ASSERT_EQ(SpProfileSetHeader(a, &h), SP_OK);
    ASSERT_EQ(SpProfileGetHeader(b, &h), SP_OK);
    EXPECT_EQ(h.renderingIntent, 0u);
}

}  // namespace
}  // namespace icctest
