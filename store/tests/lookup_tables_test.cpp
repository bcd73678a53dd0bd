// Look-up tables from a tone model, in memory and in LUT files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;

struct Params {
    double a[3], d[3], o[3], g[3];
};
constexpr Params kIdentity = {{1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {1, 1, 1}};

struct Tables {
    WORD t[6][256];
    Tables() { std::memset(t, 0xbd, sizeof t); }
};

Tables compute(const Params& p) {
    Tables r;
    EXPECT_EQ(GetSpectrineLUT(r.t[0], r.t[1], r.t[2], p.a[0], p.a[1], p.a[2], p.d[0], p.d[1], p.d[2], p.o[0],
                              p.o[1], p.o[2], p.g[0], p.g[1], p.g[2]),
              1);
    EXPECT_EQ(GetSpectrineBackLUT(r.t[3], r.t[4], r.t[5], p.a[0], p.a[1], p.a[2], p.d[0], p.d[1], p.d[2],
                                  p.o[0], p.o[1], p.o[2], p.g[0], p.g[1], p.g[2]),
              1);
    return r;
}

TEST(LookUpTables, IdentityGivesLevelTimes256) {
    Tables r = compute(kIdentity);
    for (int t = 0; t < 6; ++t)
        for (int i = 0; i < 256; ++i) {
            SCOPED_TRACE(testing::Message() << "table " << t << " entry " << i);
            EXPECT_EQ(r.t[t][i], i * 256);
        }
}

TEST(LookUpTables, KnownEntriesOfOneChannelModel) {
    // Target 1.8 on a display of 2.2, no offset, full gain; green and blue left at identity.
    Params p = kIdentity;
    p.a[0] = 1.8;
    p.d[0] = 2.2;
    Tables r = compute(p);
    const struct {
        int i, forward, inverse;
    } expected[] = {{0, 0, 0}, {1, 3, 0}, {64, 82, 47}, {128, 145, 110}, {200, 209, 189}, {254, 254, 254}, {255, 255, 255}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.i);
        EXPECT_EQ(r.t[0][e.i], e.forward * 256);
        EXPECT_EQ(r.t[3][e.i], e.inverse * 256);
        EXPECT_EQ(r.t[1][e.i], e.i * 256);
        EXPECT_EQ(r.t[5][e.i], e.i * 256);
    }
}

TEST(LookUpTables, OffsetClampsTheLowestLevelsToZero) {
    Params p = kIdentity;
    p.o[1] = 0.2;
    Tables r = compute(p);
    // L = (i - 51) / 0.8 + 0.5: negative or below one up to i = 51.
    for (int i = 0; i <= 51; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.t[1][i], 0);
    }
    EXPECT_EQ(r.t[1][52], 1 * 256);
    EXPECT_EQ(r.t[1][255], 255 * 256);
    // The inverse starts at the offset: level 0 maps to 0.2 x 255 + 0.5.
    EXPECT_EQ(r.t[4][0], 51 * 256);
    EXPECT_EQ(r.t[4][255], 255 * 256);
}

TEST(LookUpTables, ForwardThenInverseReturnsCloseToTheInput) {
    const Params cases[] = {
        {{2.2, 2.2, 2.2}, {2.5, 2.3, 2.4}, {0.05, 0.02, 0.0}, {1.0, 0.97, 0.95}},
        {{1.8, 1.8, 1.8}, {2.2, 2.2, 2.2}, {0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}},
        {{2.6, 2.0, 1.0}, {2.2, 2.2, 2.2}, {0.03, 0.03, 0.03}, {0.9, 1.0, 0.85}},
    };
    for (const Params& p : cases) {
        SCOPED_TRACE(testing::Message() << "target " << p.a[0] << " display " << p.d[0]);
        Tables r = compute(p);
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 256; ++i) {
                const int sent = r.t[c][i] / 256;
                if (sent == 0 || sent == 255) continue;  // clamped: nothing to undo
                const int back = r.t[3 + c][sent] / 256;
                SCOPED_TRACE(testing::Message() << "channel " << c << " level " << i << " sent " << sent);
                // Rounding on the way there and back moves a level by one at most.
                EXPECT_LE(std::abs(back - i), 1);
            }
    }
}

TEST(LookUpTables, DegenerateParametersStayInRange) {
    const Params cases[] = {
        {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}},            // offset 1: division by zero
        {{1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {0, 0, 0}},            // gain 0
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1, 1, 1}},            // 0 / 0 exponents
        {{1, 2, 3}, {0, 0, 0}, {-5, 5, 0.5}, {-1, 1e300, 2}},   // infinite exponents, wild values
        {{1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {0.5, 0.5, 0.5}},      // inverse beyond full scale
    };
    for (const Params& p : cases) {
        Tables r = compute(p);
        for (int t = 0; t < 6; ++t)
            for (int i = 0; i < 256; ++i) {
                SCOPED_TRACE(testing::Message() << "table " << t << " entry " << i);
                EXPECT_EQ(r.t[t][i] % 256, 0);
                EXPECT_LE(r.t[t][i], 255 * 256);
            }
    }
    Tables half = compute(cases[4]);
    EXPECT_EQ(half.t[0][255], 128 * 256) << "forward at half gain";
    EXPECT_EQ(half.t[3][128], 255 * 256) << "inverse saturates";
}

TEST(LookUpTables, NullTablesAreSkipped) {
    WORD green[257];
    std::memset(green, 0xbd, sizeof green);
    EXPECT_EQ(GetSpectrineLUT(nullptr, green, nullptr, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1), 1);
    EXPECT_EQ(green[255], 255 * 256);
    EXPECT_EQ(green[256], 0xbdbd) << "512 bytes written, not more";
    EXPECT_EQ(GetSpectrineBackLUT(nullptr, nullptr, nullptr, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1), 1);
}

class LutFiles : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        std::filesystem::create_directories(rootPath("Suite/Luts"));
    }
    void setLutDir(const std::string& dir) { ASSERT_EQ(WriteSpectrineRegString("Settings", "LutDir", dir.c_str()), 1); }
};

const Params kModel = {{2.2, 2.2, 2.2}, {2.5, 2.3, 2.4}, {0.05, 0.02, 0.0}, {1.0, 0.97, 0.95}};

int writeModel(const char* name) {
    const Params& p = kModel;
    return WriteSpectrineLUT(name, p.a[0], p.a[1], p.a[2], p.d[0], p.d[1], p.d[2], p.o[0], p.o[1], p.o[2],
                             p.g[0], p.g[1], p.g[2]);
}

TEST_F(LutFiles, FileLayoutAndReadBack) {
    setLutDir(root() + "\\suite\\luts");  // no separator at the end; names resolved ignoring case
    ASSERT_EQ(writeModel("Monitor.lut"), 1);
    const std::string bytes = readFile("Suite/Luts/Monitor.lut");
    ASSERT_EQ(bytes.size(), 3104u);
    EXPECT_EQ(bytes.substr(0, 32), std::string(32, '\0'));
    Tables expected = compute(kModel);
    for (int t = 0; t < 6; ++t)
        for (int i = 0; i < 256; ++i) {
            SCOPED_TRACE(testing::Message() << "table " << t << " entry " << i);
            const size_t at = 32 + t * 512 + i * 2;
            const int stored = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
            EXPECT_EQ(stored, expected.t[t][i]);
        }

    WORD out[3][257];
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(ReadSpectrineLUT("Monitor.lut", 0xdeadbeef, out[0], out[1], out[2]), 1);
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(std::memcmp(out[c], expected.t[c], 512), 0);
        EXPECT_EQ(out[c][256], 0xbdbd);
    }
}

TEST_F(LutFiles, ShortFilesAreRefused) {
    setLutDir(root() + "/Suite/Luts/");
    struct Case {
        size_t size;
        int result;
    } cases[] = {{0, 0}, {31, 0}, {32, 0}, {1567, 0}, {1568, 1}, {3104, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string bytes(c.size, '\0');
        for (size_t i = 32; i < c.size; ++i) bytes[i] = static_cast<char>(i);
        writeFile("Suite/Luts/short.lut", bytes);
        WORD out[3][256];
        std::memset(out, 0xbd, sizeof out);
        EXPECT_EQ(ReadSpectrineLUT("short.lut", 0, out[0], out[1], out[2]), c.result);
        if (c.result) {
            EXPECT_EQ(out[0][0], 32 | 33 << 8);
            EXPECT_EQ(out[2][255], static_cast<WORD>((1567 & 0xff) << 8 | (1566 & 0xff)));
        } else {
            EXPECT_EQ(out[0][0], 0xbdbd) << "nothing is copied from a short file";
            EXPECT_EQ(out[2][255], 0xbdbd);
        }
    }
    WORD out[256];
    EXPECT_EQ(ReadSpectrineLUT("missing.lut", 0, out, out, out), 0);
}

TEST_F(LutFiles, DeleteReportsTheFileSystemResult) {
    setLutDir(root() + "/Suite/Luts");
    ASSERT_EQ(writeModel("gone.lut"), 1);
    EXPECT_TRUE(std::filesystem::exists(rootPath("Suite/Luts/gone.lut")));
    EXPECT_EQ(DeleteSpectrineLUT("gone.lut"), TRUE);
    EXPECT_FALSE(std::filesystem::exists(rootPath("Suite/Luts/gone.lut")));
    EXPECT_EQ(DeleteSpectrineLUT("gone.lut"), FALSE);
}

TEST_F(LutFiles, WithoutLutDirNothingIsTouched) {
    EXPECT_EQ(writeModel("a.lut"), 0);
    WORD out[256];
    out[0] = 0xbdbd;
    EXPECT_EQ(ReadSpectrineLUT("a.lut", 0, out, out, out), 0);
    EXPECT_EQ(out[0], 0xbdbd);
    EXPECT_EQ(DeleteSpectrineLUT("a.lut"), FALSE);
    EXPECT_EQ(writeModel(nullptr), 0);
}

TEST_F(LutFiles, UncreatableFileFails) {
    setLutDir(root() + "/Suite/NoSuchFolder");
    EXPECT_EQ(writeModel("a.lut"), 0);
    EXPECT_EQ(DeleteSpectrineLUT("a.lut"), FALSE);
}

// "LutDir" stored with trailing NUL bytes (its stored size counts them) is used as its text:
// the file goes into that folder, never beside it under a longer name.
TEST_F(LutFiles, TheFolderIsTheSettingsTextNotItsStoredSize) {
    const std::string dir = root() + "/Suite/Luts";
    std::string stored = dir + std::string(4, '\0');
    ASSERT_EQ(WriteSpectrineRegValue("Settings", "LutDir", REG_SZ,
                                     reinterpret_cast<const BYTE*>(stored.data()),
                                     static_cast<DWORD>(stored.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(writeModel("a.lut"), 1);
    EXPECT_EQ(readFile("Suite/Luts/a.lut").size(), 3104u);
    EXPECT_FALSE(std::filesystem::exists(rootPath("Suite/Lutsa.lut")));
    WORD out[256];
    EXPECT_EQ(ReadSpectrineLUT("a.lut", 0, out, out, out), 1);
    EXPECT_EQ(DeleteSpectrineLUT("a.lut"), TRUE);
}

// A write that fails part way (the file size limit stands in for a full disk) leaves the old
// file whole: the new one is written beside it and only renamed into place when complete.
TEST_F(LutFiles, AFailedWriteKeepsTheOldFile) {
    setLutDir(root() + "/Suite/Luts");
    ASSERT_EQ(writeModel("kept.lut"), 1);
    const std::string before = readFile("Suite/Luts/kept.lut");
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = WriteSpectrineLUT("kept.lut", 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(readFile("Suite/Luts/kept.lut") == before) << "the old tables were damaged";
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(rootPath("Suite/Luts")))
        files.push_back(e.path().filename());
    EXPECT_EQ(files, std::vector<std::string>{"kept.lut"});
}

}  // namespace
