// File times and attributes in their Win32 form.
#include <fcntl.h>
#include <sys/stat.h>

#include "files.h"

namespace winplat::detail {

FileTimes fileTimesOf(int dirfd, const char* path, int flags) {
    FileTimes times;
    struct statx stx {};
    if (statx(dirfd, path, flags | AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &stx) !=
        0)
        return times;
    auto convert = [](const struct statx_timestamp& ts) {
        return fileTimeFromUnix(ts.tv_sec, static_cast<long>(ts.tv_nsec));
    };
    times.access = convert(stx.stx_atime);
    times.write = convert(stx.stx_mtime);
    times.creation = (stx.stx_mask & STATX_BTIME) ? convert(stx.stx_btime) : convert(stx.stx_ctime);
    return times;
}

DWORD attributesOf(const struct stat& st, std::string_view name) {
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

}  // namespace winplat::detail
