// Work done by a second process, as another program started after the test's own: the test
// forks, the child does the work with a fresh platform state and hands its answer back through
// a pipe; or a program of the suite run to its end. Header only.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "winplat.h"

namespace spx::test {

// Runs `work` in a child process and returns the bytes it put into its argument. `work`
// returns the child's exit status; anything but 0 fails the test. The platform's process state
// is reset before the fork, so the child inherits no open connection (an X display shared by
// two processes breaks) and builds its own state, as a program of its own would.
inline std::string inSecondProcess(const std::function<int(std::string& answer)>& work) {
    int channel[2];
    if (pipe(channel) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    WinplatResetProcessState();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string answer;
        int status = work(answer);
        for (size_t sent = 0; sent < answer.size();) {
            const ssize_t n = write(channel[1], answer.data() + sent, answer.size() - sent);
            if (n <= 0) {
                status = 91;
                break;
            }
            sent += static_cast<size_t>(n);
        }
        _exit(status);
    }
    close(channel[1]);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the second process ended with " << status;
    return answer;
}

// Runs a program (arguments[0] its path) to its end and returns its exit status, -1 when it
// could not start or did not exit.
inline int runProgram(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (argv.size() < 2 || posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace spx::test
