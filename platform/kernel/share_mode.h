// The share mode of an open file handle (internal), honoured between every handle of the
// session, the same process's included. Each handle holds shared OFD locks on fixed bytes of a
// companion lock file in the session folder, named by the file's device and inode: byte 0 while
// it reads, 1 while it writes, 2 while it denies reading to others, 3 while it denies writing.
// An open checks the bytes that conflict with it and takes its own under an exclusive lock on
// byte 4; the last handle removes the companion file.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "files.h"
#include "win32.h"

namespace winplat::detail {

class SessionFolder;

class ShareMode {
public:
    ShareMode() = default;
    ~ShareMode() { release(); }
    ShareMode(ShareMode&&) = default;
    ShareMode& operator=(ShareMode&&) = delete;

    // Takes the share-mode locks of a handle of `file` that reads and/or writes and shares
    // `share` (FILE_SHARE_READ, FILE_SHARE_WRITE); ERROR_SHARING_VIOLATION when a handle open
    // now conflicts, as Windows decides. A handle that neither reads nor writes, or a process
    // without a session, takes none.
    DWORD acquire(const struct stat& file, bool read, bool write, DWORD share);

private:
    void release();
    std::shared_ptr<SessionFolder> folder_;
    std::string path_;
    UniqueFd fd_;
};

}  // namespace winplat::detail
