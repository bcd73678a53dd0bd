// What vltutil keeps for the life of the process that loaded it (internal to the store): the
// system family, the monitor table, the extension libraries, the USB availability answer and
// the cached monitor gains.
//
// The state is built on first need rather than when the library is loaded: a process chooses
// its system root, display and emulated system family through its environment, which must be
// in place before the display is asked anything, and a library constructor would run before a
// program (or a test) could set it. Every export that depends on the state calls
// processState(); the first call builds it, later calls return the same object. Nothing is
// probed again while the process runs, even when monitors change.
#pragma once

#include <array>
#include <optional>

#include "extensions.h"
#include "system_version.h"
#include "win32.h"

namespace vlt {

inline constexpr int kMonitorTableSize = 9;  // monitors recorded in the table

struct MonitorTableEntry {
    LONG left = 0, top = 0, width = 0, height = 0;
    bool rampReadable = false;  // the ramp could be read on the monitor's device context
};

struct MonitorTable {
    // The virtual desktop (system metrics 76 to 79).
    LONG desktopLeft = 0, desktopTop = 0, desktopWidth = 0, desktopHeight = 0;
    // Monitors found; the first kMonitorTableSize of them are recorded in `entries`.
    int count = 0;
    std::array<MonitorTableEntry, kMonitorTableSize> entries{};

    int recorded() const { return count < kMonitorTableSize ? count : kMonitorTableSize; }
};

// The monitors as the multiple-monitor functions enumerate them, each with its rectangle and
// whether its ramp could be read. Where those functions are missing (Windows 95, NT 4) the
// primary screen is the only monitor, with the screen size as its rectangle and as the desktop.
MonitorTable buildMonitorTable();

// The system's display device enumeration, looked up by name at attach.
using EnumDisplayDevicesFunction = BOOL(WINAPI*)(LPCSTR device, DWORD number,
                                                 PDISPLAY_DEVICEA displayDevice, DWORD flags);

struct ProcessState {
    SystemFamily family = SystemFamily::Other;
    MonitorTable monitors;
    // Bound at attach: the USB extension always, the OEM extension on systems without the
    // multiple-monitor functions. Freed (OEM first) when the state goes at detach.
    std::optional<UsbExtension> usb;
    std::optional<OemExtension> oem;
    winplat::Library user;  // the user-interface library
    EnumDisplayDevicesFunction enumDisplayDevices = nullptr;
    // Decided on first need, then kept: "Debug" "USB", else the extension's availability test.
    std::optional<bool> usbAvailable;
    // Gains sent when a ramp gives none; 255 each at attach, refreshed from the "USB" values.
    Gains cachedGains{255, 255, 255};
};

// The state of this process, built by the first call (the library's attach). It goes at exit,
// or when the library is unloaded (the detach), freeing the extension libraries.
ProcessState& processState();

// Whether USB gains can be sent, decided once per process.
bool usbAvailable();

}  // namespace vlt
