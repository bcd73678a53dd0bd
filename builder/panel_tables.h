// The model tables of a flat panel: for red, green, blue and their mean (grey), a forward table
// (drive level i / 255 to relative output) and an inverse table (output L / 255 to drive
// level), 256 doubles each between 0 and 1, both non-decreasing. They are process-wide: every
// operation that loads a panel model rebuilds them, and the wizard's patches read them as they
// stand.
#pragma once

#include "panelforge.h"
#include "tone_model.h"

namespace builder {

inline constexpr int kModelEntries = 256;
inline constexpr int kGreyTable = 3;

struct PanelTables {
    double forward[4][kModelEntries];
    double inverse[4][kModelEntries];
    bool grey = true;  // grey mode: every lookup reads table 3, whatever channel is asked for
};

// Forward and inverse entries i / 255 in every table: a panel whose output is its drive level.
PanelTables identityTables();

// The tables of the model whose first three groups hold each channel's matches p1, p2, p3:
// 1. the transfer model at i / 255, 0 below 0 or when not a number, 1 above 1;
// 2. 1 from the first entry that reaches 1 upward, 0 from the last that reaches 0 downward;
// 3. a running maximum, so that the table never falls where the polynomial wiggles;
// 4. the inverse: 0 up to level truncate(255 F[0]); i / 255 over the levels from
//    truncate(255 F[i - 1]) to truncate(255 F[i]); 1 from truncate(255 F[255]) upward, also
//    when the output never reaches 1;
// 5. grey: the mean of the three channels' entries.
PanelTables buildPanelTables(const PANELMODELRECORD& model, bool grey);

// "Debug" "LCDGray": true unless it is a REG_DWORD of 0 (absent, or of another type: grey).
bool readGreyMode();

// The process-wide tables as they stand: the identity until a model is loaded.
const PanelTables& panelTables();
// Reads the grey mode and rebuilds the process-wide tables from `model`.
const PanelTables& loadPanelModel(const PANELMODELRECORD& model);

// Lookups in a set of tables, as the builder's channel model.
class PanelModel final : public ToneModel {
public:
    explicit PanelModel(const PanelTables& tables) : t_(tables) {}
    // forward(x, channel) = F[s][truncate(x x 255)], s = 3 in grey mode, else the channel; x
    // is held to 0..1 (0 when not a number).
    double luminance(int channel, double drive) const override;
    // inverse(x, channel) = G[s][truncate(x x 255)].
    double drive(int channel, double luminance) const override;
    // truncate(255 F[s][i]) and truncate(255 G[s][level]), 0 to 255; the index held to 0..255.
    int forwardLevel(int i, int channel) const;
    int inverseLevel(int level, int channel) const;

private:
    int table(int channel) const;
    const PanelTables& t_;
};

}  // namespace builder
