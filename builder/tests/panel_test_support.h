// What the panel tests share: the panel transfer model evaluated here on its own from the
// coefficient tables (term by term with std::pow), the tables it must give, and a panel
// calibrated on monitor 0.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "panelforge.h"

namespace paneltest {

// Matches (p1, p2, p3) of one channel at the 1/3, 1/2 and 2/3 tone steps.
using Triple = std::array<double, 3>;
inline constexpr Triple kGamma22{0.607, 0.73, 0.832};      // (1/3)^(1/2.2) ...: a gamma 2.2 panel
inline constexpr Triple kDipsNeverFull{0.65, 0.75, 0.91};  // below 0 low down, wiggles, short of 1
inline constexpr Triple kPeaks{1.0 / 3.0, 0.5, 2.0 / 3.0};  // above 1 well before the top
inline constexpr Triple kNeverFull{0.55, 0.7, 0.85};       // short of 1, falls after its first entry

// Sum over i of c[i] x^i; with `e` the K terms' e_j1 p1^j + e_j2 p2^j + e_j3 p3^j, j from 1.
inline double powers(const std::vector<double>& c, double x) {
    double sum = 0.0;
    for (size_t i = 0; i < c.size(); ++i) sum += c[i] * std::pow(x, static_cast<double>(i));
    return sum;
}
inline double term(double e0, const std::vector<Triple>& e, const Triple& p) {
    double sum = e0;
    for (size_t j = 0; j < e.size(); ++j)
        for (int s = 0; s < 3; ++s) sum += e[j][s] * std::pow(p[s], static_cast<double>(j + 1));
    return sum;
}

// f(x) of the model, unclamped.
inline double transfer(double x, const Triple& p) {
    const double k1 = term(1.2013378562, {{-0.7936426887, 7.2760817527, -8.275802237},
                                          {3.0022003734, -14.4107801529, 11.3952303562},
                                          {-4.1752091324, 10.0224049863, -6.2043865551}}, p);
    const double k2 = term(0.1389169601, {{1.6662448292, -51.3525197671, 37.95896238},
                                          {-11.8540210308, 123.6099264526, -52.1494001834},
                                          {0, -104.9775987945, 0}, {0, 0, 0},
                                          {60.3283887143, 0, 94.3011421087},
                                          {-61.7995382043, 31.9637097668, -72.8473161629}}, p);
    const double k3 = term(10.5471400027, {{-241.9314724822, 457.7681973263, -320.1762608196},
                                           {698.7659758194, -1292.7540512237, 862.4504786977},
                                           {-884.0190226629, 1531.8530002718, -920.0884469402},
                                           {406.5575052006, -640.2365672717, 336.8833827599}}, p);
    return powers({0.0002905215, 0.1432853643, 2.7077751644, -9.4327904459, 21.9492655956, -23.0028380122,
                   8.6352188104}, x) +
           powers({-0.0012089242, 1.1521612021, 3.5000909772, -5.4232142468, 4.0992670721, -3.3258340834}, x) * k1 +
           powers({-0.0003989255, 1.2308983491, -5.3323711036, 46.9820380637, -172.7212923568, 271.7278452025,
                   -199.3345642295, 57.4473981998}, x) * k2 +
           powers({-0.0033704959, 0.8454303053, -11.1271816009, 66.6450787207, -172.4210719774, 191.2360673411,
                   -75.1731422363}, x) * k3;
}

// The forward table: f(i / 255) held to 0..1, 1 from the first entry that reaches 1, 0 up to
// the last that reaches 0, never falling.
inline std::vector<double> forwardTable(const Triple& p) {
    std::vector<double> f(256);
    for (int i = 0; i < 256; ++i) f[i] = std::clamp(transfer(i / 255.0, p), 0.0, 1.0);
    std::fill(std::find(f.begin(), f.end(), 1.0), f.end(), 1.0);
    std::fill(std::find(f.rbegin(), f.rend(), 0.0), f.rend(), 0.0);
    for (int i = 1; i < 256; ++i) f[i] = std::max(f[i], f[i - 1]);
    return f;
}

// The inverse at level L: the largest drive i / 255 whose step from truncate(255 F[i - 1]) to
// truncate(255 F[i]) covers L; 0 below the first step, 1 from truncate(255 F[255]) on.
inline std::vector<double> inverseTable(const std::vector<double>& f) {
    auto level = [](double v) { return static_cast<int>(v * 255.0); };
    std::vector<double> g(256, 0.0);
    for (int L = 0; L < 256; ++L) {
        if (L >= level(f[255])) g[L] = 1.0;
        for (int i = 255; i >= 1 && g[L] == 0.0; --i)
            if (level(f[i - 1]) <= L && L <= level(f[i])) g[L] = i / 255.0;
    }
    return g;
}

inline PANELMODELRECORD panelModel(const Triple& red, const Triple& green, const Triple& blue,
                                   const std::array<double, 3>& gains = {1.0, 1.0, 1.0}) {
    PANELMODELRECORD m{4, {{1.0 / 3.0}, {0.5}, {2.0 / 3.0}, {1.0, gains[0], gains[1], gains[2]}}};
    for (int g = 0; g < 3; ++g) m.groups[g][1] = red[g], m.groups[g][2] = green[g], m.groups[g][3] = blue[g];
    return m;
}

inline void setLcdGray(DWORD value) {
    ASSERT_EQ(WriteSpectrineRegValue("Debug", "LCDGray", REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), 0);
}

// The usual monitor 0 calibrated as a panel (screen type 1) under daylight.
class PanelTest : public buildertest::BuilderTest {
protected:
    void SetUp() override {
        BuilderTest::SetUp();
        addStandardMonitor();
        calibratePanel(kPanel);
        setLighting(3);
    }
    static void calibratePanel(const PANELMODELRECORD& model, double whiteX = 0.3127, double whiteY = 0.329) {
        ASSERT_EQ(WriteOrbelModelCalibrationName("LCDPanel", "", whiteX, whiteY, &model), 1);
        ASSERT_EQ(WriteSpectrineScreenType(1, 0), 1);
    }
    // The model as the builder reads it back (three decimals).
    static PANELMODELRECORD storedModel() {
        LCDCALIBRATION c{};
        c.size = LCDCALIBRATION_SIZE;
        EXPECT_NE(GetOrbelModelCalibrationName("LCDPanel", &c), 0);
        return c.model;
    }
    static inline const PANELMODELRECORD kPanel =
        panelModel(kGamma22, {0.62, 0.74, 0.84}, {0.59, 0.72, 0.825}, {1.0, 0.95, 0.9});
};

}  // namespace paneltest
