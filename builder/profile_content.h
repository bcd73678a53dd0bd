// What one monitor profile holds, computed from the ICC parameters record before anything is
// written: the header fields the builder sets and the data of its eleven tags.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profforge.h"

namespace builder {

inline constexpr int kCurveEntries = 32;
// Header illuminant (s15Fixed16 X, Y, Z) the builders write.
inline constexpr std::int32_t kIlluminant[3] = {63189, 65536, 54060};
// "ScaleToD50" values: colorants adapted to D50 by scaling, or computed for the D50 white.
inline constexpr DWORD kScaleColorants = 1;
inline constexpr DWORD kD50Colorants = 2;

// The three curves of a profile (red, green, blue).
using CurveSet = std::array<std::vector<std::uint16_t>, 3>;

struct ProfileInputs {
    const ICCMONITORPARMS* parms = nullptr;
    std::string fileName;        // "Netvivid.icc", "Spectrine95.icm", ...
    DWORD scaleToD50 = 0;        // the "ScaleToD50" value this profile is made with
    std::string lightingName;    // "Lighting:" line of the summary
    DWORD temperature = 0;       // kelvin of the record's white point
    double overallGamma = 0.0;   // the one gamma of a mini profile
    // A panel's own curves, in place of the record's power law (and of a mini profile's gamma).
    const CurveSet* curves = nullptr;
};

struct ProfileContent {
    char manufacturer[4];  // first four characters, padded with blanks
    char model[4];
    std::uint32_t renderingIntent = 0;
    std::string copyright;
    std::string summary;      // "K007"
    std::string description;  // "desc"
    std::array<std::int32_t, 3> white{};                     // "wtpt", Y = 1, never adapted
    std::array<std::array<std::int32_t, 3>, 3> colorants{};  // "rXYZ", "gXYZ", "bXYZ"
    CurveSet curves;                                         // "rTRC", "gTRC", "bTRC"
};

// A file name beginning with "ADOBE" (any case) is a mini profile: one gamma per curve.
bool isMiniProfile(const std::string& fileName);
// The content; false when the record's white point or primaries give no colorants.
bool buildProfileContent(const ProfileInputs& in, ProfileContent& out);
// value x 65536 truncated toward zero, held within the 32-bit range.
std::int32_t toS15Fixed16(double value);
// 32 entries of (o + (1 - o) t)^g at t = floor(i x 65535 / 31) / 65535, 0 where o + (1 - o) t
// <= 0, at most 65535.
std::vector<std::uint16_t> powerLawCurve(double gamma, double offset);

}  // namespace builder
