// Directory searches: FindFirstFileA, FindNextFileA, FindClose with DOS wildcard masks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

#include "ascii_case.h"
#include "detail.h"
#include "files.h"
#include "paths.h"
#include "wildcard.h"

namespace winplat::detail {
namespace {

// A search snapshots the matching entries when it starts; FindNextFileA walks the snapshot.
class FindObject final : public KernelObject {
public:
    explicit FindObject(std::vector<WIN32_FIND_DATAA> entries) : entries_(std::move(entries)) {}
    ObjectKind kind() const override { return ObjectKind::Find; }

    bool next(WIN32_FIND_DATAA& out) {
        std::lock_guard lock(mutex_);
        if (position_ >= entries_.size()) return false;
        out = entries_[position_++];
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<WIN32_FIND_DATAA> entries_;
    size_t position_ = 0;
};

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

// "." and ".." first, as NTFS lists them, then names ignoring case (byte order breaks ties).
bool listsBefore(const std::string& a, const std::string& b) {
    auto rank = [](const std::string& s) { return s == "." ? 0 : (s == ".." ? 1 : 2); };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    const int order = compareIgnoringCase(a, b);
    return order < 0 || (order == 0 && a < b);
}

WIN32_FIND_DATAA describe(int dirFd, const std::string& name, const struct stat& st) {
    WIN32_FIND_DATAA data{};
    data.dwFileAttributes = attributesOf(st, name);
    FileTimes times = fileTimesOf(dirFd, name.c_str(), 0);
    data.ftCreationTime = times.creation;
    data.ftLastAccessTime = times.access;
    data.ftLastWriteTime = times.write;
    if (!S_ISDIR(st.st_mode)) {
        auto size = static_cast<uint64_t>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
    copyBounded(data.cFileName, sizeof data.cFileName, name);
    return data;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    return winplat::detail::guardedCall(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        if (!lpFileName || !lpFindFileData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        std::string_view pattern(lpFileName);
        if (pattern.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        size_t start = lastComponentStart(pattern);
        std::string mask(pattern.substr(start));
        if (mask.empty()) {  // "dir\" names no file
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        std::string dir = start == 0 ? "." : resolvePath(pattern.substr(0, start));
        std::unique_ptr<DIR, DirCloser> d(opendir(dir.c_str()));
        if (!d) {
            SetLastError(errno == EACCES || errno == EPERM ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        std::vector<std::string> names;
        while (const dirent* e = readdir(d.get())) {
            std::string_view name(e->d_name);
            if (name.size() < MAX_PATH && matchesDosMask(mask, name)) names.emplace_back(name);
        }
        std::sort(names.begin(), names.end(), listsBefore);
        std::vector<WIN32_FIND_DATAA> entries;
        entries.reserve(names.size());
        for (const std::string& name : names) {
            struct stat st {};
            // A link that leads nowhere is still listed, as the link itself.
            if (fstatat(dirfd(d.get()), name.c_str(), &st, 0) != 0 &&
                fstatat(dirfd(d.get()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // vanished meanwhile
            entries.push_back(describe(dirfd(d.get()), name, st));
        }
        if (entries.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        auto search = std::make_shared<FindObject>(std::move(entries));
        search->next(*lpFindFileData);
        return insertObject(std::move(search));
    });
}

WINPLAT_API BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        auto object = lookupObject(hFindFile, ObjectKind::Find);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (!lpFindFileData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (!std::static_pointer_cast<FindObject>(object)->next(*lpFindFileData)) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API BOOL FindClose(HANDLE hFindFile) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!removeObject(hFindFile, ObjectKind::Find)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    });
}
