// The starter's hand-over, read when the library is loaded.
#include "startup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string_view>

#include "command_line.h"
#include "win32.h"

namespace winplat::detail {
namespace {

// A decimal number that is all of `text`, else nothing.
std::optional<unsigned long long> wholeNumber(std::string_view text) {
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
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

// The idle pipe "<descriptor>:<inode>" names, when that pipe is open here; else -1.
int handedPipe(const char* text) {
    if (!text) return -1;
    std::string_view both(text);
    size_t colon = both.find(':');
    if (colon == std::string_view::npos) return -1;
    auto fd = wholeNumber(both.substr(0, colon)), inode = wholeNumber(both.substr(colon + 1));
    struct stat st {};
    if (!fd || !inode || *fd <= 2 || *fd >= 65536 || fstat(static_cast<int>(*fd), &st) != 0 || !S_ISFIFO(st.st_mode) ||
        static_cast<unsigned long long>(st.st_ino) != *inode)
        return -1;
    return static_cast<int>(*fd);
}

struct Startup {
    Startup() {
        idleFd = handedPipe(std::getenv(kIdlePipeVariable));
        const bool fromStarter = idleFd >= 0;
        const char* line = fromStarter ? std::getenv(kCommandLineVariable) : nullptr;
        commandLine = line ? line : commandLineOfArguments();
        if (!fromStarter) return;
        const char* showText = std::getenv(kStartupShowVariable);
        auto command = wholeNumber(showText ? showText : "");
        if (command && *command <= SW_MAX) show = static_cast<int>(*command);
        fcntl(idleFd, F_SETFD, FD_CLOEXEC);  // programs this one starts do not inherit it
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
