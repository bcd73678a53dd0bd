// The X11 display: each active RandR CRTC is a monitor, in the order of the outputs that drive
// them; ramps go through the CRTC's gamma table, resampled when it does not have 256 entries;
// the EDID comes from the output's "EDID" property and the depth from the screen.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <memory>
#include <string>

#include "display_backend.h"
#include "gamma_resample.h"

namespace winplat::detail {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

template <typename T, void (*Free)(T*)>
struct XFreeWith {
    void operator()(T* p) const {
        if (p) Free(p);
    }
};
using ScreenResources = std::unique_ptr<XRRScreenResources, XFreeWith<XRRScreenResources, XRRFreeScreenResources>>;
using OutputInfo = std::unique_ptr<XRROutputInfo, XFreeWith<XRROutputInfo, XRRFreeOutputInfo>>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, XFreeWith<XRRCrtcInfo, XRRFreeCrtcInfo>>;
using CrtcGamma = std::unique_ptr<XRRCrtcGamma, XFreeWith<XRRCrtcGamma, XRRFreeGamma>>;

void freeXData(unsigned char* p) { XFree(p); }
using XData = std::unique_ptr<unsigned char, XFreeWith<unsigned char, freeXData>>;

// Catches the X errors of a group of requests instead of letting Xlib end the process; the
// previous handler is back when the trap goes. Callers hold the display lock.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        failed_ = false;
        previous_ = XSetErrorHandler(&ErrorTrap::handler);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    ~ErrorTrap() {
        if (!synced_) XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    // Waits for the server's answers so far; true when none was an error. Callers send no
    // request after it, so the trap does not wait again when it goes.
    bool ok() {
        XSync(display_, False);
        synced_ = true;
        return !failed_;
    }

private:
    static int handler(Display*, XErrorEvent*) {
        failed_ = true;
        return 0;
    }
    static inline bool failed_ = false;
    Display* display_;
    bool synced_ = false;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

std::vector<BYTE> outputEdid(Display* display, RROutput output) {
    for (const char* name : {"EDID", "EdidData"}) {
        Atom atom = XInternAtom(display, name, True);
        if (atom == None) continue;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* raw = nullptr;
        // 64 longs: 256 bytes, a block and one extension.
        if (XRRGetOutputProperty(display, output, atom, 0, 64, False, False, AnyPropertyType,
                                 &type, &format, &items, &after, &raw) != Success)
            continue;
        XData data(raw);
        if (format == 8 && items > 0) return std::vector<BYTE>(raw, raw + std::min(items, 256ul));
    }
    return {};
}

// Bits per pixel of the screen's depth (24-bit depth is stored in 32-bit pixels).
int bitsPerPixelOf(Display* display, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = depth;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats) XFree(formats);
    return bits;
}

class X11Display final : public DisplayBackend {
public:
    explicit X11Display(DisplayPtr display) : display_(std::move(display)) { probe(); }

    const char* name() const override { return "x11"; }
    const std::vector<MonitorDesc>& monitors() const override { return monitors_; }
    std::string adapterDescription() const override { return adapter_; }

    bool getRamp(size_t monitor, GammaRamp& ramp) override {
        if (monitor >= crtcs_.size() || !monitors_[monitor].hasRamp) return false;
        Display* d = display_.get();
        ErrorTrap trap(d);
        CrtcGamma gamma(XRRGetCrtcGamma(d, crtcs_[monitor]));
        if (!trap.ok() || !gamma || gamma->size <= 0) return false;
        const int size = gamma->size;
        gammaSizes_[monitor] = size;
        const unsigned short* channels[3] = {gamma->red, gamma->green, gamma->blue};
        for (size_t c = 0; c < 3; ++c) {
            std::vector<uint16_t> channel =
                resampleChannel(channels[c], static_cast<size_t>(size), 256);
            std::copy(channel.begin(), channel.end(), ramp.begin() + 256 * c);
        }
        return true;
    }

    // One round trip: the table size known from the probe (or the last read), the table sent,
    // and one wait for the server's answer. A size that changed since makes the server refuse
    // the table; the size is then asked again and the table sent once more.
    bool setRamp(size_t monitor, const GammaRamp& ramp) override {
        if (monitor >= crtcs_.size() || !monitors_[monitor].hasRamp) return false;
        if (sendRamp(monitor, ramp)) return true;
        const int size = XRRGetCrtcGammaSize(display_.get(), crtcs_[monitor]);
        if (size <= 0 || size == gammaSizes_[monitor]) return false;
        gammaSizes_[monitor] = size;
        return sendRamp(monitor, ramp);
    }

    // The pointer through the root window, in desktop coordinates (the primary monitor's top
    // left corner is the origin, the root window's is not).
    bool cursorPosition(POINT& where) override {
        unsigned int mask = 0;
        return queryPointer(where, mask);
    }

    bool moveCursor(POINT where) override {
        Display* d = display_.get();
        ErrorTrap trap(d);
        XWarpPointer(d, None, root_, 0, 0, 0, 0, where.x + origin_.x, where.y + origin_.y);
        return trap.ok();
    }

    // The X colour management convention: the root window's _ICC_PROFILE (monitor 0) or
    // _ICC_PROFILE_<n> (monitor n), type CARDINAL, format 8, the profile's bytes.
    bool publishProfile(size_t monitor, const std::vector<BYTE>& profile) override {
        Display* d = display_.get();
        std::string name = "_ICC_PROFILE";
        if (monitor > 0) {
            name += '_';
            name += std::to_string(monitor);
        }
        ErrorTrap trap(d);
        Atom atom = XInternAtom(d, name.c_str(), False);
        if (atom == None) return false;
        if (profile.empty())
            XDeleteProperty(d, root_, atom);
        else
            XChangeProperty(d, root_, atom, XA_CARDINAL, 8, PropModeReplace, profile.data(),
                            static_cast<int>(profile.size()));
        return trap.ok();
    }

    POINT desktopOrigin() const override { return origin_; }

    // _NET_WORKAREA of the current desktop (root coordinates, four CARDINALs per desktop).
    bool workArea(RECT& area) override {
        Display* d = display_.get();
        ErrorTrap trap(d);
        Atom atom = XInternAtom(d, "_NET_WORKAREA", True);
        if (atom == None) return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, root_, atom, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) != Success || !trap.ok())
            return false;
        std::unique_ptr<unsigned char, int (*)(void*)> hold(data, XFree);
        if (type != XA_CARDINAL || format != 32 || count < 4) return false;
        const auto* v = reinterpret_cast<const long*>(data);  // format 32 arrives as longs
        area = {static_cast<LONG>(v[0]) - origin_.x, static_cast<LONG>(v[1]) - origin_.y,
                static_cast<LONG>(v[0] + v[2]) - origin_.x, static_cast<LONG>(v[1] + v[3]) - origin_.y};
        return area.right > area.left && area.bottom > area.top;
    }

    bool frameExtents(unsigned long window, RECT& margins) override {
        Display* d = display_.get();
        ErrorTrap trap(d);
        Atom atom = XInternAtom(d, "_NET_FRAME_EXTENTS", True);
        if (atom == None || window == 0) return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, window, atom, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data) !=
                Success ||
            !trap.ok())
            return false;
        std::unique_ptr<unsigned char, int (*)(void*)> hold(data, XFree);
        if (type != XA_CARDINAL || format != 32 || count < 4) return false;
        const auto* v = reinterpret_cast<const long*>(data);  // left, right, top, bottom
        for (int i = 0; i < 4; ++i)
            if (v[i] < 0 || v[i] > 1000) return false;
        margins = {static_cast<LONG>(v[0]), static_cast<LONG>(v[2]), static_cast<LONG>(v[1]), static_cast<LONG>(v[3])};
        return true;
    }

    // The pointer's mask: the modifiers and buttons held.
    int keyHeld(int virtualKey) override {
        unsigned int bit = 0;
        switch (virtualKey) {
            case 0x10: bit = ShiftMask; break;    // VK_SHIFT
            case 0x11: bit = ControlMask; break;  // VK_CONTROL
            case 0x12: bit = Mod1Mask; break;     // VK_MENU
            case 0x01: bit = Button1Mask; break;  // VK_LBUTTON
            case 0x02: bit = Button3Mask; break;  // VK_RBUTTON
            case 0x04: bit = Button2Mask; break;  // VK_MBUTTON
            default: return -1;
        }
        POINT where{};
        unsigned int mask = 0;
        if (!queryPointer(where, mask)) return -1;
        return (mask & bit) ? 1 : 0;
    }

private:
    // The pointer in desktop coordinates and the mask of the modifiers and buttons held.
    bool queryPointer(POINT& where, unsigned int& mask) {
        Display* d = display_.get();
        ErrorTrap trap(d);
        Window root = None, child = None;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        if (!XQueryPointer(d, root_, &root, &child, &rootX, &rootY, &winX, &winY, &mask) || !trap.ok())
            return false;
        where = {rootX - origin_.x, rootY - origin_.y};
        return true;
    }

    bool sendRamp(size_t monitor, const GammaRamp& ramp) {
        const int size = gammaSizes_[monitor];
        if (size <= 0) return false;
        CrtcGamma gamma(XRRAllocGamma(size));
        if (!gamma) return false;
        unsigned short* channels[3] = {gamma->red, gamma->green, gamma->blue};
        for (size_t c = 0; c < 3; ++c) {
            std::vector<uint16_t> channel =
                resampleChannel(ramp.data() + 256 * c, 256, static_cast<size_t>(size));
            std::copy(channel.begin(), channel.end(), channels[c]);
        }
        Display* d = display_.get();
        ErrorTrap trap(d);
        XRRSetCrtcGamma(d, crtcs_[monitor], gamma.get());
        return trap.ok();
    }

    void probe() {
        Display* d = display_.get();
        ErrorTrap trap(d);
        int screen = DefaultScreen(d);
        Window root = RootWindow(d, screen);
        root_ = root;
        int depth = DefaultDepth(d, screen);
        int bits = bitsPerPixelOf(d, depth);
        adapter_ = ServerVendor(d);

        int event = 0, error = 0, major = 0, minor = 0;
        bool randr = XRRQueryExtension(d, &event, &error) && XRRQueryVersion(d, &major, &minor) &&
                     (major > 1 || (major == 1 && minor >= 2));
        if (!randr) {
            // Without RandR 1.2 the screen is the one monitor, and there is no ramp to reach.
            MonitorDesc m;
            m.rect = {0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)};
            m.bitsPerPixel = bits;
            m.primary = true;
            m.hasRamp = false;
            m.description = "Default Monitor";
            monitors_.push_back(m);
            crtcs_.push_back(None);
            gammaSizes_.push_back(0);
            return;
        }

        if (major > 1 || minor >= 4) {
            XRRProviderResources* providers = XRRGetProviderResources(d, root);
            if (providers && providers->nproviders > 0) {
                ScreenResources res(XRRGetScreenResourcesCurrent(d, root));
                XRRProviderInfo* info =
                    res ? XRRGetProviderInfo(d, res.get(), providers->providers[0]) : nullptr;
                if (info && info->name && *info->name) adapter_ = info->name;
                if (info) XRRFreeProviderInfo(info);
            }
            if (providers) XRRFreeProviderResources(providers);
        }

        ScreenResources res(XRRGetScreenResourcesCurrent(d, root));
        if (!res) return;
        RROutput primaryOutput = XRRGetOutputPrimary(d, root);
        long primary = -1;
        for (int o = 0; o < res->noutput; ++o) {
            OutputInfo output(XRRGetOutputInfo(d, res.get(), res->outputs[o]));
            if (!output || output->crtc == None) continue;
            if (std::find(crtcs_.begin(), crtcs_.end(), output->crtc) != crtcs_.end()) continue;
            CrtcInfo crtc(XRRGetCrtcInfo(d, res.get(), output->crtc));
            if (!crtc || crtc->mode == None || crtc->width == 0 || crtc->height == 0) continue;
            MonitorDesc m;
            m.rect = {crtc->x, crtc->y, crtc->x + static_cast<LONG>(crtc->width),
                      crtc->y + static_cast<LONG>(crtc->height)};
            m.bitsPerPixel = bits;
            const int gammaSize = XRRGetCrtcGammaSize(d, output->crtc);
            m.hasRamp = gammaSize > 1;
            m.edid = outputEdid(d, res->outputs[o]);
            m.description = edidMonitorName(m.edid);
            if (m.description.empty())
                m.description = edidPnpId(m.edid).empty() ? "Default Monitor" : "Plug and Play Monitor";
            if (res->outputs[o] == primaryOutput) primary = static_cast<long>(monitors_.size());
            monitors_.push_back(std::move(m));
            crtcs_.push_back(output->crtc);
            gammaSizes_.push_back(gammaSize);
        }
        if (monitors_.empty()) return;
        if (primary < 0) primary = 0;
        // Desktop coordinates start at the primary monitor's top left corner, as on Windows.
        MonitorDesc& p = monitors_[static_cast<size_t>(primary)];
        p.primary = true;
        LONG dx = p.rect.left, dy = p.rect.top;
        origin_ = {dx, dy};
        for (MonitorDesc& m : monitors_)
            m.rect = {m.rect.left - dx, m.rect.top - dy, m.rect.right - dx, m.rect.bottom - dy};
    }

    DisplayPtr display_;
    std::vector<MonitorDesc> monitors_;
    std::vector<RRCrtc> crtcs_;
    std::vector<int> gammaSizes_;  // entries of each CRTC's gamma table
    std::string adapter_;
    Window root_ = None;
    POINT origin_{};  // the primary monitor's top left corner on the root window
};

}  // namespace

std::unique_ptr<DisplayBackend> makeX11Display() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    DisplayPtr display(XOpenDisplay(name));
    if (!display) return nullptr;
    return std::make_unique<X11Display>(std::move(display));
}

}  // namespace winplat::detail
