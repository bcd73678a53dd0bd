// Model records built from EDID blocks.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "records_internal.h"
#include "vltutil.h"

namespace {

using Edid = std::array<unsigned char, 128>;

// A valid block: the fixed header, the given bytes, and the checksum in byte 127.
Edid block(std::initializer_list<std::pair<int, unsigned char>> bytes) {
    Edid e{};
    const unsigned char header[8] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00};
    std::memcpy(e.data(), header, 8);
    for (auto [at, value] : bytes) e[at] = value;
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += e[i];
    e[127] = static_cast<unsigned char>(-sum & 0xff);
    return e;
}

// The standard example: 32 x 24 cm, 1280 x 1024 established, chromaticities with low bits.
Edid example() {
    return block({{21, 32}, {22, 24}, {36, 0x01}, {25, 0xE4}, {26, 0x60}, {27, 0xA0}, {28, 0x54},
                  {29, 0x4C}, {30, 0x9A}, {31, 0x26}, {32, 0x10}});
}

std::string build(const Edid& e, const char* description = "Plug and Play Monitor", bool* ok = nullptr) {
    char out[600];
    std::memset(out, 0xbd, sizeof out);
    bool r = vlt::buildEdidRecord(e.data(), e.size(), description, out, sizeof out);
    if (ok) *ok = r;
    return out;
}

TEST(EdidRecord, WorkedExample) {
    bool ok = false;
    EXPECT_EQ(build(example(), "Plug and Play Monitor", &ok),
              "PnP VESA DDC -, Plug and Play Monitor, 1259, 944, 1, 0.6279, 0.3301, 0.2979, 0.6016, 0.1494, "
              "0.0645, 0.27");
    EXPECT_TRUE(ok);
}

TEST(EdidRecord, ChromaticityBitsFromTheirOwnPlaces) {
    // Without the shared low bits.
    Edid e = block({{21, 32}, {22, 24}, {36, 0x01}, {27, 0xA0}, {28, 0x54}, {29, 0x4C}, {30, 0x9A}, {31, 0x26}, {32, 0x10}});
    EXPECT_EQ(build(e, "M"), "PnP VESA DDC -, M, 1259, 944, 1, 0.6250, 0.3281, 0.2969, 0.6016, 0.1484, 0.0625, 0.27");
    // Each pair of low bits moves only its own coordinate: one bit pair at a time.
    const struct {
        int byte, shift, field;
    } pairs[] = {{25, 6, 0}, {25, 4, 1}, {25, 2, 2}, {25, 0, 3}, {26, 6, 4}, {26, 4, 5}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(testing::Message() << "byte " << p.byte << " shift " << p.shift);
        Edid one = block({{21, 32}, {27 + p.field, 0x80}, {p.byte, static_cast<unsigned char>(3 << p.shift)}});
        std::string values[6];
        for (int f = 0; f < 6; ++f) values[f] = f == p.field ? "0.5029" : "0.0000";
        EXPECT_EQ(build(one, "M"), "PnP VESA DDC -, M, 1259, 0, 1, " + values[0] + ", " + values[1] + ", " +
                                       values[2] + ", " + values[3] + ", " + values[4] + ", " + values[5] +
                                       ", 0.52");
    }
    // Bits 3-0 of byte 26 belong to the white point, not to a primary.
    Edid white = block({{26, 0x0f}});
    EXPECT_EQ(build(white, "M"), "PnP VESA DDC -, M, 0, 0, 1, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.02");
}

TEST(EdidRecord, EstablishedTimingsFirstMatchWins) {
    const struct {
        unsigned char t1, t2, t3;
        const char* pitch;  // for 32 cm: 1280 0.27, 1152 0.29, 1024 0.33, 800 0.42, 720 0.46, 640 0.52
    } cases[] = {
        {0xff, 0xff, 0xff, "0.27"}, {0x00, 0x01, 0x00, "0.27"}, {0xff, 0xfe, 0xff, "0.29"},
        {0x00, 0x00, 0x80, "0.29"}, {0xff, 0xfe, 0x7f, "0.33"}, {0x00, 0x02, 0x00, "0.33"},
        {0x00, 0x04, 0x00, "0.33"}, {0x00, 0x08, 0x00, "0.33"}, {0x00, 0x10, 0x00, "0.33"},
        {0x00, 0x20, 0x00, "0.33"}, {0xff, 0xc0, 0x7f, "0.42"}, {0x00, 0x40, 0x00, "0.42"},
        {0x00, 0x80, 0x00, "0.42"}, {0x01, 0x00, 0x00, "0.42"}, {0x02, 0x00, 0x00, "0.42"},
        {0xfc, 0x00, 0x7f, "0.46"}, {0x40, 0x00, 0x00, "0.46"}, {0x80, 0x00, 0x00, "0.46"},
        {0x3c, 0x00, 0x7f, "0.52"}, {0x00, 0x00, 0x00, "0.52"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.t1) << " " << int(c.t2) << " " << int(c.t3));
        Edid e = block({{21, 32}, {22, 24}, {35, c.t1}, {36, c.t2}, {37, c.t3}});
        EXPECT_EQ(build(e, "M"), std::string("PnP VESA DDC -, M, 1259, 944, 1, 0.0000, 0.0000, 0.0000, 0.0000, "
                                             "0.0000, 0.0000, ") + c.pitch);
    }
}

TEST(EdidRecord, SizesAtTheirLimits) {
    Edid e = block({{21, 255}, {22, 1}});
    // 255 cm: 10039 hundredths of an inch; at 640 pixels (3984 + 20) / 10 = 400 hundredths of a mm.
    EXPECT_EQ(build(e, ""), "PnP VESA DDC -, , 10039, 39, 1, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000, 4.00");
    Edid full = block({{25, 0xff}, {26, 0xff}, {27, 0xff}, {28, 0xff}, {29, 0xff}, {30, 0xff}, {31, 0xff}, {32, 0xff}});
    EXPECT_EQ(build(full, "M"), "PnP VESA DDC -, M, 0, 0, 1, 0.9990, 0.9990, 0.9990, 0.9990, 0.9990, 0.9990, 0.02");
}

TEST(EdidRecord, HeaderAndChecksumChecks) {
    const struct {
        const char* name;
        int at;
        int delta;
    } cases[] = {
        {"byte 0 not zero", 0, 1},  {"byte 1 not 255", 1, -1}, {"byte 6 not 255", 6, -1},
        {"byte 7 not zero", 7, 1},  {"checksum byte", 127, 1}, {"a data byte", 40, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Edid e = example();
        e[c.at] = static_cast<unsigned char>(e[c.at] + c.delta);
        if (c.at < 8) e[127] = static_cast<unsigned char>(e[127] - c.delta);  // checksum still right
        bool ok = true;
        EXPECT_EQ(build(e, "M", &ok), "");
        EXPECT_FALSE(ok);
    }
    char out[8];
    std::memset(out, 0xbd, sizeof out);
    Edid e = example();
    EXPECT_FALSE(vlt::buildEdidRecord(e.data(), 127, "M", out, sizeof out));
    EXPECT_EQ(out[0], '\0');
    EXPECT_FALSE(vlt::buildEdidRecord(e.data(), 256, "M", out, sizeof out));
    EXPECT_FALSE(vlt::buildEdidRecord(nullptr, 128, "M", out, sizeof out));
    EXPECT_FALSE(vlt::buildEdidRecord(e.data(), 128, "M", nullptr, 0));
}

TEST(EdidRecord, OutputIsCutToItsSize) {
    char out[21];
    std::memset(out, 0xbd, sizeof out);
    Edid e = example();
    EXPECT_TRUE(vlt::buildEdidRecord(e.data(), e.size(), "Monitor", out, 20));
    EXPECT_STREQ(out, "PnP VESA DDC -, Mon");
    EXPECT_EQ(static_cast<unsigned char>(out[20]), 0xbd);
    std::string longName(600, 'n');
    EXPECT_EQ(build(e, longName.c_str()).size(), 599u);
}

}  // namespace
