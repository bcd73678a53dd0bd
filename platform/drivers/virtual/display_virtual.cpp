// The virtual display: monitors described by <root>/display.ini, gamma ramps kept in the root
// so that every process of the machine sees the ramp one process loaded.
//
// <root>/display.ini (read once per process state; every key is optional):
//
//   [Display]
//   Adapter=Virtual Display Adapter    ; the display adapter's description
//   Monitors=2                         ; number of monitors, 0 to 32; without it, the number
//                                      ; of sections [Monitor1], [Monitor2], ... in a row (at
//                                      ; least 1)
//   [Monitor1]                         ; monitor 1 is the primary one
//   Left=0                             ; rectangle on the virtual desktop; Left defaults to the
//   Top=0                              ; right edge of the monitor before, Top to 0
//   Width=1024                         ; 1 to 65535, default 1024
//   Height=768                         ; 1 to 65535, default 768
//   BitsPerPixel=32                    ; 1, 4, 8, 15, 16, 24 or 32, default 32
//   Planes=1                           ; 1 to 4, default 1
//   GammaRamp=1                        ; 0: the card has no ramp (reads and loads fail);
//                                      ; default 1 above 8 bits per pixel, else 0
//   Description=Plug and Play Monitor  ; the system's description of the monitor
//   EDID=00FFFFFFFFFFFF00...           ; hex bytes (blanks allowed), at most 256; none when
//                                      ; absent or not an even number of hex digits
//   HardwareID=Monitor\ABC1234         ; plug-and-play ids, derived from the EDID when absent
//   MatchingDeviceID=*PNP09FF
//   [Taskbar]                          ; the task bar stand-in on the primary monitor
//   Edge=bottom                        ; top, bottom, left or right; none by default
//   Size=30                            ; its thickness in pixels, default 30
//   AutoHide=0                         ; 1: it hides itself and takes no room
//
// A value that is not a number in its range takes the default. Without display.ini the machine
// has one 1024 x 768 monitor of 32 bits per pixel with a ramp and no EDID.
//
// The pointer starts in the middle of the primary monitor and stays where it was moved for the
// life of the process state; a machine without monitors has no pointer.
//
// Loaded ramps: <root>/display/monitor<N>.ramp (N from 1), the 768 entries as little-endian
// 16-bit words (1536 bytes), replaced atomically on every load and read on every query. A
// missing or damaged file reads as the identity ramp.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

#include "ascii_case.h"
#include "display_backend.h"
#include "files.h"
#include "ini_parse.h"
#include "winplat_files.h"

namespace winplat::detail {
namespace {

constexpr long kMaxMonitors = 32;
constexpr size_t kMaxEdidBytes = 256;
constexpr size_t kRampBytes = 768 * 2;

// The value of `key` in `section` without quotes, or null when absent.
const IniEntry* entryOf(const IniSection* section, std::string_view key) {
    return section ? IniDocument::findEntry(*section, key) : nullptr;
}

std::string text(const IniSection* section, std::string_view key, const std::string& fallback) {
    const IniEntry* e = entryOf(section, key);
    return e ? std::string(iniUnquote(e->value)) : fallback;
}

// A whole decimal number (optional sign) within [low, high], else the fallback.
long number(const IniSection* section, std::string_view key, long fallback, long low, long high) {
    const IniEntry* e = entryOf(section, key);
    if (!e) return fallback;
    std::string_view v = iniUnquote(e->value);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    long value = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || end != v.data() + v.size() || v.empty()) return fallback;
    return value < low || value > high ? fallback : value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<BYTE> parseHex(std::string_view hex) {
    std::vector<BYTE> bytes;
    int high = -1;
    for (char c : hex) {
        if (c == ' ' || c == '\t') continue;
        int d = hexDigit(c);
        if (d < 0) return {};
        if (high < 0) {
            high = d;
        } else {
            if (bytes.size() < kMaxEdidBytes) bytes.push_back(static_cast<BYTE>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0) return {};
    return bytes;
}

bool validDepth(long bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
}

class VirtualDisplay final : public DisplayBackend {
public:
    explicit VirtualDisplay(const std::string& root) : root_(root) { load(); }

    const char* name() const override { return "virtual"; }
    const std::vector<MonitorDesc>& monitors() const override { return monitors_; }
    std::string adapterDescription() const override { return adapter_; }

    bool getRamp(size_t monitor, GammaRamp& ramp) override {
        if (monitor >= monitors_.size() || !monitors_[monitor].hasRamp) return false;
        std::string bytes;
        if (winplat::readWholeFile(rampPath(monitor).c_str(), bytes) != ERROR_SUCCESS ||
            bytes.size() != kRampBytes) {
            ramp = identityRamp();
            return true;
        }
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = static_cast<WORD>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        return true;
    }

    bool setRamp(size_t monitor, const GammaRamp& ramp) override {
        if (monitor >= monitors_.size() || !monitors_[monitor].hasRamp) return false;
        std::string bytes(kRampBytes, '\0');
        for (size_t i = 0; i < ramp.size(); ++i) {
            bytes[2 * i] = static_cast<char>(ramp[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(ramp[i] >> 8);
        }
        std::error_code ec;
        std::filesystem::create_directories(root_ + "/display", ec);
        return winplat::replaceFile(rampPath(monitor).c_str(), bytes) == ERROR_SUCCESS;
    }

    bool cursorPosition(POINT& where) override {
        if (monitors_.empty()) return false;
        where = cursor_;
        return true;
    }

    bool moveCursor(POINT where) override {
        if (monitors_.empty()) return false;
        cursor_ = where;
        return true;
    }

    bool workArea(RECT& area) override {
        if (monitors_.empty() || !taskbar_) return false;
        area = monitors_.front().rect;
        LONG size = taskbar_->autoHide ? 0 : taskbar_->size;
        if (taskbar_->edge == ABE_TOP) area.top += size;
        else if (taskbar_->edge == ABE_BOTTOM) area.bottom -= size;
        else if (taskbar_->edge == ABE_LEFT) area.left += size;
        else area.right -= size;
        return true;
    }

    bool taskbar(TaskbarPlace& bar) override {
        if (monitors_.empty() || !taskbar_) return false;
        bar = *taskbar_;
        return true;
    }

    // The keys a test holds down (WinplatVirtualSetKeyState), kept in the root so that every
    // process of the machine sees them: one line per key, its number in decimal.
    int keyHeld(int virtualKey) override {
        std::vector<int> keys = virtualKeysHeld();
        return std::find(keys.begin(), keys.end(), virtualKey) != keys.end() ? 1 : 0;
    }

private:
    std::string rampPath(size_t monitor) const {
        return root_ + "/display/monitor" + std::to_string(monitor + 1) + ".ramp";
    }

    void load() {
        std::string bytes;  // a missing or unreadable file describes the default monitor
        winplat::readWholeFile((root_ + "/display.ini").c_str(), bytes);
        IniDocument doc = parseIni(bytes);
        const IniSection* display = doc.findSection("Display");
        adapter_ = text(display, "Adapter", "Virtual Display Adapter");

        long count = number(display, "Monitors", -1, 0, kMaxMonitors);
        if (count < 0) {
            count = 0;
            while (count < kMaxMonitors &&
                   doc.findSection("Monitor" + std::to_string(count + 1)))
                ++count;
            if (count == 0) count = 1;
        }

        LONG nextLeft = 0;
        for (long i = 0; i < count; ++i) {
            const IniSection* s = doc.findSection("Monitor" + std::to_string(i + 1));
            MonitorDesc m;
            LONG left = number(s, "Left", nextLeft, -65536, 65536);
            LONG top = number(s, "Top", 0, -65536, 65536);
            LONG width = number(s, "Width", 1024, 1, 65535);
            LONG height = number(s, "Height", 768, 1, 65535);
            m.rect = {left, top, left + width, top + height};
            nextLeft = m.rect.right;
            long bpp = number(s, "BitsPerPixel", 32, 1, 32);
            m.bitsPerPixel = validDepth(bpp) ? static_cast<int>(bpp) : 32;
            m.planes = static_cast<int>(number(s, "Planes", 1, 1, 4));
            m.hasRamp = number(s, "GammaRamp", m.bitsPerPixel * m.planes > 8 ? 1 : 0, 0, 1) != 0;
            m.primary = i == 0;
            m.edid = parseHex(text(s, "EDID", ""));
            std::string fallback = m.edid.empty() ? "Default Monitor" : "Plug and Play Monitor";
            if (std::string edidName = edidMonitorName(m.edid); !edidName.empty())
                fallback = edidName;
            m.description = text(s, "Description", fallback);
            m.hardwareId = text(s, "HardwareID", "");
            m.matchingDeviceId = text(s, "MatchingDeviceID", "");
            monitors_.push_back(std::move(m));
        }
        // [Taskbar] Edge=top|bottom|left|right (default none), Size=, AutoHide=: a task bar
        // that hides itself leaves the whole primary monitor as the work area.
        const IniSection* taskbar = doc.findSection("Taskbar");
        std::string edge = asciiLowerCopy(text(taskbar, "Edge", ""));
        const std::pair<const char*, UINT> edges[] = {{"left", ABE_LEFT}, {"top", ABE_TOP}, {"right", ABE_RIGHT},
                                                       {"bottom", ABE_BOTTOM}};
        for (const auto& [name, value] : edges) {
            if (edge != name) continue;
            taskbar_ = TaskbarPlace{value, static_cast<LONG>(number(taskbar, "Size", 30, 0, 4096)),
                                    number(taskbar, "AutoHide", 0, 0, 1) == 1};
        }
        if (!monitors_.empty()) {
            const RECT& primary = monitors_.front().rect;
            cursor_ = {(primary.left + primary.right) / 2, (primary.top + primary.bottom) / 2};
        }
    }

    std::string root_;
    std::string adapter_;
    std::vector<MonitorDesc> monitors_;
    POINT cursor_{};
    std::optional<TaskbarPlace> taskbar_;
};

}  // namespace

std::unique_ptr<DisplayBackend> makeVirtualDisplay(const std::string& root) {
    return std::make_unique<VirtualDisplay>(root);
}

}  // namespace winplat::detail
