#include "stored_results.h"

#include <cstdio>

#include "vltutil.h"
#include "win32_holders.h"

namespace huevista::test {

std::vector<std::string> storedCalibration(const char* name) {
    char data[1024];
    DWORD type = 0, size = sizeof data;
    if (GetSpectrineRegValue("Calibration", name, &type, reinterpret_cast<BYTE*>(data), &size) != 0) return {};
    std::vector<std::string> elements;
    for (DWORD at = 0; at < size;) {
        elements.emplace_back(data + at);
        at += static_cast<DWORD>(elements.back().size()) + 1;
    }
    while (!elements.empty() && elements.back().empty()) elements.pop_back();
    return elements;
}

Ramp rampOf(int monitor) {
    Ramp ramp;
    ramp.fill(0xdead);
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    VLTGetDeviceGammaRamp(screen.get(), ramp.data(), monitor);
    return ramp;
}

Ramp identityRamp() {
    Ramp ramp;
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<WORD>((i % 256) * 256);
    return ramp;
}

std::string printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace huevista::test
