// The white point reference file shipped with the suite: section "Whitepoint" of the INI file
// beside the wizard (the "AppFile" setting with its extension replaced by ".ini"). It holds the
// reference whites "D50Ref_<n>" (X, Y, Z of the reference card's white under lighting n), the
// lighting names "Name_<n>", and the wizard's slider tables ("Nb Of Entries", "Default",
// "CRT_<a>_<i>", "LCD_<a>_<i>"). Header only: the builders and the wizard read it alike.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "vltutil.h"
#include "winplat.h"

namespace whitepoint {

inline constexpr char kSection[] = "Whitepoint";
inline constexpr DWORD kValueSize = 256;  // characters of one value read

// Path of the reference file; empty when the suite is not installed or the path is too long.
inline std::string referenceFile() {
    char path[MAX_PATH];
    if (!GetSpectrineExeFile(path, sizeof path) || !PathRenameExtensionA(path, ".ini")) return {};
    return path;
}

// "<base><n>" as the file names its keys ("D50Ref_0", "Name_5", "CRT_1_4" with two numbers).
inline std::string key(const char* base, int n) { return base + std::to_string(n); }
inline std::string key(const char* base, int a, int i) {
    return base + std::to_string(a) + "_" + std::to_string(i);
}

// The value of `keyName`; empty when the file or the key is absent (an empty value counts as
// absent too).
inline std::string readText(const std::string& file, const std::string& keyName) {
    if (file.empty()) return {};
    char value[kValueSize];
    DWORD n = GetPrivateProfileStringA(kSection, keyName.c_str(), "", value, sizeof value,
                                       file.c_str());
    return std::string(value, n);
}

// Three numbers written as " %lf , %lf , %lf", read as that scanf format reads them in the C
// locale: white space (blanks, tabs, and the C locale's other spaces) allowed around the
// numbers and commas, anything after the third number ignored. A number is what strtod reads:
// a first or second number followed by anything but white space and a comma ("2E,", "0x,")
// leaves the value refused. False, with `out` unchanged, unless all three are there and
// finite.
inline bool parseTriple(const char* text, double (&out)[3]) {
    double v[3];
    const char* p = text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            while (*p && std::strchr(" \t\n\v\f\r", *p)) ++p;
            if (*p++ != ',') return false;
        }
        char* end = nullptr;
        v[i] = WinplatParseDoubleC(p, &end);
        if (end == p || !std::isfinite(v[i])) return false;
        p = end;
    }
    for (int i = 0; i < 3; ++i) out[i] = v[i];
    return true;
}

inline bool readTriple(const std::string& file, const std::string& keyName, double (&out)[3]) {
    const std::string text = readText(file, keyName);
    return !text.empty() && parseTriple(text.c_str(), out);
}

// How the wizard spreads a slider table of `entries` entries: `perEntry` = (54 - N) / N + 1
// positions per entry (integer division), (N - 1) x perEntry + 1 positions in all. A table
// without entries has no positions.
struct SliderSpread {
    int perEntry = 0;
    int positions = 0;
};
inline SliderSpread sliderSpread(int entries) {
    if (entries <= 0) return {};
    const int perEntry = (54 - entries) / entries + 1;
    return {perEntry, (entries - 1) * perEntry + 1};
}

}  // namespace whitepoint
