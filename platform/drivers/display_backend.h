// The display backends behind the Win32 display functions (internal). A backend reports the
// monitors of the desktop and reads and loads their gamma ramps; display_api.cpp checks
// arguments, hands out HDC and HMONITOR handles and turns results into Win32 codes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win32.h"

namespace winplat::detail {

// Red, green and blue, 256 entries each, as GetDeviceGammaRamp lays them out.
using GammaRamp = std::array<WORD, 768>;

// The ramp that changes nothing: entry i of each channel is i * 257 (0 to 65535).
GammaRamp identityRamp();

struct MonitorDesc {
    RECT rect{};              // on the virtual desktop; the primary monitor starts at (0, 0)
    int bitsPerPixel = 32;
    int planes = 1;
    bool primary = false;
    bool hasRamp = true;      // the card lets the ramp be read and loaded
    std::string description;  // the system's description of the monitor ("DeviceDesc")
    std::vector<BYTE> edid;   // empty when the monitor reports none
    // Plug-and-play identification; empty means derived from the EDID.
    std::string hardwareId;
    std::string matchingDeviceId;
};

// The task bar stand-in: the edge of the primary monitor it stands on (ABE_*), its thickness
// when shown, and whether it hides itself (it then takes no room from the work area).
struct TaskbarPlace {
    UINT edge = 0;
    LONG size = 0;
    bool autoHide = false;
};

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual const char* name() const = 0;
    // In the one monitor order of the suite; exactly one is primary when there are any.
    virtual const std::vector<MonitorDesc>& monitors() const = 0;
    // The display adapter's description ("DeviceString" of the adapters, "DeviceDesc" of their
    // plug-and-play keys).
    virtual std::string adapterDescription() const = 0;
    // False when the monitor has no ramp or the system refuses.
    virtual bool getRamp(size_t monitor, GammaRamp& ramp) = 0;
    virtual bool setRamp(size_t monitor, const GammaRamp& ramp) = 0;
    // The pointer's position on the desktop; false where there is no pointer (the default).
    virtual bool cursorPosition(POINT& where) {
        (void)where;
        return false;
    }
    // Moves the pointer to a point on a monitor; false where there is no pointer.
    virtual bool moveCursor(POINT where) {
        (void)where;
        return false;
    }
    // Root-window coordinates of the desktop's origin (the primary monitor's corner).
    virtual POINT desktopOrigin() const { return {0, 0}; }
    // The desktop area that no task bar covers, in desktop coordinates; false where the
    // display names none (the whole desktop then counts).
    virtual bool workArea(RECT& area) {
        (void)area;
        return false;
    }
    // The task bar; false where there is none. By default it is the one side of the primary
    // monitor that the work area leaves free (sysparams.cpp).
    virtual bool taskbar(TaskbarPlace& bar);
    // The frame a window manager put around a window (_NET_FRAME_EXTENTS: left, top, right and
    // bottom thickness), by the display's own window id; false where none is set.
    virtual bool frameExtents(unsigned long window, RECT& margins) {
        (void)window;
        (void)margins;
        return false;
    }
    // Whether a modifier key or mouse button (VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON,
    // VK_RBUTTON, VK_MBUTTON) is held now: 1 or 0, or -1 where the display cannot tell.
    virtual int keyHeld(int virtualKey) {
        (void)virtualKey;
        return -1;
    }
    // Makes `profile` (the bytes of an ICC profile) the monitor's profile where programs of the
    // desktop look for it; an empty profile withdraws it. Displays without such a place keep
    // nothing and succeed (the default).
    virtual bool publishProfile(size_t monitor, const std::vector<BYTE>& profile) {
        (void)monitor;
        (void)profile;
        return true;
    }
};

// Monitors described by <root>/display.ini, ramps kept in the root (display_virtual.cpp).
std::unique_ptr<DisplayBackend> makeVirtualDisplay(const std::string& root);
// The X server of $DISPLAY through RandR; null when it does not answer (display_x11.cpp).
std::unique_ptr<DisplayBackend> makeX11Display();

// The backend of this process: $SPECTRINE_DISPLAY ("x11" or "virtual"), else x11 when $DISPLAY
// answers, else virtual. Chosen at first use; the lock serialises every use of it.
struct DisplayAccess {
    DisplayBackend& backend;
    std::unique_lock<std::recursive_mutex> lock;
};
DisplayAccess displayBackend();
// Reads the display's monitors again at the next use (display changes); monitor handles of
// before become stale, device contexts stay.
void reloadDisplay();

// The part of a monitor that no task bar covers (sysparams.cpp), and a rectangle helper.
RECT workAreaOf(DisplayBackend& backend, const RECT& monitor);
RECT intersectionOf(const RECT& a, const RECT& b);

// The keys held on the virtual display (virtual_keys.cpp): the virtual key numbers in
// <root>/display/keys, and holding or releasing one there; false on another display.
std::vector<int> virtualKeysHeld();
bool setVirtualKeyHeld(int virtualKey, bool down);

// Device names as EnumDisplayDevicesA reports them: "\\.\DISPLAY1" for monitor 0.
std::string displayDeviceName(size_t monitor);
// The monitor of a display device name ("\\.\DISPLAY2" gives 1), or -1 when no monitor of
// the display has that name.
long displayDeviceMonitor(LPCSTR name);

// The monitor a device context stands for (the primary one for the whole screen), or -1 for
// an unknown handle.
long deviceContextMonitor(HDC hdc);
// The image colour management mode of a device context (ICM_OFF until it is set): with
// `mode` 0 only read, otherwise replaced by `mode`. False for an unknown handle.
bool deviceContextIcmMode(HDC hdc, int mode, int& current);

// Plug-and-play identity of monitor n (display_pnp.cpp): its id ("SAM0412" from the EDID, or
// "DEFAULT_MONITOR"), its key below "Enum\" ("MONITOR\SAM0412\0001", instances counted per
// id), "HardwareID" and "MatchingDeviceID".
struct MonitorPnp {
    std::string id;
    std::string enumKey;
    std::string hardwareId;
    std::string matchingDeviceId;
};
MonitorPnp monitorPnp(const std::vector<MonitorDesc>& monitors, size_t n);
// The display adapter's id for DeviceID and its plug-and-play key ("ROOT\VIRTUAL_DISPLAY").
std::string adapterPnpId(const DisplayBackend& backend);

// Plug-and-play id of an EDID block: three letters of the maker and the product code in
// hexadecimal ("SAM0412"); empty when the block is too short or the letters are not letters.
std::string edidPnpId(const std::vector<BYTE>& edid);
// The monitor name descriptor (tag 0xFC) of an EDID block; empty when there is none.
std::string edidMonitorName(const std::vector<BYTE>& edid);

}  // namespace winplat::detail
