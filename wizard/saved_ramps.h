// The gamma ramps every monitor held when the wizard started, saved before the identity ramp is
// loaded for measuring, and written back when the wizard is cancelled.
#pragma once

#include <array>
#include <vector>

#include "win32.h"

namespace huevista {

// The calls the ramps go through: the store's ramp access and the builder's identity ramp.
struct RampDevice {
    int (*read)(HDC dc, LPVOID ramp, int display);
    int (*write)(HDC dc, LPVOID ramp, int display);
    int (*reset)(int display);
};
RampDevice storeRampDevice();

class SavedRamps {
public:
    static constexpr size_t kEntries = 768;  // red, green, blue: 256 entries each

    explicit SavedRamps(RampDevice device = storeRampDevice()) : device_(device) {}

    // Reads each monitor's ramp on the screen's device context, then loads the identity ramp on
    // it. Without a screen context nothing is read or reset.
    void saveAndReset(int monitors);
    // Writes back the ramps that were read (a monitor whose ramp could not be read keeps what
    // it holds). Each write gets its own copy: the store may stretch the buffer it is given.
    void restore() const;

    bool wasRead(int monitor) const;

private:
    struct Saved {
        bool read = false;
        std::array<WORD, kEntries> ramp{};
    };
    RampDevice device_;
    std::vector<Saved> saved_;
};

}  // namespace huevista
