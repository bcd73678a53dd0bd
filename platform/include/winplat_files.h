// Whole files as the suite's modules read and write them: one reader with one size limit for
// every file read whole (INI and INF files, display descriptions, profiles), and one way of
// replacing a file so that readers and crashes see the old file or the complete new one.
// Paths are Windows-style or native, as CreateFileA takes them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "win32.h"

#define WINPLAT_CXX_API __attribute__((visibility("default")))

namespace winplat {

// The largest file read whole: far beyond any INI, INF or profile file of the suite.
inline constexpr DWORD kWholeFileLimit = 16u << 20;

// The whole content of the regular file at `path` into `content` (emptied first):
// ERROR_SUCCESS; ERROR_FILE_TOO_LARGE for a file over kWholeFileLimit (nothing of it is kept);
// ERROR_ACCESS_DENIED for a directory or anything but a regular file; else the Win32 code of
// why it cannot be opened or read (ERROR_FILE_NOT_FOUND, ...).
WINPLAT_CXX_API DWORD readWholeFile(const char* path, std::string& content);

// A file that exists and is not a directory.
inline bool fileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class FileReplacement;

// Flushes every file of `files` that write() made, the waits overlapping. A file that cannot
// be flushed is removed and its commit() returns the code. ERROR_SUCCESS, or the first code.
WINPLAT_CXX_API DWORD flushTogether(std::span<FileReplacement> files);

// The new content of a file, written under a temporary name beside it, flushed to disk and
// closed by prepare(), and made the file by commit() with one rename. An existing file keeps
// its permission bits, and a symbolic link is followed, not replaced. A replacement that was
// never committed is removed when it goes. Several replacements prepared first and committed
// after let a caller change a group of files only once every new file is safe on disk; write()
// on each and one flushTogether() for all of them does the same with the waits for the disk
// overlapping.
class WINPLAT_CXX_API FileReplacement {
public:
    FileReplacement() = default;
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&& other) noexcept;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    // ERROR_SUCCESS, or the Win32 code of why the new file cannot be made: a directory or a
    // read-only file at the target is ERROR_ACCESS_DENIED, a full disk ERROR_DISK_FULL, ...
    DWORD prepare(const char* path, std::string_view content);
    // prepare() without its wait for the disk: the new file is written and closed only by
    // flushTogether(). The same results as prepare().
    DWORD write(const char* path, std::string_view content);
    // Renames the prepared file over the target: ERROR_SUCCESS or the Win32 code (nothing
    // prepared, or written and not flushed: ERROR_INVALID_FUNCTION; a flush that failed: its
    // code). The target is the old file until it succeeds.
    DWORD commit();

private:
    friend DWORD flushTogether(std::span<FileReplacement> files);
    void discard();
    std::string target_;     // native path
    std::string temporary_;  // native path, empty when there is nothing to remove
    int unflushed_ = -1;     // the open temporary file until it is on disk
    DWORD flushError_ = ERROR_SUCCESS;  // why flushTogether() dropped the new file
};

// prepare() and commit() of one file.
WINPLAT_CXX_API DWORD replaceFile(const char* path, std::string_view content);

}  // namespace winplat
