// Device gamma ramps on each system family, USB monitor gains, the OEM driver's panning mode.
#include "gamma_ramp.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "process_state.h"
#include "store_internal.h"
#include "win32_holders.h"

namespace {

using vlt::Gains;
using vlt::ProcessState;
using vlt::SystemFamily;

constexpr size_t kEntries = 256;
constexpr size_t kRampWords = 3 * kEntries;
constexpr WORD kFullScale = 65280;  // 255 x 256
using Ramp = std::array<WORD, kRampWords>;

// The first form of the display device structure (up to StateFlags), as the 98 family knows it.
constexpr DWORD kDisplayDeviceSize = 168;
static_assert(offsetof(DISPLAY_DEVICEA, DeviceID) == kDisplayDeviceSize);

// a x b / d with a 64-bit product, rounded to the nearest integer (halves away from zero).
int64_t multiplyDivide(int64_t a, int64_t b, int64_t d) {
    const int64_t product = a * b;
    const bool negative = (product < 0) != (d < 0);
    const int64_t magnitude = (std::llabs(product) + std::llabs(d) / 2) / std::llabs(d);
    return negative ? -magnitude : magnitude;
}

// Stretches each channel so that its last entry reaches full scale, keeping its first entry:
// entry = e0 + (entry - e0) x (65280 - e0) / (e255 - e0). A channel whose last entry is 0
// becomes all zeros. A channel whose last entry equals its first (and is not 0) or lies below
// it has no span to stretch and stays as it is. Entries outside the span of a channel that
// does not rise steadily are kept within 0..65535.
void stretchToFullScale(Ramp& ramp) {
    for (size_t c = 0; c < 3; ++c) {
        WORD* channel = ramp.data() + c * kEntries;
        const int64_t e0 = channel[0], e255 = channel[kEntries - 1];
        if (e255 == 0) {
            std::fill(channel, channel + kEntries, WORD{0});
            continue;
        }
        if (e255 <= e0) continue;
        for (size_t i = 0; i < kEntries; ++i) {
            const int64_t v = e0 + multiplyDivide(channel[i] - e0, kFullScale - e0, e255 - e0);
            channel[i] = static_cast<WORD>(std::clamp<int64_t>(v, 0, 0xFFFF));
        }
    }
}

// The gains in the high bytes of entry 255 of each channel; the cached gains when all are 0.
Gains gainsOf(const Ramp& ramp, const Gains& cached) {
    Gains gains{};
    for (size_t c = 0; c < 3; ++c) gains[c] = static_cast<BYTE>(ramp[c * kEntries + kEntries - 1] >> 8);
    if (gains == Gains{0, 0, 0}) return cached;
    return gains;
}

// Refreshes the cached gains from "USB" "GainRed", "GainGreen", "GainBlue"; an absent value
// leaves its gain as it was, a value outside 0..255 is taken to the nearest end.
void refreshCachedGains(Gains& gains) {
    static constexpr const char* kNames[3] = {"GainRed", "GainGreen", "GainBlue"};
    for (size_t c = 0; c < 3; ++c) {
        DWORD value = 0;
        if (!vlt::readDword("USB", kNames[c], value)) continue;
        gains[c] = static_cast<BYTE>(std::clamp<int64_t>(static_cast<LONG>(value), 0, 255));
    }
}

enum class Direction { Read, Write };

// Reads or loads the ramp of `display` the way the system family allows.
int transferRamp(const ProcessState& state, HDC dc, Ramp& ramp, int display, Direction direction) {
    switch (state.family) {
    case SystemFamily::Nt4: {
        if (!state.oem) return 0;
        return direction == Direction::Read ? state.oem->getRamp(dc, ramp.data(), display)
                                            : state.oem->setRamp(dc, ramp.data(), display);
    }
    case SystemFamily::MultiMonitor: {
        if (!state.enumDisplayDevices || display < 0) return 0;
        DISPLAY_DEVICEA device{};
        device.cb = kDisplayDeviceSize;
        if (!state.enumDisplayDevices(nullptr, static_cast<DWORD>(display), &device, 0)) return 0;
        winplat::DeviceContext deviceDc = winplat::DeviceContext::create("DISPLAY", device.DeviceName);
        if (!deviceDc) return 0;
        return direction == Direction::Read ? GetDeviceGammaRamp(deviceDc.get(), ramp.data())
                                            : SetDeviceGammaRamp(deviceDc.get(), ramp.data());
    }
    case SystemFamily::Other:
        break;
    }
    return direction == Direction::Read ? GetDeviceGammaRamp(dc, ramp.data())
                                        : SetDeviceGammaRamp(dc, ramp.data());
}

// The ramp read into a zeroed buffer holds an entry of 256 or more: loaded ramps reach the
// hardware with more than byte precision.
bool rampReadBack() {
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    Ramp ramp{};
    if (!VLTGetDeviceGammaRamp(screen.get(), ramp.data(), 0)) return false;
    return std::any_of(ramp.begin(), ramp.end(), [](WORD w) { return w >= 256; });
}

bool rampsSupported() {
    DWORD forced = 0;
    if (vlt::readDword("Debug", "GammaRamp", forced)) return forced != 0;
    const ProcessState& state = vlt::processState();
    if (state.family == SystemFamily::MultiMonitor) {
        const vlt::MonitorTable& table = state.monitors;
        for (int i = 0; i < table.recorded(); ++i)
            if (!table.entries[static_cast<size_t>(i)].rampReadable) return false;
        return true;  // also with no monitor in the table
    }
    return rampReadBack();
}

}  // namespace

VLTUTIL_API int VLTSetDeviceGammaRamp(HDC dc, LPVOID ramp, int display) {
    if (!ramp) return 0;
    ProcessState& state = vlt::processState();
    Ramp local;
    std::memcpy(local.data(), ramp, sizeof local);
    if (vlt::usbAvailable()) {
        // "Debug" "USB" may say available where no extension is bound: nothing to send to.
        if (state.usb) state.usb->sendGains(gainsOf(local, state.cachedGains));
        stretchToFullScale(local);
        std::memcpy(ramp, local.data(), sizeof local);
    }
    return transferRamp(state, dc, local, display, Direction::Write);
}

VLTUTIL_API int VLTGetDeviceGammaRamp(HDC dc, LPVOID ramp, int display) {
    if (!ramp) return 0;
    ProcessState& state = vlt::processState();
    Ramp local;
    std::memcpy(local.data(), ramp, sizeof local);  // what a failed read leaves
    const int result = transferRamp(state, dc, local, display, Direction::Read);
    std::memcpy(ramp, local.data(), sizeof local);
    if (vlt::usbAvailable()) refreshCachedGains(state.cachedGains);
    return result;
}

VLTUTIL_API int IsGammaRampSupported(void) {
    return (rampsSupported() ? 1 : 0) | (vlt::usbAvailable() ? 2 : 0);
}

VLTUTIL_API int IsPanningEnabled(int a, int b) {
    const ProcessState& state = vlt::processState();
    return state.oem ? state.oem->isPanningEnabled(a, b) : 0;
}

VLTUTIL_API int SetPanningOn(void) {
    const ProcessState& state = vlt::processState();
    return state.oem ? state.oem->setPanningOn() : 0;
}

VLTUTIL_API int SetPanningOff(void) {
    const ProcessState& state = vlt::processState();
    const int result = state.oem ? state.oem->setPanningOff() : 0;
    // The pointer to the top left corner and back, so the driver shows the desktop from there.
    POINT where{};
    if (GetCursorPos(&where)) {
        SetCursorPos(0, 0);
        SetCursorPos(where.x, where.y);
    }
    return result;
}

VLTUTIL_API LONG WriteUSBValues(int gainRed, int gainGreen, int gainBlue, int biasRed,
                                int biasGreen, int biasBlue) {
    const struct {
        const char* name;
        int64_t value;
    } values[6] = {{"GainRed", gainRed},   {"GainGreen", gainGreen}, {"GainBlue", gainBlue},
                   {"BiasRed", -static_cast<int64_t>(biasRed)},
                   {"BiasGreen", -static_cast<int64_t>(biasGreen)},
                   {"BiasBlue", -static_cast<int64_t>(biasBlue)}};
    // Every value is written; the first failure is what the caller hears of.
    LONG result = ERROR_SUCCESS;
    for (const auto& v : values) {
        const LONG rc = vlt::writeDword("USB", v.name, static_cast<DWORD>(v.value));
        if (result == ERROR_SUCCESS) result = rc;
    }
    return result;
}

VLTUTIL_API int ReadUSBValues(int* gainRed, int* gainGreen, int* gainBlue, int* biasRed,
                              int* biasGreen, int* biasBlue) {
    const struct {
        const char* name;
        int* out;
    } values[6] = {{"GainRed", gainRed}, {"GainGreen", gainGreen}, {"GainBlue", gainBlue},
                   {"BiasRed", biasRed}, {"BiasGreen", biasGreen}, {"BiasBlue", biasBlue}};
    int read = 0;
    for (const auto& v : values) {
        DWORD value = 0;
        if (!v.out || !vlt::readDword("USB", v.name, value)) continue;
        *v.out = static_cast<int>(value);
        ++read;
    }
    return read;
}
