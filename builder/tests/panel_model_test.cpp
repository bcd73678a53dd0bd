// The panel transfer model and its tables, against the model evaluated in the test from the
// coefficient tables; grey mode; the tables the wizard reads through BeginIOModelTable,
// DoIOModel and EndIOModelTable.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "panel_tables.h"
#include "panel_test_support.h"
#include "panel_transfer.h"

namespace {

using namespace paneltest;

struct TripleCase {
    const char* name;
    Triple p;
    bool reachesFull;
} const kTriples[] = {
    {"gamma 2.2", kGamma22, true}, {"dips below 0, short of 1", kDipsNeverFull, false},
    {"peaks above 1", kPeaks, true}, {"short of 1", kNeverFull, false},
};

std::vector<double> row(const double (&table)[256]) { return std::vector<double>(table, table + 256); }

TEST(PanelModel, TablesOfEachChannelFollowTheModelRiseAndGreyIsTheirMean) {
    EXPECT_NEAR(transfer(0.5, kGamma22), std::pow(0.5, 2.2), 0.01) << "the test's model is the power law it stands for";
    for (size_t first = 0; first < std::size(kTriples); ++first) {
        const TripleCase* c[3] = {&kTriples[first], &kTriples[(first + 1) % 4], &kTriples[(first + 2) % 4]};
        const builder::PanelTables t = builder::buildPanelTables(panelModel(c[0]->p, c[1]->p, c[2]->p), false);
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(::testing::Message() << "channel " << k << ": " << c[k]->name);
            for (int i = 0; i <= 255; i += 15)
                EXPECT_NEAR(builder::panelTransfer(i / 255.0, c[k]->p[0], c[k]->p[1], c[k]->p[2]),
                            transfer(i / 255.0, c[k]->p), 1e-9) << i;
            const std::vector<double> f = forwardTable(c[k]->p), built = row(t.forward[k]);
            for (int i = 0; i < 256; ++i) ASSERT_NEAR(built[i], f[i], 1e-9) << "forward " << i;
            EXPECT_TRUE(std::is_sorted(built.begin(), built.end()));
            EXPECT_EQ(row(t.inverse[k]), inverseTable(built));
            EXPECT_TRUE(std::is_sorted(t.inverse[k], t.inverse[k] + 256));
            // Short of 1 the inverse still ends at 1, from the last level the output reaches.
            const int top = static_cast<int>(255.0 * built[255]);
            EXPECT_EQ(top < 255, !c[k]->reachesFull);
            for (int L = top; L < 256; ++L) ASSERT_EQ(t.inverse[k][L], 1.0) << L;
        }
        for (int i = 0; i < 256; ++i) {
            ASSERT_DOUBLE_EQ(t.forward[3][i], (t.forward[0][i] + t.forward[1][i] + t.forward[2][i]) / 3) << i;
            ASSERT_DOUBLE_EQ(t.inverse[3][i], (t.inverse[0][i] + t.inverse[1][i] + t.inverse[2][i]) / 3) << i;
        }
    }
}

TEST(PanelModel, TheTriplesMeetWhatTheTablesPutRight) {
    auto f = [](int i, const Triple& p) { return transfer(i / 255.0, p); };
    int lastDip = 0, falls = 0, full = 255;
    for (int i = 1; i < 256; ++i) {
        if (f(i, kDipsNeverFull) <= 0.0) lastDip = i;
        falls += i > lastDip + 1 && f(i, kDipsNeverFull) < f(i - 1, kDipsNeverFull);
    }
    while (f(full - 1, kPeaks) >= 1.0) --full;
    EXPECT_GT(f(0, kDipsNeverFull), 0.0);
    EXPECT_GT(lastDip, 100) << "below 0 after a start above it";
    EXPECT_GT(falls, 0) << "and falling higher up";
    EXPECT_LT(full, 240) << "above 1 from drive 0.9 on";
    EXPECT_LT(f(255, kPeaks), f(240, kPeaks)) << "and falling back towards 1";
    EXPECT_GT(f(0, kNeverFull), f(1, kNeverFull));
    // Numbers that are no numbers, or so large their powers are not: a black channel.
    const builder::PanelTables t = builder::buildPanelTables(panelModel({NAN, 0.5, 0.6}, {1e300, 1, 1}, kGamma22), false);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(t.forward[k][i], 0.0);
            ASSERT_EQ(t.inverse[k][i], 1.0) << "every output needs full drive";
        }
}

class IoModel : public buildertest::BuilderTest {
protected:
    static int begin(const PANELMODELRECORD& m) {
        double groups[12];
        for (int i = 0; i < 12; ++i) groups[i] = m.groups[i / 4][i % 4];
        return BeginIOModelTable(groups);
    }
};

TEST_F(IoModel, BeforeAnyTableTheModelIsTheIdentity) {
    for (int channel = 0; channel < 3; ++channel)
        for (int level = 0; level < 256; ++level) ASSERT_EQ(DoIOModel(level, channel), level) << channel;
    EXPECT_EQ(DoIOModel(-5, 0), 0);
    EXPECT_EQ(DoIOModel(300, 1), 255);
    EXPECT_EQ(DoIOModel(77, 9), 77) << "another channel reads the grey table";
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
        {"2", [] { setLcdGray(2); }, true},
        {"a text 0, read as absent", [] { WriteSpectrineRegValue("Debug", "LCDGray", REG_SZ, (const BYTE*)"0", 2); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setting();
        ASSERT_EQ(begin(m), 1);
        std::vector<int> seen[3];
        for (int channel = 0; channel < 3; ++channel)
            for (int level = 0; level < 256; ++level) {
                seen[channel].push_back(DoIOModel(level, channel));
                ASSERT_EQ(seen[channel].back(), static_cast<int>(255.0 * own.inverse[c.grey ? 3 : channel][level]))
                    << "channel " << channel << " level " << level;
            }
        EXPECT_EQ(seen[0] == seen[1] && seen[1] == seen[2], c.grey);
    }
}

TEST_F(IoModel, TheReadyFlagAndTablesThatStayAfterTheEnd) {
    EXPECT_EQ(BeginIOModelTable(nullptr), 0) << "nothing built: the flag as it was";
    ASSERT_EQ(begin(panelModel(kGamma22, kGamma22, kGamma22)), 1);
    EXPECT_EQ(BeginIOModelTable(nullptr), 1);
    const int mid = DoIOModel(128, 2);
    EXPECT_GT(mid, 170) << "a gamma 2.2 panel needs more drive than the linear level";
    EndIOModelTable();
    EXPECT_EQ(BeginIOModelTable(nullptr), 0);
    EXPECT_EQ(DoIOModel(128, 2), mid) << "the tables are read as they stand";
}

}  // namespace
