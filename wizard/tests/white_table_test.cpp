// The colour slider's white-point table: how N entries spread over the positions, the bytes and
// doubles between two entries (rising and falling), the "Default" entry and a colour held to
// the positions, values held to 0..1 and the table without entries.
#include <gtest/gtest.h>

#include <string>

#include "fake_suite.h"
#include "fresh_root.h"
#include "white_table.h"

namespace {

using huevista::WhiteTable;
using huevista::test::writeText;

class WhiteTableTest : public spx::test::FreshRootTest {
protected:
    // A table of `n` CRT entries for lighting 1: entry i = (i / 10, 1 - i / 10, 0.5); panels
    // lighting 1 entry 0 out of range.
    std::string write(const std::string& count, const std::string& defaults, int n) {
        std::string text = "[Whitepoint]\nNb Of Entries=" + count + "\nDefault=" + defaults + "\n";
        for (int i = 0; i < n; ++i)
            text += "CRT_1_" + std::to_string(i) + "=" + std::to_string(i / 10.0) + " , " +
                    std::to_string(1.0 - i / 10.0) + ",0.5\n";
        text += "LCD_1_0=1.5, -0.25, 0.5\n";
        const std::string path = root() + "/huevista.ini";
        writeText(path, text);
        return path;
    }
};

TEST_F(WhiteTableTest, EntriesSpreadOverThePositionsAsCTruncates) {
    const struct {
        const char* count;
        int perEntry, positions;
    } cases[] = {{"10", 5, 46}, {"5", 10, 41}, {"55", 1, 55}, {"54", 1, 54}, {"1", 54, 1}, {"0", 1, 1}, {"-3", 1, 1},
                 {"", 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("N = ") + c.count);
        const WhiteTable t = WhiteTable::load(write(c.count, "2, 3", 0));
        EXPECT_EQ(t.perEntry(), c.perEntry);
        EXPECT_EQ(t.positions(), c.positions);
    }
}

TEST_F(WhiteTableTest, APositionBetweenTwoEntriesIsInterpolatedAsBytesAndAsDoubles) {
    const WhiteTable t = WhiteTable::load(write("10", "2, 3", 10));
    // Position 12: entries 2 and 3 at 2/5. Red rises 51 -> 76, green falls 204 -> 178.
    const struct {
        int position;
        std::array<int, 3> bytes;
        std::array<double, 3> values;
    } cases[] = {{12, {51 + 2 * 25 / 5, 204 + 2 * (178 - 204) / 5, 127}, {0.2 + 0.1 * 2 / 5, 0.8 - 0.1 * 2 / 5, 0.5}},
                 {10, {51, 204, 127}, {0.2, 0.8, 0.5}},
                 {45, {229, 25, 127}, {0.9, 0.1, 0.5}},
                 {99, {229, 25, 127}, {0.9, 0.1, 0.5}},  // held to the last position
                 {-4, {0, 255, 127}, {0.0, 1.0, 0.5}}};
    for (const auto& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        EXPECT_EQ(t.bytesAt(0, 1, c.position), c.bytes);
        const auto v = t.valuesAt(0, 1, c.position);
        for (size_t ch = 0; ch < 3; ++ch) EXPECT_NEAR(v[ch], c.values[ch], 1e-12);
    }
    // Falling bytes truncate toward zero: 204 + 2 x (-26) / 5 = 204 - 10.
    EXPECT_EQ(t.bytesAt(0, 1, 12)[1], 194);
    // Another lighting or a lighting out of range is black; panel values are held to 0..1.
    EXPECT_EQ(t.bytesAt(0, 2, 12), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(t.bytesAt(0, 7, 12), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(t.bytesAt(1, 1, 0), (std::array<int, 3>{255, 0, 127}));
}

TEST_F(WhiteTableTest, TheDefaultEntryIsHeldToTheTable) {
    const struct {
        const char* defaults;
        int crt, panel;
    } cases[] = {{"2, 3", 10, 15}, {"9,0", 45, 0}, {"12, -1", 45, 0}, {"2147483647, 5", 45, 25}, {"x", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaults);
        const WhiteTable t = WhiteTable::load(write("10", c.defaults, 10));
        EXPECT_EQ(t.defaultPosition(0), c.crt);
        EXPECT_EQ(t.defaultPosition(1), c.panel);
    }
}

}  // namespace
