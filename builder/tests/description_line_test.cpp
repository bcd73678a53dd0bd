// The monitor description line as the builders read it, quirks included.
#include <gtest/gtest.h>

#include <string>

#include "description_line.h"

namespace {

using builder::parseDescriptionLine;

TEST(DescriptionLine, FieldsAsTheBuildersReadThem) {
    struct Case {
        const char* name;
        const char* line;
        const char* manufacturer;
        const char* model;
        int number;
        double primaries[6];  // red x, red y, green x, green y, blue x, blue y
    } cases[] = {
        {"a model record", "Sony, Multiscan 17sf, 1280, 960, 1, 0.6250, 0.3400, 0.2800, 0.5950, 0.1550, 0.0700, 0.25",
         "Sony", "Multiscan 17sf", 1, {0.625, 0.34, 0.28, 0.595, 0.155, 0.07}},
        {"leading blanks and tabs skipped, trailing blanks kept", " \tA B ,\t Model ,1,2,\t7,.5 , 1.,2",
         "A B ", "Model ", 7, {0.5, 1.0, 2.0, 0, 0, 0}},
        {"every character of the integer counts as a digit", "M, X, 1, 2, 1a", "M", "X", 59, {}},
        {"no sign, no exponent, one decimal point", "M, X, 1, 2, 3, -0.5, 1e3, 0.1.2, 0.25x9, 7", "M", "X", 3,
         {0, 1, 0.1, 0.25, 7, 0}},
        {"missing fields read as empty and 0", "OnlyMaker", "OnlyMaker", "", 0, {}},
        {"empty line", "", "", "", 0, {}},
        {"empty fields", ",,,,,,", "", "", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const builder::DescriptionLine d = parseDescriptionLine(c.line);
        EXPECT_EQ(d.manufacturer, c.manufacturer);
        EXPECT_EQ(d.model, c.model);
        EXPECT_EQ(d.modelNumber, c.number);
        for (int k = 0; k < 3; ++k) {
            EXPECT_DOUBLE_EQ(d.primaries.x[k], c.primaries[2 * k]) << "x of primary " << k;
            EXPECT_DOUBLE_EQ(d.primaries.y[k], c.primaries[2 * k + 1]) << "y of primary " << k;
        }
    }
}

TEST(DescriptionLine, TextsAreCutToTheRecordsBuffers) {
    const std::string maker(300, 'm'), model(300, 'n');
    const builder::DescriptionLine d = parseDescriptionLine((maker + "," + model).c_str());
    EXPECT_EQ(d.manufacturer, std::string(ICC_MANUFACTURER_SIZE - 1, 'm'));
    EXPECT_EQ(d.model, std::string(ICC_MODEL_SIZE - 1, 'n'));
    builder::IccRecord record(d);
    EXPECT_EQ(std::string(record.parms.manufacturer), d.manufacturer);
    EXPECT_EQ(std::string(record.parms.model), d.model);
}

TEST(DescriptionLine, IntegerWrapsAroundAt32Bits) {
    // 4294967297 wraps to 1.
    EXPECT_EQ(parseDescriptionLine("M, X, 1, 2, 4294967297").modelNumber, 1);
    EXPECT_EQ(parseDescriptionLine(nullptr).manufacturer, "");
}

}  // namespace
