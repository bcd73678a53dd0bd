// The model record of a monitor built from its 128-byte EDID block (EDID 1.x base block).
#include <cstring>

#include "records_internal.h"
#include "vltutil.h"
#include "winplat.h"

namespace {

bool validBlock(const unsigned char* e, size_t size) {
    if (!e || size != vlt::kEdidSize) return false;
    static constexpr unsigned char kHeader[8] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00};
    if (std::memcmp(e, kHeader, sizeof kHeader) != 0) return false;
    unsigned sum = 0;
    for (size_t i = 0; i < vlt::kEdidSize; ++i) sum += e[i];
    return (sum & 0xffu) == 0;
}

// 10-bit chromaticity: the high eight bits in their own byte, the low two in a shared byte.
double chromaticity(unsigned char high, unsigned char lowBits, int shift) {
    return static_cast<double>(high * 4 + ((lowBits >> shift) & 3)) / 1024.0;
}

// Horizontal resolution of the largest established timing; the first match wins.
int establishedResolution(unsigned char t1, unsigned char t2, unsigned char t3) {
    if (t2 & 0x01) return 1280;             // 1280 x 1024 at 75 Hz
    if (t3 & 0x80) return 1152;             // 1152 x 870 at 75 Hz
    if (t2 & 0x3e) return 1024;             // 1024 x 768 at 87i, 60, 70, 75 Hz; 832 x 624 at 75
    if (t2 & 0xc0 || t1 & 0x03) return 800; // 800 x 600
    if (t1 & 0xc0) return 720;              // 720 x 400
    return 640;
}

}  // namespace

namespace vlt {

bool buildEdidRecord(const unsigned char* e, size_t size, const char* description, char* out,
                     size_t outSize) {
    if (out && outSize) out[0] = '\0';
    if (!out || outSize == 0 || !validBlock(e, size)) return false;
    // Image size: centimetres to hundredths of an inch.
    const int width = e[21] * 10000 / 254;
    const int height = e[22] * 10000 / 254;
    const int resolution = establishedResolution(e[35], e[36], e[37]);
    // Millimetres per pixel across the image, to two decimals.
    const double dotPitch = ((e[21] * 10000 / resolution + 20) / 10) * 0.01;
    WinplatFormatC(out, outSize, "%s, %s, %d, %d, %d, %4.4f, %4.4f, %4.4f, %4.4f, %4.4f, %4.4f, %2.2f",
                   SPECTRINE_PNP_MONITOR_PREFIX, description ? description : "", width, height, 1,
                   chromaticity(e[27], e[25], 6), chromaticity(e[28], e[25], 4),
                   chromaticity(e[29], e[25], 2), chromaticity(e[30], e[25], 0),
                   chromaticity(e[31], e[26], 6), chromaticity(e[32], e[26], 4), dotPitch);
    return true;
}

}  // namespace vlt
