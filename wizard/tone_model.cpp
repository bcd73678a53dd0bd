#include "tone_model.h"

#include <algorithm>
#include <cmath>

#include "panelforge.h"

namespace huevista {
namespace {

constexpr double kShadowWeight = 14.556;
constexpr double kHighlightWeight = 8.868;
// Truncation of a level computed in floating point must not lose a whole level to the last
// bit of a product that is an integer on paper (255 x 8/255 is 7.999...).
constexpr double kLevelSlack = 1e-9;

bool isPanel(const CalibrationRecord& record) {
    return record.displayType == kFlatPanel || record.displayType == kNotebook;
}

// ln(reached) / ln(argument) when the argument is a proper fraction, else nothing.
bool estimate(double reached, double argument, double& exponent) {
    if (!(argument > 0.0 && argument < 1.0)) return false;
    exponent = std::log(reached) / std::log(argument);
    return std::isfinite(exponent);
}

}  // namespace

double mottaK(int blackLevel) {
    const double b = blackLevel / 255.0;
    const double k = -b / (1.0 - b);
    return std::isfinite(k) ? k : 0.0;
}

double mottaGamma(double k, int shadowLevel, int highlightLevel) {
    double sum = 0.0, weights = 0.0, exponent = 0.0;
    if (estimate(1.0 / 3.0, k + (1.0 - k) * shadowLevel / 255.0, exponent)) {
        sum += kShadowWeight * exponent;
        weights += kShadowWeight;
    }
    if (estimate(2.0 / 3.0, k + (1.0 - k) * highlightLevel / 255.0, exponent)) {
        sum += kHighlightWeight * exponent;
        weights += kHighlightWeight;
    }
    return weights > 0.0 ? sum / weights : 2.0;
}

void computeMottaModel(CalibrationRecord& record) {
    for (int ch = 0; ch < 3; ++ch) {
        record.mottaK[ch] = mottaK(record.black[ch]);
        record.mottaGamma[ch] = mottaGamma(record.mottaK[ch], record.shadow[ch], record.highlight[ch]);
    }
}

std::array<double, 12> panelTable(const CalibrationRecord& record) {
    std::array<double, 12> table{};
    const struct {
        double input;
        const int* matches;
    } groups[3] = {{record.shadowInput, record.shadow},
                   {record.midtoneInput, record.midtone},
                   {record.highlightInput, record.highlight}};
    for (int g = 0; g < 3; ++g) {
        table[4 * g] = groups[g].input;
        for (int ch = 0; ch < 3; ++ch) table[4 * g + 1 + ch] = groups[g].matches[ch] / 255.0;
    }
    return table;
}

int beginToneModel(CalibrationRecord& record) {
    computeMottaModel(record);
    if (!isPanel(record)) return 1;
    const std::array<double, 12> table = panelTable(record);
    return BeginIOModelTable(table.data());
}

void endToneModel(const CalibrationRecord& record) {
    if (isPanel(record)) EndIOModelTable();
}

int inverseToneLevel(const CalibrationRecord& record, double wanted, int channel) {
    if (channel < 0 || channel > 2) return 0;
    const double v = std::clamp(wanted, 0.0, 255.0);
    if (isPanel(record)) return DoIOModel(static_cast<int>(v), channel);
    const double k = record.mottaK[channel], gamma = record.mottaGamma[channel];
    if (!std::isfinite(k) || !std::isfinite(gamma) || gamma <= 0.0 || k >= 1.0) return static_cast<int>(v);
    const double drive = (std::pow(v / 255.0, 1.0 / gamma) - k) / (1.0 - k);
    return static_cast<int>(std::floor(255.0 * std::clamp(drive, 0.0, 1.0) + kLevelSlack));
}

}  // namespace huevista
