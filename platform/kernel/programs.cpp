// Programs found by their Windows names and started without a shell: the program runs as a
// grandchild, so the caller has nothing to wait for, and a pipe closed on exec tells whether
// the exec itself worked.
#include "programs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "ascii_case.h"
#include "detail.h"
#include "paths.h"

extern char** environ;

namespace winplat::detail {
namespace {

bool isProgramFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The name as given, then without ".exe".
std::vector<std::string> spellings(std::string_view name) {
    std::vector<std::string> out{std::string(name)};
    if (endsWithIgnoringCase(name, ".exe") && name.size() > 4) out.emplace_back(name.substr(0, name.size() - 4));
    return out;
}

std::string findIn(const std::vector<std::string>& folders, std::string_view name) {
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        for (const std::string& spelling : spellings(name)) {
            std::string file = resolvePath(folder + "/" + spelling);
            if (isProgramFile(file)) return absolute(file);
        }
    }
    return {};
}

std::vector<std::string> pathFolders() {
    std::vector<std::string> out;
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        size_t colon = rest.find(':');
        std::string_view folder = rest.substr(0, colon);
        out.emplace_back(folder.empty() ? "." : folder);
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return out;
}

}  // namespace

std::string findProgram(std::string_view name) {
    if (name.empty()) return {};
    if (name.find_first_of("\\/") != std::string_view::npos) {
        for (const std::string& spelling : spellings(name)) {
            std::string file = resolvePath(spelling);
            if (isProgramFile(file)) return absolute(file);
        }
        return {};
    }
    if (std::string found = findIn(programAndSuiteFolders(), name); !found.empty()) return found;
    return findIn(pathFolders(), name);
}

std::string findOnPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return {};
    return findIn(pathFolders(), name);
}

DWORD startDetached(const std::string& file, const std::vector<std::string>& arguments) {
    // Everything the children use is made before the fork: after it they only fork, exec,
    // write and exit.
    std::vector<std::string> all{file};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int status[2];
    if (pipe2(status, O_CLOEXEC) != 0) return errorFromErrno(errno);
    pid_t middle = fork();
    if (middle < 0) {
        int err = errno;
        close(status[0]);
        close(status[1]);
        return errorFromErrno(err);
    }
    if (middle == 0) {
        pid_t program = fork();
        if (program == 0) {
            // The program keeps the standard descriptors and nothing else of ours.
            close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
            execve(argv[0], argv.data(), environ);
        }
        if (program <= 0) {  // the exec or the fork failed: say why
            int err = errno;
            ssize_t written = write(status[1], &err, sizeof err);
            (void)written;
        }
        _exit(0);
    }
    close(status[1]);
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    while ((got = read(status[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    close(status[0]);
    return got == static_cast<ssize_t>(sizeof err) ? errorFromErrno(err, file) : ERROR_SUCCESS;
}

}  // namespace winplat::detail
