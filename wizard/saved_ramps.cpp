#include "saved_ramps.h"

#include "profforge.h"
#include "vltutil.h"
#include "win32_holders.h"

namespace huevista {

RampDevice storeRampDevice() { return {VLTGetDeviceGammaRamp, VLTSetDeviceGammaRamp, ResetGammaRamp}; }

void SavedRamps::saveAndReset(int monitors) {
    saved_.assign(static_cast<size_t>(monitors > 0 ? monitors : 0), Saved{});
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    if (!screen) return;
    for (int i = 0; i < monitors; ++i) {
        Saved& s = saved_[static_cast<size_t>(i)];
        s.read = device_.read(screen.get(), s.ramp.data(), i) != 0;
        device_.reset(i);
    }
}

void SavedRamps::restore() const {
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    if (!screen) return;
    for (size_t i = 0; i < saved_.size(); ++i) {
        if (!saved_[i].read) continue;
        std::array<WORD, kEntries> copy = saved_[i].ramp;
        device_.write(screen.get(), copy.data(), static_cast<int>(i));
    }
}

bool SavedRamps::wasRead(int monitor) const {
    return monitor >= 0 && static_cast<size_t>(monitor) < saved_.size() && saved_[static_cast<size_t>(monitor)].read;
}

}  // namespace huevista
