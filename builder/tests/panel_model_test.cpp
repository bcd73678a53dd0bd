// The panel transfer model and its tables: against the model evaluated in the test from the
// coefficient tables, the saturation and the never-falling tables, the inverse, grey mode, and
// the tables the wizard reads through BeginIOModelTable, DoIOModel and EndIOModelTable.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "panel_tables.h"
#include "panel_test_support.h"
#include "panel_transfer.h"

namespace {

using namespace buildertest;
using namespace paneltest;

struct TripleCase {
    const char* name;
    Triple p;
    bool reachesFull;  // the model's output comes to 1 by drive level 1
};
const TripleCase kTriples[] = {
    {"gamma 2.2 matches", kGamma22, true},
    {"dips below 0, never full", kDipsNeverFull, false},
    {"peaks above 1", kPeaks, true},
    {"never full", kNeverFull, false},
};

std::vector<double> row(const double (&table)[256]) { return std::vector<double>(table, table + 256); }

TEST(PanelModel, TheTransferModelIsThePolynomialsOfTheTables) {
    for (const TripleCase& c : kTriples) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i <= 255; i += 17)
            EXPECT_NEAR(builder::panelTransfer(i / 255.0, c.p[0], c.p[1], c.p[2]), transfer(i / 255.0, c.p), 1e-9)
                << "drive " << i;
    }
    EXPECT_NEAR(transfer(1.0, kGamma22), 1.0003, 1e-4) << "near the power law it stands for";
    EXPECT_NEAR(transfer(0.5, kGamma22), std::pow(0.5, 2.2), 0.01);
}

TEST(PanelModel, EachChannelsTablesRiseFromTheModelAndGreyIsTheirMean) {
    for (size_t first = 0; first < std::size(kTriples); ++first) {
        const TripleCase& r = kTriples[first];
        const TripleCase& g = kTriples[(first + 1) % std::size(kTriples)];
        const TripleCase& b = kTriples[(first + 2) % std::size(kTriples)];
        SCOPED_TRACE(::testing::Message() << "red " << r.name << ", green " << g.name << ", blue " << b.name);
        const builder::PanelTables t = builder::buildPanelTables(panelModel(r.p, g.p, b.p), false);
        EXPECT_FALSE(t.grey);
        const TripleCase* channels[3] = {&r, &g, &b};
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(channels[k]->name);
            const std::vector<double> f = forwardTable(channels[k]->p);
            const std::vector<double> built = row(t.forward[k]);
            for (int i = 0; i < 256; ++i) ASSERT_NEAR(built[i], f[i], 1e-9) << "forward " << i;
            EXPECT_TRUE(std::is_sorted(built.begin(), built.end()));
            EXPECT_EQ(built[255] == 1.0, channels[k]->reachesFull);
            const std::vector<double> inverse = inverseTable(built);
            EXPECT_EQ(row(t.inverse[k]), inverse);
            EXPECT_TRUE(std::is_sorted(inverse.begin(), inverse.end()));
            // The inverse ends at 1 from the last level the output reaches, also short of 1.
            const int top = static_cast<int>(255.0 * built[255]);
            EXPECT_EQ(top < 255, !channels[k]->reachesFull);
            for (int L = top; L < 256; ++L) ASSERT_EQ(t.inverse[k][L], 1.0) << L;
        }
        for (int i = 0; i < 256; ++i) {
            ASSERT_DOUBLE_EQ(t.forward[3][i], (t.forward[0][i] + t.forward[1][i] + t.forward[2][i]) / 3) << i;
            ASSERT_DOUBLE_EQ(t.inverse[3][i], (t.inverse[0][i] + t.inverse[1][i] + t.inverse[2][i]) / 3) << i;
        }
    }
}

TEST(PanelModel, SaturationAndTheRunningMaximum) {
    const builder::PanelTables t = builder::buildPanelTables(panelModel(kDipsNeverFull, kPeaks, kNeverFull), false);
    // Red dips below 0 up to drive ~120: everything up to the last dip is 0.
    int lastDip = 0;
    for (int i = 0; i < 256; ++i)
        if (transfer(i / 255.0, kDipsNeverFull) <= 0.0) lastDip = i;
    ASSERT_GT(lastDip, 100);
    EXPECT_GT(transfer(0.0, kDipsNeverFull), 0.0) << "the model starts above 0";
    for (int i = 0; i <= lastDip; ++i) ASSERT_EQ(t.forward[0][i], 0.0) << i;
    EXPECT_GT(t.forward[0][lastDip + 1], 0.0);
    // ... then wiggles: the model falls somewhere above it, the table never does.
    bool falls = false;
    for (int i = lastDip + 2; i < 256; ++i) falls |= transfer(i / 255.0, kDipsNeverFull) < transfer((i - 1) / 255.0, kDipsNeverFull);
    EXPECT_TRUE(falls);
    // Green peaks above 1 well before the top (1.03 at drive 0.94, 1.002 at 1): 1 from the
    // first entry that reaches it.
    int peak = 256;
    for (int i = 255; i >= 0; --i)
        if (transfer(i / 255.0, kPeaks) >= 1.0) peak = i;
    ASSERT_LT(peak, 240);
    EXPECT_LT(t.forward[1][peak - 1], 1.0);
    for (int i = peak; i < 256; ++i) ASSERT_EQ(t.forward[1][i], 1.0) << i;
    // Blue starts above its next entry: held there.
    EXPECT_GT(transfer(0.0, kNeverFull), transfer(1 / 255.0, kNeverFull));
    EXPECT_EQ(t.forward[2][1], t.forward[2][0]);
}

TEST(PanelModel, NumbersThatAreNoNumbersGiveABlackChannel) {
    const double nan = std::nan("");
    const builder::PanelTables t =
        builder::buildPanelTables(panelModel({nan, 0.5, 0.6}, {1e300, 1e300, 1e300}, kGamma22), false);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(t.forward[k][i], 0.0);
        for (int L = 0; L < 256; ++L) ASSERT_EQ(t.inverse[k][L], 1.0) << "every output needs full drive";
    }
}

class IoModel : public BuilderTest {};

TEST_F(IoModel, BeforeAnyTableTheModelIsTheIdentity) {
    for (int channel = 0; channel < 3; ++channel)
        for (int level = 0; level < 256; ++level) ASSERT_EQ(DoIOModel(level, channel), level) << channel;
    EXPECT_EQ(DoIOModel(-5, 0), 0);
    EXPECT_EQ(DoIOModel(300, 1), 255);
    EXPECT_EQ(DoIOModel(77, 9), 77);
}

TEST_F(IoModel, GreyModeFromTheDebugSetting) {
    const PANELMODELRECORD m = panelModel(kGamma22, kNeverFull, kPeaks);
    const builder::PanelTables own = builder::buildPanelTables(m, false);
    struct Case {
        const char* name;
        void (*setting)();
        bool grey;
    } cases[] = {
        {"absent", [] { WriteSpectrineRegValue("Debug", "LCDGray", REG_DWORD, nullptr, 0); }, true},
        {"0", [] { setLcdGray(0); }, false},
        {"1", [] { setLcdGray(1); }, true},
        {"2", [] { setLcdGray(2); }, true},
        {"a text 0 counts as absent",
         [] { WriteSpectrineRegValue("Debug", "LCDGray", REG_SZ, reinterpret_cast<const BYTE*>("0"), 2); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setting();
        double groups[12];
        for (int g = 0; g < 3; ++g)
            for (int i = 0; i < 4; ++i) groups[4 * g + i] = m.groups[g][i];
        ASSERT_EQ(BeginIOModelTable(groups), 1);
        std::vector<int> seen[3];
        for (int channel = 0; channel < 3; ++channel)
            for (int level = 0; level < 256; ++level) {
                const int table = c.grey ? 3 : channel;
                seen[channel].push_back(DoIOModel(level, channel));
                ASSERT_EQ(seen[channel].back(), static_cast<int>(255.0 * own.inverse[table][level]))
                    << "channel " << channel << " level " << level;
            }
        EXPECT_EQ(seen[0] == seen[1] && seen[1] == seen[2], c.grey);
    }
}

TEST_F(IoModel, TheReadyFlagAndTablesThatStayAfterTheEnd) {
    EXPECT_EQ(BeginIOModelTable(nullptr), 0) << "nothing built: the flag as it was";
    setLcdGray(0);
    const PANELMODELRECORD m = panelModel(kGamma22, kGamma22, kGamma22);
    double groups[12];
    for (int g = 0; g < 3; ++g)
        for (int i = 0; i < 4; ++i) groups[4 * g + i] = m.groups[g][i];
    ASSERT_EQ(BeginIOModelTable(groups), 1);
    EXPECT_EQ(BeginIOModelTable(nullptr), 1);
    const int mid = DoIOModel(128, 2);
    EXPECT_GT(mid, 128) << "a gamma 2.2 panel needs more drive than the linear level";
    EndIOModelTable();
    EXPECT_EQ(BeginIOModelTable(nullptr), 0);
    EXPECT_EQ(DoIOModel(128, 2), mid) << "the tables are read as they stand";
}

}  // namespace
