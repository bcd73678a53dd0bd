// The process-wide state of vltutil: the system family, the monitor table and the extension
// libraries.
#include "process_state.h"

#include "store_internal.h"
#include "win32_holders.h"

namespace vlt {
namespace {

bool rampReadable(HDC dc) {
    WORD ramp[3 * 256];
    return dc && GetDeviceGammaRamp(dc, ramp);
}

BOOL CALLBACK recordMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM data) {
    auto& table = *reinterpret_cast<MonitorTable*>(data);
    int index = table.count++;
    if (index >= kMonitorTableSize) return TRUE;  // counted, not recorded
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    RECT r = area ? *area : RECT{};
    bool known = GetMonitorInfoA(monitor, reinterpret_cast<LPMONITORINFO>(&info));
    if (known) r = info.rcMonitor;
    MonitorTableEntry& entry = table.entries[static_cast<size_t>(index)];
    entry.left = r.left;
    entry.top = r.top;
    entry.width = r.right - r.left;
    entry.height = r.bottom - r.top;
    if (known) {
        winplat::DeviceContext dc = winplat::DeviceContext::create("DISPLAY", info.szDevice);
        entry.rampReadable = rampReadable(dc.get());
    }
    return TRUE;
}

MonitorTable primaryScreenOnly() {
    MonitorTable table;
    table.count = 1;
    MonitorTableEntry& screen = table.entries[0];
    screen.width = GetSystemMetrics(SM_CXSCREEN);
    screen.height = GetSystemMetrics(SM_CYSCREEN);
    winplat::DeviceContext dc = winplat::DeviceContext::screen();
    screen.rampReadable = rampReadable(dc.get());
    table.desktopWidth = screen.width;
    table.desktopHeight = screen.height;
    return table;
}

}  // namespace

SystemVersion systemVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return {};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

MonitorTable buildMonitorTable() {
    if (systemVersion().family() != SystemFamily::MultiMonitor) return primaryScreenOnly();
    MonitorTable table;
    if (!EnumDisplayMonitors(nullptr, nullptr, recordMonitor, reinterpret_cast<LPARAM>(&table)) &&
        GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return primaryScreenOnly();
    table.desktopLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    table.desktopTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    table.desktopWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    table.desktopHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return table;
}

namespace {

// The library's attach: the USB extension, then the monitor table and, on systems without the
// multiple-monitor functions, the OEM extension.
ProcessState attach() {
    ProcessState state;
    state.family = systemVersion().family();
    const std::string folder = vltutilFolder();
    state.usb = UsbExtension::load(folder);
    // Looked up by name, so the library also loads on systems that lack it.
    state.user = winplat::Library("user32.dll");
    if (state.user)
        state.enumDisplayDevices =
            state.user.find<EnumDisplayDevicesFunction>("EnumDisplayDevicesA");
    state.monitors = buildMonitorTable();
    if (state.family != SystemFamily::MultiMonitor) state.oem = OemExtension::load(folder);
    return state;
}

}  // namespace

ProcessState& processState() {
    // Built in place once, on the first call of any thread (the language guarantees a single
    // initialisation); destroyed at exit or when the library is unloaded.
    static ProcessState state = attach();
    return state;
}

bool usbAvailable() {
    ProcessState& state = processState();
    if (!state.usbAvailable) {
        DWORD forced = 0;
        if (readDword("Debug", "USB", forced))
            state.usbAvailable = forced != 0;
        else
            state.usbAvailable = state.usb && state.usb->availabilityTest();
    }
    return *state.usbAvailable;
}

}  // namespace vlt
