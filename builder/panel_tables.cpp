#include "panel_tables.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "panel_transfer.h"
#include "settings.h"

namespace builder {

namespace {

// truncate(255 v) of a table value (0 to 1).
int levelOf(double v) { return static_cast<int>(v * 255.0); }

int heldIndex(int i) { return std::clamp(i, 0, kModelEntries - 1); }

// truncate(x x 255), x held to 0..1.
int indexOf(double x) {
    if (!(x > 0.0)) return 0;
    if (x >= 1.0) return kModelEntries - 1;
    return heldIndex(static_cast<int>(x * 255.0));
}

void buildForward(const double (&p)[3], double (&f)[kModelEntries]) {
    for (int i = 0; i < kModelEntries; ++i) {
        const double v = panelTransfer(i / 255.0, p[0], p[1], p[2]);
        f[i] = !(v >= 0.0) ? 0.0 : v > 1.0 ? 1.0 : v;
    }
    const auto top = std::find_if(std::begin(f), std::end(f), [](double v) { return v >= 1.0; });
    if (top != std::end(f)) std::fill(top + 1, std::end(f), 1.0);
    for (int i = kModelEntries - 1; i >= 0; --i)
        if (f[i] <= 0.0) {
            std::fill(f, f + i, 0.0);
            break;
        }
    for (int i = 1; i < kModelEntries; ++i) f[i] = std::max(f[i], f[i - 1]);
}

void buildInverse(const double (&f)[kModelEntries], double (&g)[kModelEntries]) {
    std::fill(std::begin(g), std::end(g), 0.0);
    for (int i = 1; i < kModelEntries; ++i) {
        const int high = levelOf(f[i]), low = levelOf(f[i - 1]);
        if (high >= low) std::fill(g + low, g + high + 1, i / 255.0);
    }
    std::fill(g + levelOf(f[kModelEntries - 1]), std::end(g), 1.0);
}

PanelTables& processTables() {
    static PanelTables tables = identityTables();
    return tables;
}

}  // namespace

PanelTables identityTables() {
    PanelTables t;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < kModelEntries; ++i) t.forward[k][i] = t.inverse[k][i] = i / 255.0;
    return t;
}

PanelTables buildPanelTables(const PANELMODELRECORD& model, bool grey) {
    PanelTables t;
    t.grey = grey;
    for (int k = 0; k < 3; ++k) {
        const double p[3] = {model.groups[0][1 + k], model.groups[1][1 + k], model.groups[2][1 + k]};
        buildForward(p, t.forward[k]);
        buildInverse(t.forward[k], t.inverse[k]);
    }
    for (int i = 0; i < kModelEntries; ++i) {
        t.forward[kGreyTable][i] = (t.forward[0][i] + t.forward[1][i] + t.forward[2][i]) / 3.0;
        t.inverse[kGreyTable][i] = (t.inverse[0][i] + t.inverse[1][i] + t.inverse[2][i]) / 3.0;
    }
    return t;
}

bool readGreyMode() { return readFourByteValue("Debug", "LCDGray", true).value_or(1) != 0; }

const PanelTables& panelTables() { return processTables(); }

const PanelTables& loadPanelModel(const PANELMODELRECORD& model) {
    return processTables() = buildPanelTables(model, readGreyMode());
}

int PanelModel::table(int channel) const {
    return t_.grey || channel < 0 || channel > 2 ? kGreyTable : channel;
}

double PanelModel::luminance(int channel, double drive) const {
    return t_.forward[table(channel)][indexOf(drive)];
}

double PanelModel::drive(int channel, double luminance) const {
    return t_.inverse[table(channel)][indexOf(luminance)];
}

int PanelModel::forwardLevel(int i, int channel) const {
    return levelOf(t_.forward[table(channel)][heldIndex(i)]);
}

int PanelModel::inverseLevel(int level, int channel) const {
    return levelOf(t_.inverse[table(channel)][heldIndex(level)]);
}

}  // namespace builder
