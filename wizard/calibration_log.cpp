#include "calibration_log.h"

#include <algorithm>
#include <cmath>

#include "logo_files.h"
#include "win32_holders.h"
#include "winplat.h"

namespace huevista {
namespace {

constexpr char kHeader[] = ",,Red,Green,Blue\n";

// One line of the block in the C locale; lines are short, a longer result is cut.
template <typename... Numbers>
void line(std::string& out, const char* format, Numbers... numbers) {
    char text[256];
    const int n = WinplatFormatC(text, sizeof text, format, numbers...);
    if (n > 0) out.append(text, std::min(static_cast<size_t>(n), sizeof text - 1));
}

// The light the matched white level gives: (K + (1 - K) table colour)^gamma.
double lightOf(const CalibrationRecord& r, int ch) {
    return std::pow(r.mottaK[ch] + (1.0 - r.mottaK[ch]) * r.tableColor[ch], r.mottaGamma[ch]);
}

}  // namespace

std::string logPathFor(const std::string& programPath) { return folderOf(programPath) + "Huevista.csv"; }

std::string logBlock(const CalibrationRecord& r) {
    std::string out = "\n";
    line(out, "Screen,%d\n", r.displayType);
    line(out, "BlackPoint,,%d,%d,%d\n", r.black[0], r.black[1], r.black[2]);
    line(out, "Gamma 33,,%d,%d,%d\n", r.shadow[0], r.shadow[1], r.shadow[2]);
    line(out, "Gamma 50,,%d,%d,%d\n", r.midtone[0], r.midtone[1], r.midtone[2]);
    line(out, "Gamma 66,,%d,%d,%d\n", r.highlight[0], r.highlight[1], r.highlight[2]);
    line(out, "Lighting,%d\n", r.lighting);
    line(out, "Contrast,%d\n", r.luminance);
    line(out, "Color,%d\n", r.color);
    line(out, "Table Color,,%lf,%lf,%lf\n", r.tableColor[0], r.tableColor[1], r.tableColor[2]);
    line(out, "Table Color 1,,%lf,%lf,%lf\n", lightOf(r, 0), lightOf(r, 1), lightOf(r, 2));
    line(out, "Motta K,,%lf,%lf,%lf\n", r.mottaK[0], r.mottaK[1], r.mottaK[2]);
    line(out, "Motta Gamma,,%lf,%lf,%lf\n", r.mottaGamma[0], r.mottaGamma[1], r.mottaGamma[2]);
    line(out, "Temperature,%d\n", r.temperature);
    line(out, "WhitePoint,,%lf,%lf,%lf\n", r.whitePoint[0], r.whitePoint[1], r.whitePoint[2]);
    return out;
}

bool appendLog(const std::string& path, const CalibrationRecord& record) {
    winplat::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    const DWORD end = existed ? SetFilePointer(file.get(), 0, nullptr, FILE_END) : 0;
    if (end == INVALID_SET_FILE_POINTER) return false;
    const std::string text = (existed ? std::string() : std::string(kHeader)) + logBlock(record);
    DWORD written = 0;
    if (WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size())
        return true;
    // Nothing of a block that did not go whole stays.
    SetFilePointer(file.get(), static_cast<LONG>(end), nullptr, FILE_BEGIN);
    SetEndOfFile(file.get());
    return false;
}

}  // namespace huevista
