// LUT files in the "LutDir" directory: a 32-byte zero header and the six tables, little-endian.
#include <cstring>
#include <string>

#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"
#include "win32_holders.h"
#include "winplat_files.h"

namespace {

constexpr DWORD kHeaderSize = 32;
constexpr DWORD kTableBytes = vlt::kLutEntries * 2;
static_assert(kHeaderSize + 6 * kTableBytes == SPECTRINE_LUT_FILE_SIZE);

// "LutDir" with its separator and the caller's file name; false without "LutDir" or when the
// path would not fit a Windows path.
bool lutPath(LPCSTR fileName, std::string& path) {
    if (!fileName) return false;
    char dir[vlt::kPathBufferSize];
    if (!vlt::lutDirectory(dir, sizeof dir)) return false;
    path = std::string(dir) + fileName;
    return path.size() < MAX_PATH;
}

void putTable(unsigned char* out, const WORD* table) {
    for (int i = 0; i < vlt::kLutEntries; ++i) {
        out[2 * i] = static_cast<unsigned char>(table[i] & 0xff);
        out[2 * i + 1] = static_cast<unsigned char>(table[i] >> 8);
    }
}

void getTable(const unsigned char* in, WORD* table) {
    if (!table) return;
    for (int i = 0; i < vlt::kLutEntries; ++i)
        table[i] = static_cast<WORD>(in[2 * i] | (in[2 * i + 1] << 8));
}

}  // namespace

VLTUTIL_API int WriteSpectrineLUT(LPCSTR fileName, double targetRed, double targetGreen,
                                  double targetBlue, double displayRed, double displayGreen,
                                  double displayBlue, double offsetRed, double offsetGreen,
                                  double offsetBlue, double gainRed, double gainGreen,
                                  double gainBlue) {
    std::string path;
    if (!lutPath(fileName, path)) return 0;
    WORD tables[6][vlt::kLutEntries];
    GetSpectrineLUT(tables[0], tables[1], tables[2], targetRed, targetGreen, targetBlue, displayRed,
                    displayGreen, displayBlue, offsetRed, offsetGreen, offsetBlue, gainRed, gainGreen,
                    gainBlue);
    GetSpectrineBackLUT(tables[3], tables[4], tables[5], targetRed, targetGreen, targetBlue,
                        displayRed, displayGreen, displayBlue, offsetRed, offsetGreen, offsetBlue,
                        gainRed, gainGreen, gainBlue);
    unsigned char image[SPECTRINE_LUT_FILE_SIZE] = {};
    for (int t = 0; t < 6; ++t) putTable(image + kHeaderSize + t * kTableBytes, tables[t]);
    // Written beside the old file, flushed and renamed into place: a failed or interrupted
    // write leaves the old tables whole.
    const std::string_view bytes(reinterpret_cast<const char*>(image), sizeof image);
    return winplat::replaceFile(path.c_str(), bytes) == ERROR_SUCCESS ? 1 : 0;
}

VLTUTIL_API int ReadSpectrineLUT(LPCSTR fileName, DWORD /*reserved*/, WORD* red, WORD* green,
                                 WORD* blue) {
    std::string path;
    if (!lutPath(fileName, path)) return 0;
    winplat::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    // The header, then the three forward tables; each read must be complete.
    unsigned char image[kHeaderSize + 3 * kTableBytes];
    const DWORD parts[4] = {kHeaderSize, kTableBytes, kTableBytes, kTableBytes};
    DWORD at = 0;
    for (DWORD part : parts) {
        DWORD got = 0;
        if (!ReadFile(file.get(), image + at, part, &got, nullptr) || got != part) return 0;
        at += part;
    }
    getTable(image + kHeaderSize, red);
    getTable(image + kHeaderSize + kTableBytes, green);
    getTable(image + kHeaderSize + 2 * kTableBytes, blue);
    return 1;
}

VLTUTIL_API BOOL DeleteSpectrineLUT(LPCSTR fileName) {
    std::string path;
    if (!lutPath(fileName, path)) return 0;
    return DeleteFileA(path.c_str());
}
