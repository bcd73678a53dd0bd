#include "replace_file.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "win32.h"

namespace kalvicm {

namespace {

// A new file beside the target that is removed again unless it was renamed into place.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        closeHandle();
        if (!name_.empty()) DeleteFileA(name_.c_str());
    }

    // Creates a file that did not exist, in the directory part of `target`.
    bool create(const char* target) {
        const std::string_view path(target);
        const std::size_t sep = path.find_last_of("\\/");
        const std::string dir(path.substr(0, sep == path.npos ? 0 : sep + 1));

        // The process id and the clock make a clash unlikely; CREATE_NEW makes it harmless.
        const auto pid = static_cast<unsigned>(getpid());
        auto stamp = static_cast<unsigned>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 32; ++attempt, stamp = stamp * 2654435761u + 1) {
            char leaf[40];
            std::snprintf(leaf, sizeof leaf, "~kcm%08x%08x.tmp", pid, stamp);
            std::string name = dir + leaf;
            HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                handle_ = h;
                name_ = std::move(name);
                return true;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }

    bool write(std::span<const std::uint8_t> bytes) {
        // WriteFile takes a 32-bit count and may write less than asked.
        constexpr std::size_t kChunk = 1u << 30;
        while (!bytes.empty()) {
            const auto want = static_cast<DWORD>(std::min(bytes.size(), kChunk));
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data(), want, &written, nullptr) || written == 0 ||
                written > want)
                return false;
            bytes = bytes.subspan(written);
        }
        return true;
    }

    // Puts the new bytes on disk before the rename makes them the target, so that after a
    // system crash the target is the old file or the whole new one on any file system; then
    // closes the file (a failed close can mean lost data) and renames it over `target`.
    bool commit(const char* target) {
        if (!FlushFileBuffers(handle_)) return false;
        if (!closeHandle()) return false;
        if (!MoveFileExA(name_.c_str(), target, MOVEFILE_REPLACE_EXISTING)) return false;
        name_.clear();
        return true;
    }

private:
    bool closeHandle() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const bool ok = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
        return ok;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string name_;
};

}  // namespace

bool replaceFile(const char* path, std::span<const std::uint8_t> bytes) {
    TempFile temp;
    return temp.create(path) && temp.write(bytes) && temp.commit(path);
}

}  // namespace kalvicm
