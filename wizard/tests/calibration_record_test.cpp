// The CalibrationRecord: the values a monitor starts with and what resetting to a display type
// changes and keeps; the step sequences of each display type; the monitor list.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "calibration_record.h"
#include "fresh_root.h"
#include "monitor_list.h"
#include "second_process.h"
#include "step_sequence.h"

namespace {

using huevista::CalibrationRecord;

// Every field holds a value no reset gives.
CalibrationRecord marked() {
    CalibrationRecord r;
    std::memset(static_cast<void*>(&r), 0x5A, sizeof r);
    r.displayType = 7;
    return r;
}

TEST(CalibrationRecordTest, ResettingToAnotherTypeSetsTheResetFieldsAndKeepsTheModel) {
    struct Case {
        int type;
        int black;
    };
    const Case cases[] = {{-1, -1}, {0, -1}, {1, 0}, {2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const CalibrationRecord before = marked();
        CalibrationRecord r = before;
        r.resetTo(c.type);
        EXPECT_EQ(r.cardKind, 0);
        EXPECT_EQ(r.displayType, c.type);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(r.black[ch], c.black);
            EXPECT_EQ(r.shadow[ch], -1);
            EXPECT_EQ(r.highlight[ch], -1);
            EXPECT_EQ(r.midtone[ch], -1);
            EXPECT_EQ(r.white[ch], 255);
            // Kept: the tone model, the table colour and the white point.
            EXPECT_EQ(std::memcmp(&r.mottaK[ch], &before.mottaK[ch], sizeof(double)), 0);
            EXPECT_EQ(std::memcmp(&r.mottaGamma[ch], &before.mottaGamma[ch], sizeof(double)), 0);
            EXPECT_EQ(std::memcmp(&r.tableColor[ch], &before.tableColor[ch], sizeof(double)), 0);
            EXPECT_EQ(std::memcmp(&r.whitePoint[ch], &before.whitePoint[ch], sizeof(double)), 0);
        }
        for (double input : {r.blackInput, r.shadowInput, r.highlightInput, r.midtoneInput, r.whiteInput})
            EXPECT_EQ(input, -1.0);
        EXPECT_EQ(r.lighting, -1);
        EXPECT_EQ(r.luminance, 100);
        EXPECT_EQ(r.color, -1);
        EXPECT_EQ(r.temperature, before.temperature);
        EXPECT_EQ(r.spare, before.spare);
        EXPECT_EQ(r.blackValid + r.shadowValid + r.highlightValid + r.midtoneValid + r.setUp, 0);
    }
}

TEST(CalibrationRecordTest, ResettingToTheSameTypeChangesNothing) {
    for (int type : {-1, 0, 1, 2}) {
        SCOPED_TRACE(type);
        CalibrationRecord r = marked();
        r.displayType = type;
        const CalibrationRecord before = r;
        r.resetTo(type);
        EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
    }
}

TEST(CalibrationRecordTest, AFreshRecordHasItsTypeAndNothingElse) {
    const CalibrationRecord r = CalibrationRecord::fresh(-1);
    EXPECT_EQ(r.displayType, -1);
    EXPECT_EQ(r.black[0], -1);
    EXPECT_EQ(r.mottaGamma[2], 0.0);
    EXPECT_EQ(r.setUp, 0);
    EXPECT_EQ(CalibrationRecord::fresh(1).black[1], 0);
}

TEST(StepSequenceTest, EachDisplayTypeWalksItsSteps) {
    using enum huevista::StepKind;
    struct Case {
        int type;
        std::vector<huevista::StepKind> steps;
    };
    const std::vector<huevista::StepKind> crt = {Setup, Brightness, BlackPoint, Shadows, Highlights,
                                                 Lighting, Luminance, Color, Done};
    const Case cases[] = {
        {-1, crt},
        {0, crt},
        {1, {Setup, TiltFit, Contrast, Blue, Red, Green, Lighting, Luminance, Color, Done}},
        {2, {Setup, TiltFit, WhitePoint, Blue, Red, Green, Lighting, Luminance, Color, Done}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const auto sequence = huevista::sequenceFor(c.type);
        EXPECT_EQ(std::vector<huevista::StepKind>(sequence.begin(), sequence.end()), c.steps);
    }
}

class MonitorListTest : public spx::test::FreshRootTest {};

TEST_F(MonitorListTest, EveryMonitorTheStoreReportsUpToNine) {
    struct Case {
        int monitors;
        int expected;
    };
    const Case cases[] = {{1, 1}, {2, 2}, {9, 9}, {11, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.monitors);
        // The store reads the monitors once per process: each count in a process of its own.
        const std::string answer = spx::test::inSecondProcess([&](std::string& out) {
            writeDisplayIni(spx::test::monitorsSideBySide(c.monitors));
            WinplatResetProcessState();
            const huevista::MonitorList list = huevista::MonitorList::fromStore();
            out = std::to_string(list.count()) + " " + std::to_string(list.bounds.right);
            for (const RECT& r : list.monitors)
                out += " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                       std::to_string(r.bottom);
            return 0;
        });
        std::string expected = std::to_string(c.expected) + " " + std::to_string(c.monitors == 1 ? 1024 : 1024 * c.monitors);
        for (int i = 0; i < c.expected; ++i)
            expected += " " + std::to_string(1024 * i) + ",0," + std::to_string(1024 * (i + 1)) + ",768";
        EXPECT_EQ(answer, expected);
    }
}

}  // namespace
