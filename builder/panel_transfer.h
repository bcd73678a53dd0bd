// The panel transfer model: a flat panel channel's relative output at a drive level, from the
// drive levels p1, p2, p3 at which the channel matched the greys of the 1/3, 1/2 and 2/3 tone
// steps. A fitted polynomial, not a physical law: it can leave 0..1 and need not rise
// everywhere, which the model tables (panel_tables.h) put right.
#pragma once

namespace builder {

// f(x) = A(x) + B1(x) K1 + B2(x) K2 + B3(x) K3, each K = e0 + sum over j of
// (e_j1 p1^j + e_j2 p2^j + e_j3 p3^j). Not clamped; may be NaN for numbers that are not.
double panelTransfer(double x, double p1, double p2, double p3);

}  // namespace builder
