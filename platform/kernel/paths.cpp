// Windows-style paths on a Linux file system: separator translation, case-insensitive
// resolution of each component, full path names, the Windows and temporary directories.
#include "paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ascii_case.h"
#include "detail.h"
#include "winplat.h"

namespace winplat::detail {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// The entry of `dir` whose name equals `name` ignoring ASCII case; when several do, the one
// first in byte order, so the choice never depends on directory order. Empty when none.
std::string findIgnoringCase(const std::string& dir, std::string_view name) {
    UniqueDir d(opendir(dir.c_str()));
    if (!d) return {};
    std::string best;
    while (const dirent* e = readdir(d.get())) {
        std::string_view entry(e->d_name);
        if (equalsIgnoringCase(entry, name) && (best.empty() || entry < best)) best = entry;
    }
    return best;
}

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parentOf(const std::string& path) {
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;  // "dir/" names dir
    size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::string resolvePath(std::string_view path) {
    std::string in(path);
    for (char& c : in)
        if (c == '\\') c = '/';
    // Most paths name what exists with its exact spelling: one lstat instead of a walk.
    if (!in.empty() && exists(in)) return in;
    std::string out;
    size_t i = 0;
    if (!in.empty() && in[0] == '/') {
        out = "/";
        while (i < in.size() && in[i] == '/') ++i;
    }
    bool searching = true;  // false once a component is missing: nothing below it exists
    while (i < in.size()) {
        size_t end = in.find('/', i);
        if (end == std::string::npos) end = in.size();
        std::string_view component(in.data() + i, end - i);
        if (!component.empty()) {
            std::string candidate = out + std::string(component);
            if (searching && component != "." && component != ".." && !exists(candidate)) {
                std::string match = findIgnoringCase(out.empty() ? "." : out, component);
                if (match.empty())
                    searching = false;
                else
                    candidate = out + match;
            }
            out = std::move(candidate);
            if (end < in.size()) out += '/';
        }
        i = end + 1;
    }
    return out;
}

std::string windowsDirectory() { return systemRoot() + "/WINDOWS"; }
std::string systemDirectory() { return systemRoot() + "/WINDOWS/SYSTEM"; }

DWORD errorFromErrno(int err, const std::string& nativePath, DWORD existsCode) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        if (!nativePath.empty() && !isDirectory(parentOf(nativePath))) return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return existsCode;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EFAULT:
        return ERROR_NOACCESS;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    default:
        return ERROR_GEN_FAILURE;
    }
}

BOOL failWithErrno(int err, const std::string& nativePath, DWORD existsCode) {
    SetLastError(errorFromErrno(err, nativePath, existsCode));
    return FALSE;
}

DWORD copyOrRequiredSize(char* out, DWORD size, const std::string& text) {
    if (!out || text.size() >= size) return static_cast<DWORD>(text.size() + 1);
    copyBounded(out, size, text);
    return static_cast<DWORD>(text.size());
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API DWORD WinplatNativePath(LPCSTR path, LPSTR buffer, DWORD size) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        if (!path || !buffer) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (!*path) {
            if (size > 0) buffer[0] = '\0';
            SetLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        std::string native = resolvePath(path);
        if (native.size() >= size) {
            if (size > 0) buffer[0] = '\0';
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return static_cast<DWORD>(copyBounded(buffer, size, native));
    });
}

WINPLAT_API DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                                   LPSTR* lpFilePart) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        if (!lpFileName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (!*lpFileName) {
            SetLastError(ERROR_INVALID_NAME);
            return 0;
        }
        std::string path(lpFileName);
        for (char& c : path)
            if (c == '\\') c = '/';
        if (path[0] != '/') {
            std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
            if (!cwd) return failWithErrno(errno);
            path = std::string(cwd.get()) + "/" + path;
        }
        // Lexical clean-up, as Windows does: no file system access, "." dropped, ".." climbs.
        std::vector<std::string_view> parts;
        size_t i = 0;
        while (i < path.size()) {
            size_t end = path.find('/', i);
            if (end == std::string::npos) end = path.size();
            std::string_view part(path.data() + i, end - i);
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            i = end + 1;
        }
        std::string full;
        for (std::string_view part : parts) {
            full += '/';
            full += part;
        }
        if (full.empty() || path.back() == '/') full += '/';
        DWORD result = copyOrRequiredSize(lpBuffer, nBufferLength, full);
        if (result < nBufferLength && lpBuffer && lpFilePart) {
            size_t start = lastComponentStart(full);
            *lpFilePart = start < full.size() ? lpBuffer + start : nullptr;
        }
        return result;
    });
}

WINPLAT_API DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        const char* env = std::getenv("TMPDIR");
        std::string dir = env && *env ? env : "/tmp";
        if (dir.back() != '/') dir += '/';
        return copyOrRequiredSize(lpBuffer, nBufferLength, dir);
    });
}

WINPLAT_API UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return winplat::detail::guardedCall(UINT{0}, [&]() -> UINT {
        return copyOrRequiredSize(lpBuffer, uSize, windowsDirectory());
    });
}

WINPLAT_API UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return winplat::detail::guardedCall(UINT{0}, [&]() -> UINT {
        return copyOrRequiredSize(lpBuffer, uSize, systemDirectory());
    });
}

WINPLAT_API BOOL PathRenameExtensionA(LPSTR pszPath, LPCSTR pszExt) {
    return winplat::detail::guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        if (!pszPath || !pszExt) return FALSE;
        const std::string renamed = replaceExtension(pszPath, pszExt);
        if (renamed.size() >= MAX_PATH) return FALSE;
        copyBounded(pszPath, MAX_PATH, renamed);
        return TRUE;
    });
}
