// Monitor models from the suite's INF files: the file named by "Settings" "InfFile" and up to
// eight companions named after it with the digit 1 to 8 in place of its extension.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

constexpr int kInfFiles = 9;  // the named file and its eight companions
constexpr char kSection[] = "Monitors";

// Path of INF file `index` of the chain: the file itself for 0; otherwise the extension (from
// the last '.' of the file name, not of a folder) replaced by the digit and ".inf", or those
// appended to a name without an extension.
std::string chainFile(const char* first, int index) {
    std::string path(first);
    if (index == 0) return path;
    size_t nameStart = path.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot >= nameStart) path.resize(dot);
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%1.1u.inf", static_cast<unsigned>(index));
    return path + suffix;
}

bool firstInfFile(char (&path)[vlt::kPathBufferSize]) {
    return GetSpectrineInfFile(path, sizeof path) && path[0];
}

// The keys of the "Monitors" section of one file.
std::vector<std::string> sectionKeys(const std::string& file) {
    return vlt::readIniList([&](char* buffer, DWORD size) {
        return GetPrivateProfileStringA(kSection, nullptr, "", buffer, size, file.c_str());
    });
}

}  // namespace

namespace vlt {

int infModelRecord(const char* key, char* out, DWORD size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    if (!key || !*key) return 0;
    char first[kPathBufferSize];
    if (!firstInfFile(first)) return 0;
    for (int i = 0; i < kInfFiles; ++i) {
        std::string file = chainFile(first, i);
        if (GetPrivateProfileStringA(kSection, key, "", out, size, file.c_str()) > 0 && out[0]) return 1;
    }
    out[0] = '\0';
    return 0;
}

}  // namespace vlt

VLTUTIL_API int GetMonitorInfString0(LPCSTR modelKey, LPSTR out, DWORD size, int monitor) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    if (!modelKey) return 0;
    static constexpr size_t kPrefix = sizeof SPECTRINE_PNP_MONITOR_PREFIX - 1;
    if (std::strncmp(modelKey, SPECTRINE_PNP_MONITOR_PREFIX, kPrefix) == 0)
        return vlt::pnpModelRecord(monitor, out, size);
    return vlt::infModelRecord(modelKey, out, size);
}

VLTUTIL_API int GetMonitorInfString(LPCSTR modelKey, LPSTR out, DWORD size) {
    return GetMonitorInfString0(modelKey, out, size, 0);
}

VLTUTIL_API int GetMonitorInfList(LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    char first[vlt::kPathBufferSize];
    if (!firstInfFile(first)) return 0;
    DWORD used = 0;  // bytes of listed keys, the final empty string not counted
    bool any = false, full = false;
    for (int i = 0; i < kInfFiles && !full; ++i) {
        std::vector<std::string> keys = sectionKeys(chainFile(first, i));
        if (keys.empty()) break;
        for (const std::string& key : keys) {
            const size_t length = key.size() + 1;
            if (used + length + 1 > size) {  // room for the key and the list's end
                full = true;
                break;
            }
            std::memcpy(buffer + used, key.c_str(), length);
            used += static_cast<DWORD>(length);
            any = true;
        }
    }
    buffer[used] = '\0';
    return any ? 1 : 0;
}
