// The tone model of each channel, derived from the matches of the working record: the Motta
// gain-offset-gamma model for CRTs (light = (K + (1 - K) d)^gamma, K < 0 putting light 0 at the
// black point) and, for flat panels and notebooks, the panel builder's input-output model fed
// with the three tone matches. The luminance and colour steps turn wanted light into video
// levels through it.
#pragma once

#include <array>

#include "calibration_record.h"

namespace huevista {

// Motta K of a channel whose black point is `blackLevel`: -(b / 255) / (1 - b / 255); 0 when
// that is not a finite number.
double mottaK(int blackLevel);

// Motta gamma from the one-third match `shadowLevel` and the two-thirds match
// `highlightLevel`: the one-point estimates ln(1/3) / ln(K + (1 - K) s / 255) and
// ln(2/3) / ln(K + (1 - K) h / 255), weighted 14.556 and 8.868. An estimate whose logarithm
// argument is not strictly between 0 and 1 (a match at full level, at or below the black
// point) is left out and the weights of the others renormalised; with none left, 2.0.
double mottaGamma(double k, int shadowLevel, int highlightLevel);

// Writes Motta K and gamma of the three channels into `record` from its black point and its
// shadow and highlight matches.
void computeMottaModel(CalibrationRecord& record);

// The panel table: (shadow input, shadow R, G, B / 255), (midtone input, midtone R, G, B / 255),
// (highlight input, highlight R, G, B / 255), as BeginIOModelTable takes it.
std::array<double, 12> panelTable(const CalibrationRecord& record);

// The tone model for the luminance and colour steps: the Motta model written into the record,
// and for a panel or notebook the model tables built from the panel table (BeginIOModelTable);
// 1 when the tables are ready (always 1 for a CRT).
int beginToneModel(CalibrationRecord& record);
// Closes the panel's model tables (EndIOModelTable); nothing for a CRT.
void endToneModel(const CalibrationRecord& record);

// The video level (0 to 255) that shows linear level `wanted` (0 to 255) on channel `channel`:
// for a CRT 255 x clamp(((v / 255)^(1 / gamma) - K) / (1 - K), 0, 1), truncated; for a panel
// or notebook DoIOModel of the truncated level.
int inverseToneLevel(const CalibrationRecord& record, double wanted, int channel);

}  // namespace huevista
