// The starter's hand-over, read when the library is loaded (before the starter can be gone
// and this process adopted by another parent).
#include "startup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#include "command_line.h"
#include "win32.h"

namespace winplat::detail {
namespace {

// A decimal number that is all of `text`, else -1.
long wholeNumber(const char* text) {
    if (!text || !*text) return -1;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    return (errno || *end || value < 0) ? -1 : value;
}

// This program's own arguments, quoted as a Windows command line.
std::string commandLineOfArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        if (!line.empty()) line += ' ';
        line += quoteArgument(std::string_view(all).substr(start, end - start));
        start = end + 1;
    }
    return line;
}

struct Startup {
    Startup() {
        const bool fromStarter = wholeNumber(std::getenv(kParentVariable)) == static_cast<long>(getppid());
        const char* line = fromStarter ? std::getenv(kCommandLineVariable) : nullptr;
        commandLine = line ? line : commandLineOfArguments();
        if (!fromStarter) return;
        show = static_cast<int>(wholeNumber(std::getenv(kStartupShowVariable)));
        long fd = wholeNumber(std::getenv(kIdlePipeVariable));
        struct stat st {};
        if (fd > 2 && fd < 65536 && fstat(static_cast<int>(fd), &st) == 0 && S_ISFIFO(st.st_mode)) {
            idleFd = static_cast<int>(fd);
            // Programs this one starts do not inherit it.
            fcntl(idleFd, F_SETFD, FD_CLOEXEC);
        }
    }

    std::string commandLine;
    std::atomic<int> show{-1};
    int idleFd = -1;
    std::atomic<bool> idleSent{false};
    std::mutex mutex;
};

Startup startupInfo;  // read at load time

}  // namespace

const std::string& processCommandLine() { return startupInfo.commandLine; }

int startupShowCommand(int requested) {
    if (requested != SW_SHOWNORMAL && requested != SW_SHOWDEFAULT) return requested;
    int show = startupInfo.show.exchange(-1);
    return show >= 0 ? show : requested;
}

void signalInputIdle() {
    if (startupInfo.idleSent.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(startupInfo.mutex);
    if (startupInfo.idleSent.exchange(true) || startupInfo.idleFd < 0) return;
    const char ready = 1;
    (void)!write(startupInfo.idleFd, &ready, 1);
    close(startupInfo.idleFd);
    startupInfo.idleFd = -1;
}

}  // namespace winplat::detail
