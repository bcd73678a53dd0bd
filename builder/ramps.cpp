#include "ramps.h"

#include "vltutil.h"

namespace builder {

void fillIdentityRamp(WORD* ramp) {
    GetSpectrineLUT(ramp, ramp + kRampChannel, ramp + 2 * kRampChannel, 1, 1, 1, 1, 1, 1, 0, 0, 0,
                    1, 1, 1);
}

}  // namespace builder
