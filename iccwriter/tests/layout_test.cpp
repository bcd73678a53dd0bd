// Whole files, byte by byte: size field, header, tag table at 132, tag data on 4-byte
// boundaries with the sizes the table records.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "icc_support.h"

namespace icctest {
namespace {

class LayoutTest : public IccWriterTest {};

TEST_F(LayoutTest, ProfileWithoutTagsIs132Bytes) {
    ProfilePtr p = newProfile();
    const std::string path = colorPath("empty.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes expected;
    expected.be32(132).append(templateHeader()).be32(0);
    ASSERT_EQ(expected.size(), 132u);
    expectFileBytes(path, expected);
    expectReadersAccept(path);
}

// One tag of each kind; the odd curve and the description are followed by two padding bytes.
// Offsets and sizes are written out by hand.
TEST_F(LayoutTest, OneTagOfEachKind) {
    ProfilePtr p = newProfile();
    const std::uint16_t curve[] = {0x0000, 0x8000, 0xFFFF};
    ASSERT_EQ(SetCurveTag(p, "rTRC", curve, 3), SP_OK);
    ASSERT_EQ(SetXYZTag(p, "wtpt", 0xF6D5, 0x10000, 0xD32B), SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", "abc"), SP_OK);
    ASSERT_EQ(SetTextDescTag(p, "desc", "abc"), SP_OK);
    ASSERT_EQ(SetDateTimeTag(p, "calt", 2003, 4, 5, 6, 7, 8), SP_OK);
    const std::string path = colorPath("kinds.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes e;
    e.be32(360).append(templateHeader()).be32(5);
    e.chars("rTRC").be32(192).be32(18);
    e.chars("wtpt").be32(212).be32(20);
    e.chars("cprt").be32(232).be32(12);
    e.chars("desc").be32(244).be32(94);
    e.chars("calt").be32(340).be32(20);
    ASSERT_EQ(e.size(), 192u);
    e.chars("curv").zeros(4).be32(3).be16(0x0000).be16(0x8000).be16(0xFFFF);
    e.zeros(2);  // 210 -> 212
    e.chars("XYZ ").zeros(4).be32(0xF6D5).be32(0x10000).be32(0xD32B);
    e.chars("text").zeros(4).chars("abc").u8(0);
    e.chars("desc").zeros(4).be32(4).chars("abc").u8(0);
    e.be32(0).be32(0).be16(0).u8(4).zeros(67);
    e.zeros(2);  // 338 -> 340
    e.chars("dtim").zeros(4).be16(2003).be16(4).be16(5).be16(6).be16(7).be16(8);
    ASSERT_EQ(e.size(), 360u);
    expectFileBytes(path, e);
    expectReadersAccept(path);
}

TEST_F(LayoutTest, CurveWithOneEntryHoldsAGamma) {
    ProfilePtr p = newProfile();
    const std::uint16_t gamma22 = 563;  // 2.2 x 256, truncated
    const std::uint16_t gamma18 = 460;
    ASSERT_EQ(SetCurveTag(p, "rTRC", &gamma22, 1), SP_OK);
    ASSERT_EQ(SetCurveTag(p, "gTRC", &gamma18, 1), SP_OK);
    const std::string path = colorPath("gamma.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes e;
    e.be32(186).append(templateHeader()).be32(2);
    e.chars("rTRC").be32(156).be32(14);
    e.chars("gTRC").be32(172).be32(14);
    e.chars("curv").zeros(4).be32(1).be16(0x0233).zeros(2);
    e.chars("curv").zeros(4).be32(1).be16(0x01CC);
    expectFileBytes(path, e);
    expectReadersAccept(path);
}

TEST_F(LayoutTest, CurveWithNoEntriesIs12Bytes) {
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetCurveTag(p, "kTRC", nullptr, 0), SP_OK);
    const std::uint16_t one = 0x1234;
    ASSERT_EQ(SetCurveTag(p, "rTRC", &one, 0), SP_OK);  // the array is not read
    const std::string path = colorPath("identity.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes e;
    e.be32(180).append(templateHeader()).be32(2);
    e.chars("kTRC").be32(156).be32(12);
    e.chars("rTRC").be32(168).be32(12);
    e.chars("curv").zeros(4).be32(0);
    e.chars("curv").zeros(4).be32(0);
    expectFileBytes(path, e);
    expectReadersAccept(path);
}

TEST_F(LayoutTest, TextIsPaddedToAMultipleOfFour) {
    struct Case {
        const char* text;
        std::uint32_t size;
    };
    const Case cases[] = {{"", 12}, {"a", 12}, {"ab", 12}, {"abc", 12}, {"abcd", 16},
                          {"abcdefg", 16}, {"abcdefgh", 20}, {"Copyright (c) Kalvenmor", 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "text \"" << c.text << "\"");
        ProfilePtr p = newProfile();
        ASSERT_EQ(SetTextTag(p, "cprt", c.text), SP_OK);
        const std::string path = colorPath("text.icm");
        ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

        Bytes e;
        e.be32(144 + c.size).append(templateHeader()).be32(1);
        e.chars("cprt").be32(144).be32(c.size);
        e.chars("text").zeros(4).chars(c.text);
        e.zeros(c.size - 8 - std::string_view(c.text).size());
        expectFileBytes(path, e);
        expectReadersAccept(path);
    }
}

TEST_F(LayoutTest, XYZNumbersAreSignedBigEndian) {
    struct Case {
        std::int32_t value;
        std::uint8_t bytes[4];
    };
    const Case cases[] = {{0, {0, 0, 0, 0}},
                          {1, {0, 0, 0, 1}},
                          {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
                          {0x12345678, {0x12, 0x34, 0x56, 0x78}},
                          {-65536, {0xFF, 0xFF, 0x00, 0x00}},
                          {INT32_MAX, {0x7F, 0xFF, 0xFF, 0xFF}},
                          {INT32_MIN, {0x80, 0x00, 0x00, 0x00}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "value " << c.value);
        ProfilePtr p = newProfile();
        ASSERT_EQ(SetXYZTag(p, "bkpt", c.value, 0x10000, c.value), SP_OK);
        const std::string path = colorPath("xyz.icm");
        ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

        Bytes e;
        e.be32(164).append(templateHeader()).be32(1).chars("bkpt").be32(144).be32(20);
        e.chars("XYZ ").zeros(4);
        for (std::uint8_t b : c.bytes) e.u8(b);
        e.be32(0x10000);
        for (std::uint8_t b : c.bytes) e.u8(b);
        expectFileBytes(path, e);
        expectReadersAccept(path);
    }
}

// Signatures are written with the caller's four bytes in their order; only four are read.
TEST_F(LayoutTest, SignaturesKeepCallersBytes) {
    ProfilePtr p = newProfile();
    const char raw[4] = {'\x01', 'Z', '\xFE', ' '};  // no terminator needed
    ASSERT_EQ(SetXYZTag(p, raw, 1, 2, 3), SP_OK);
    ASSERT_EQ(SetTextTag(p, "K007tail is ignored", "x"), SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", "y"), SP_OK);
    const std::string path = colorPath("order.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes e = expectedProfile(templateHeader(), {{std::string(raw, 4), xyzData(1, 2, 3)},
                                                 {"K007", textData("x")},
                                                 {"cprt", textData("y")}});
    expectFileBytes(path, e);
    expectReadersAccept(path);
}

// A repeated signature appends a second entry; nothing is merged or replaced. (Such a profile
// is the caller's mistake: Little CMS refuses to open it, iccdump lists both tags.)
TEST_F(LayoutTest, RepeatedSignatureIsAppended) {
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetTextTag(p, "cprt", "first"), SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", "second"), SP_OK);
    const std::string path = colorPath("twice.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    expectFileBytes(path, expectedProfile(templateHeader(), {{"cprt", textData("first")},
                                                             {"cprt", textData("second")}}));
    const std::string dump = expectIccdumpAccepts(path);
    if (!dump.empty()) {
        EXPECT_NE(dump.find("first"), std::string::npos);
        EXPECT_NE(dump.find("second"), std::string::npos);
    }
    expectLcmsRefuses(path, "Duplicate tag");
}

TEST_F(LayoutTest, DateTimeNumbersAreBigEndian) {
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetDateTimeTag(p, "calt", 0xFEDC, 12, 31, 23, 59, 0x0102), SP_OK);
    const std::string path = colorPath("calt.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    Bytes e;
    e.be32(164).append(templateHeader()).be32(1).chars("calt").be32(144).be32(20);
    e.chars("dtim").zeros(4);
    e.u8(0xFE).u8(0xDC).u8(0).u8(12).u8(0).u8(31).u8(0).u8(23).u8(0).u8(59).u8(1).u8(2);
    expectFileBytes(path, e);
    expectReadersAccept(path);
}

}  // namespace
}  // namespace icctest
