#include "panel_transfer.h"

#include <array>
#include <cstddef>
#include <span>

namespace builder {

namespace {

// Coefficients of A, B1, B2 and B3, lowest power first.
constexpr std::array<double, 7> kA = {0.0002905215, 0.1432853643, 2.7077751644, -9.4327904459,
                                      21.9492655956, -23.0028380122, 8.6352188104};
constexpr std::array<double, 6> kB1 = {-0.0012089242, 1.1521612021, 3.5000909772,
                                       -5.4232142468, 4.0992670721, -3.3258340834};
constexpr std::array<double, 8> kB2 = {-0.0003989255,  1.2308983491,   -5.3323711036,
                                       46.9820380637,  -172.7212923568, 271.7278452025,
                                       -199.3345642295, 57.4473981998};
constexpr std::array<double, 7> kB3 = {-0.0033704959,  0.8454303053,   -11.1271816009,
                                       66.6450787207,  -172.4210719774, 191.2360673411,
                                       -75.1731422363};

// One K term: e0, then for j = 1 ... n the coefficients of p1^j, p2^j, p3^j.
struct Term {
    double e0;
    std::span<const std::array<double, 3>> e;
};
constexpr std::array<std::array<double, 3>, 3> kK1 = {{
    {-0.7936426887, 7.2760817527, -8.275802237},
    {3.0022003734, -14.4107801529, 11.3952303562},
    {-4.1752091324, 10.0224049863, -6.2043865551},
}};
constexpr std::array<std::array<double, 3>, 6> kK2 = {{
    {1.6662448292, -51.3525197671, 37.95896238},
    {-11.8540210308, 123.6099264526, -52.1494001834},
    {0, -104.9775987945, 0},
    {0, 0, 0},
    {60.3283887143, 0, 94.3011421087},
    {-61.7995382043, 31.9637097668, -72.8473161629},
}};
constexpr std::array<std::array<double, 3>, 4> kK3 = {{
    {-241.9314724822, 457.7681973263, -320.1762608196},
    {698.7659758194, -1292.7540512237, 862.4504786977},
    {-884.0190226629, 1531.8530002718, -920.0884469402},
    {406.5575052006, -640.2365672717, 336.8833827599},
}};
constexpr double kK1e0 = 1.2013378562, kK2e0 = 0.1389169601, kK3e0 = 10.5471400027;

// a0 + a1 x + a2 x^2 + ...
double polynomial(std::span<const double> a, double x) {
    double value = 0.0;
    for (size_t i = a.size(); i-- > 0;) value = value * x + a[i];
    return value;
}

double term(const Term& k, double p1, double p2, double p3) {
    double value = k.e0, q1 = 1.0, q2 = 1.0, q3 = 1.0;
    for (const auto& e : k.e) {
        q1 *= p1, q2 *= p2, q3 *= p3;
        value += e[0] * q1 + e[1] * q2 + e[2] * q3;
    }
    return value;
}

}  // namespace

double panelTransfer(double x, double p1, double p2, double p3) {
    const double k1 = term({kK1e0, kK1}, p1, p2, p3);
    const double k2 = term({kK2e0, kK2}, p1, p2, p3);
    const double k3 = term({kK3e0, kK3}, p1, p2, p3);
    return polynomial(kA, x) + polynomial(kB1, x) * k1 + polynomial(kB2, x) * k2 +
           polynomial(kB3, x) * k3;
}

}  // namespace builder
