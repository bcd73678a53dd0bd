#include "ramp_report.h"

#include <cstdio>
#include <ostream>
#include <vector>

#include "vltutil.h"
#include "win32_holders.h"

namespace huevista::drive {

void printRamps(std::ostream& out, int count) {
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    for (int monitor = 0; monitor < count; ++monitor) {
        std::vector<WORD> ramp(768, 0);
        if (!screen || !VLTGetDeviceGammaRamp(screen.get(), ramp.data(), monitor)) {
            out << "Monitor " << monitor + 1 << ": its ramp cannot be read back\n";
            continue;
        }
        out << "Monitor " << monitor + 1 << " holds the ramp (level: red green blue, of 255):\n";
        for (int level : {0, 32, 64, 128, 192, 255}) {
            char line[64];
            std::snprintf(line, sizeof line, "  %3d: %6.2f %6.2f %6.2f\n", level, ramp[level] / 256.0,
                          ramp[256 + level] / 256.0, ramp[512 + level] / 256.0);
            out << line;
        }
    }
    out.flush();
}

}  // namespace huevista::drive
