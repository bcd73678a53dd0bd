// The installation paths, cached per process: "AppFile" and "InfFile" together, "LutDir" alone.
// A cache is filled on first use and not read again while it holds a path; a failed read is
// retried by the next call.
#include <cstring>

#include "store_internal.h"
#include "vltutil.h"

namespace {

struct InstallPaths {
    char appFile[vlt::kPathBufferSize] = "";
    char infFile[vlt::kPathBufferSize] = "";
    char lutDir[vlt::kPathBufferSize] = "";
};

InstallPaths& cache() {
    static InstallPaths paths;
    return paths;
}

bool loadAppAndInf() {
    InstallPaths& c = cache();
    if (c.appFile[0] && c.infFile[0]) return true;
    char app[vlt::kPathBufferSize], inf[vlt::kPathBufferSize];
    if (!GetSpectrineRegString("Settings", "AppFile", app, sizeof app) ||
        !GetSpectrineRegString("Settings", "InfFile", inf, sizeof inf)) {
        c.appFile[0] = c.infFile[0] = '\0';
        return false;
    }
    std::memcpy(c.appFile, app, sizeof app);
    std::memcpy(c.infFile, inf, sizeof inf);
    return true;
}

int copyPath(const char* path, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    size_t n = std::strlen(path);
    if (n > size - 1) n = size - 1;
    std::memcpy(out, path, n);
    out[n] = '\0';
    return 1;
}

}  // namespace

VLTUTIL_API int GetSpectrineExeFile(LPSTR out, DWORD size) {
    if (!loadAppAndInf()) return 0;
    return copyPath(cache().appFile, out, size);
}

VLTUTIL_API int GetSpectrineInfFile(LPSTR out, DWORD size) {
    if (!loadAppAndInf()) return 0;
    return copyPath(cache().infFile, out, size);
}

VLTUTIL_API LPSTR GetFileInPath(LPCSTR path) {
    if (!path) return nullptr;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return const_cast<LPSTR>(name);
}

namespace vlt {

bool lutDirectory(char* out, DWORD size) {
    char* dir = cache().lutDir;
    if (!dir[0]) {
        // Leave room for the separator appended below.
        int n = GetSpectrineRegString("Settings", "LutDir", dir, kPathBufferSize - 1);
        if (n <= 0) return false;
        if (dir[n - 1] != '\\') {
            dir[n] = '\\';
            dir[n + 1] = '\0';
        }
    }
    return copyPath(dir, out, size) != 0;
}

}  // namespace vlt
