// The optional extension libraries vltutil binds when a process first needs it (internal to the
// store): the OEM extension, which gives ramp access and multi-head information where the system
// has none, and the USB extension, which drives a monitor's own gains.
//
// Both are looked for in the folder of vltutil itself, as "\OEMEXT.DLL" and "\USBExt.dll"
// (the platform maps these names to libOEMEXT.so and libUSBExt.so in that folder). A library
// that lacks an export it must have, or answers with a version this code does not speak, is
// freed at once and counts as absent. The entry points of both libraries are plain C
// functions; the Windows convention of each (caller- or callee-cleans) has no counterpart on
// this machine's calling convention.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "win32.h"
#include "win32_holders.h"

namespace vlt {

// The folder of the library (or program) that holds vltutil's code, with no separator at its
// end; empty when it cannot be found.
std::string vltutilFolder();

// "\OEMEXT.DLL": exported "Version" of 1 and six functions.
struct OemExtension {
    using GetRamp = int (*)(HDC dc, LPVOID ramp, int display);
    using SetRamp = int (*)(HDC dc, LPVOID ramp, int display);
    // Width and height of one display, width and height of the desktop, the display count.
    using IsMultiHeaded = int (*)(int* displaySize, int* desktopSize, int* count);
    using IsPanningEnabled = int (*)(int a, int b);
    using Panning = int (*)(void);

    winplat::Library library;
    GetRamp getRamp = nullptr;
    SetRamp setRamp = nullptr;
    IsMultiHeaded isMultiHeaded = nullptr;
    Panning setPanningOn = nullptr;
    Panning setPanningOff = nullptr;
    IsPanningEnabled isPanningEnabled = nullptr;

    // The extension in `folder`, or nothing when it is missing or not usable.
    static std::optional<OemExtension> load(const std::string& folder);
};

// Red, green and blue gains of the monitor.
using Gains = std::array<BYTE, 3>;

// "\USBExt.dll": protocol 0 ("SendCtlToUSB") or 1 ("USBIsAvailable", "USBSetValues",
// "USBGetValues"), chosen by its exported "Version" (0 when it exports none).
struct UsbExtension {
    using SendCtl = int (*)(int command, int code, WORD value);
    using IsAvailable = int (*)(int* state);
    using Values = int (*)(int* block, int code);

    winplat::Library library;
    int version = 0;
    SendCtl sendCtl = nullptr;        // version 0
    IsAvailable isAvailable = nullptr;  // version 1
    Values setValues = nullptr;       // version 1
    Values getValues = nullptr;       // version 1: required, never called

    static std::optional<UsbExtension> load(const std::string& folder);

    // Whether a monitor answers: version 0 asks SendCtlToUSB(1, 0, 0) >= 0, version 1 the
    // result of USBIsAvailable.
    bool availabilityTest() const;
    // Sends the gains; version 0: (4, 22, red), (4, 24, green), (4, 26, blue), stopping at the
    // first negative answer (non-zero only when all three succeed); version 1: one USBSetValues
    // of a zeroed block of eight integers with red, green and blue at 2, 3 and 4, code 23,
    // whose answer is returned.
    int sendGains(const Gains& gains) const;
};

}  // namespace vlt
