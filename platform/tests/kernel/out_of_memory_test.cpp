// Running out of memory inside a call gives the call's failure result, never an exception
// leaving the library. Each case runs in a child process with a small address-space limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "fresh_root.h"
#include "win32.h"

namespace {

using OutOfMemory = spx::test::FreshRootTest;

// Runs `body` in a child whose address space is limited; returns its exit status.
template <typename Body>
int inLimitedChild(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        std::string* big = new std::string(64u << 20, 'x');  // made before the limit
        // Room for one more copy of it on top of what the process already maps.
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        rlimit small{static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (100u << 20), limit.rlim_max};
        setrlimit(RLIMIT_AS, &small);
        _exit(body(*big));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(OutOfMemory, FileCallsFailWithNotEnoughMemory) {
    int status = inLimitedChild([](const std::string& big) {
        // Resolving a path copies it; two more 64 MiB copies do not fit.
        for (int i = 0; i < 8; ++i) {
            SetLastError(0);
            HANDLE h = CreateFileA(big.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) return 1;
            if (GetLastError() == ERROR_NOT_ENOUGH_MEMORY) return 0;
        }
        return 2;
    });
    EXPECT_EQ(status, 0) << "1: opened, 2: never ran out of memory, >100: killed by a signal";
}

TEST_F(OutOfMemory, RegistryCallsReturnOutOfMemory) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Big", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    WinplatResetProcessState();
    int status = inLimitedChild([](const std::string& big) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Big", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 3;
        LONG rc = ERROR_SUCCESS;
        for (int i = 0; i < 8 && rc == ERROR_SUCCESS; ++i)
            rc = RegSetValueExA(key, big.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                                static_cast<DWORD>(big.size()));
        // A 64 MiB name is refused outright; the data never got that far.
        if (rc != ERROR_INVALID_PARAMETER) return 4;
        std::string name(100, 'n');
        rc = RegSetValueExA(key, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                            static_cast<DWORD>(big.size()));
        for (int i = 0; i < 8 && rc == ERROR_SUCCESS; ++i)
            rc = RegSetValueExA(key, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()),
                                static_cast<DWORD>(big.size()));
        return rc == ERROR_SUCCESS || rc == ERROR_OUTOFMEMORY || rc == ERROR_REGISTRY_IO_FAILED ? 0 : 5;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
