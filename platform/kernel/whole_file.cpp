// Reading a whole file with the one size limit of the suite.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "detail.h"
#include "files.h"
#include "paths.h"
#include "winplat_files.h"

namespace winplat {

using namespace detail;

DWORD readWholeFile(const char* path, std::string& content) {
    return guardedCall(DWORD{ERROR_NOT_ENOUGH_MEMORY}, [&]() -> DWORD {
        content.clear();
        if (!path) return ERROR_INVALID_PARAMETER;
        if (!*path) return ERROR_PATH_NOT_FOUND;
        const std::string native = resolvePath(path);
        // Never blocks on opening: a FIFO is refused below, not waited for.
        UniqueFd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!fd) return errorFromErrno(errno, native);
        struct stat st {};
        if (fstat(fd.get(), &st) != 0) return errorFromErrno(errno, native);
        if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
        if (st.st_size > static_cast<off_t>(kWholeFileLimit)) return ERROR_FILE_TOO_LARGE;
        content.reserve(static_cast<size_t>(st.st_size));
        // The file may grow while it is read: one byte past the limit is enough to tell.
        char buffer[64 * 1024];
        for (;;) {
            const size_t room = kWholeFileLimit + 1 - content.size();
            ssize_t n = ::read(fd.get(), buffer, room < sizeof buffer ? room : sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                content.clear();
                return errorFromErrno(errno, native);
            }
            if (n == 0) return ERROR_SUCCESS;
            content.append(buffer, static_cast<size_t>(n));
            if (content.size() > kWholeFileLimit) {
                content.clear();
                content.shrink_to_fit();
                return ERROR_FILE_TOO_LARGE;
            }
        }
    });
}

}  // namespace winplat
