#include "white_table.h"

#include <algorithm>
#include <cstdio>

#include "whitepoint_file.h"

namespace huevista {
namespace {

constexpr int kLightings = 4;
// More entries than positions are of no use; a larger count is held to this.
constexpr int kMostEntries = 1024;
const std::array<double, 3> kBlack{0.0, 0.0, 0.0};

int byteOf(double value) { return static_cast<int>(255.0 * value); }

}  // namespace

int panelClassOf(int displayType) { return displayType == 1 || displayType == 2 ? 1 : 0; }

WhiteTable WhiteTable::load(const std::string& iniPath) {
    WhiteTable table;
    const std::string count = whitepoint::readText(iniPath, "Nb Of Entries");
    int n = 0;
    if (std::sscanf(count.c_str(), " %d", &n) != 1 || n <= 0) return table;
    n = std::min(n, kMostEntries);
    const whitepoint::SliderSpread spread = whitepoint::sliderSpread(n);
    table.entries_ = n;
    table.perEntry_ = spread.perEntry;
    table.positions_ = spread.positions;
    const std::string defaults = whitepoint::readText(iniPath, "Default");
    if (std::sscanf(defaults.c_str(), " %d, %d", &table.defaults_[0], &table.defaults_[1]) != 2)
        table.defaults_[0] = table.defaults_[1] = 0;
    table.values_.assign(static_cast<size_t>(2 * kLightings * n), kBlack);
    const char* bases[2] = {"CRT_", "LCD_"};
    for (int c = 0; c < 2; ++c)
        for (int a = 0; a < kLightings; ++a)
            for (int i = 0; i < n; ++i) {
                double v[3] = {0, 0, 0};
                if (!whitepoint::readTriple(iniPath, whitepoint::key(bases[c], a, i), v)) continue;
                auto& slot = table.values_[static_cast<size_t>((c * kLightings + a) * n + i)];
                for (int ch = 0; ch < 3; ++ch) slot[static_cast<size_t>(ch)] = std::clamp(v[ch], 0.0, 1.0);
            }
    return table;
}

int WhiteTable::clampPosition(int position) const { return std::clamp(position, 0, positions_ - 1); }

int WhiteTable::defaultPosition(int panelClass) const {
    // The entry is held first so that the product cannot overflow.
    const long long entry = std::clamp(defaults_[panelClass == 1 ? 1 : 0], 0, std::max(entries_ - 1, 0));
    return clampPosition(static_cast<int>(entry * perEntry_));
}

const std::array<double, 3>& WhiteTable::entry(int panelClass, int lighting, int index) const {
    if (values_.empty() || lighting < 0 || lighting >= kLightings || index < 0 || index >= entries_) return kBlack;
    return values_[static_cast<size_t>(((panelClass == 1 ? 1 : 0) * kLightings + lighting) * entries_ + index)];
}

std::array<int, 3> WhiteTable::bytesAt(int panelClass, int lighting, int position) const {
    const int p = clampPosition(position), e = p / perEntry_, f = p % perEntry_;
    const auto& low = entry(panelClass, lighting, e);
    std::array<int, 3> out{};
    for (size_t ch = 0; ch < 3; ++ch) {
        const int v = byteOf(low[ch]);
        out[ch] = f == 0 ? v : v + f * (byteOf(entry(panelClass, lighting, e + 1)[ch]) - v) / perEntry_;
    }
    return out;
}

std::array<double, 3> WhiteTable::valuesAt(int panelClass, int lighting, int position) const {
    const int p = clampPosition(position), e = p / perEntry_, f = p % perEntry_;
    const auto& low = entry(panelClass, lighting, e);
    if (f == 0) return low;
    const auto& high = entry(panelClass, lighting, e + 1);
    std::array<double, 3> out{};
    for (size_t ch = 0; ch < 3; ++ch) out[ch] = low[ch] + (high[ch] - low[ch]) * f / perEntry_;
    return out;
}

}  // namespace huevista
