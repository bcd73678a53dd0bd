// CreateProcessA and the process handles: posix_spawn, a pidfd per process, the idle pipe, and
// the reaping of programs whose handles closed while they ran.
#include "process.h"

#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "ascii_case.h"
#include "command_line.h"
#include "detail.h"
#include "paths.h"
#include "process_events.h"
#include "programs.h"
#include "startup.h"

extern char** environ;

namespace winplat::detail {
namespace {

// The exit code of a reaped child as the Windows family reports it.
DWORD exitCodeOf(const siginfo_t& info) {
    if (info.si_code == CLD_EXITED) return static_cast<DWORD>(info.si_status & 0xFF);
    return 128u + static_cast<DWORD>(info.si_status);
}

// Children whose handles all closed while they ran: reaped as soon as they end.
struct Orphans {
    std::mutex mutex;
    std::unordered_map<int, UniqueFd> pidfds;
};

Orphans& orphans() {
    static Orphans* o = new Orphans;  // lives for the process: handlers may run during exit
    return *o;
}

void adoptOrphan(UniqueFd pidfd) {
    const int fd = pidfd.get();
    {
        std::lock_guard lock(orphans().mutex);
        orphans().pidfds.emplace(fd, std::move(pidfd));
    }
    watchReadable(fd, [fd] {
        siginfo_t info{};
        if (waitid(P_PIDFD, static_cast<id_t>(fd), &info, WEXITED | WNOHANG) == 0 && info.si_pid == 0) return;
        unwatch(fd);
        std::lock_guard lock(orphans().mutex);
        orphans().pidfds.erase(fd);
    });
}

}  // namespace

ProcessObject::~ProcessObject() {
    if (!reaped_ && pidfd_) adoptOrphan(std::move(pidfd_));
}

DWORD ProcessObject::exitCode() {
    std::lock_guard lock(mutex_);
    if (reaped_) return code_;
    siginfo_t info{};
    if (waitid(P_PIDFD, static_cast<id_t>(pidfd_.get()), &info, WEXITED | WNOHANG) != 0) {
        // Reaped by someone else (a waitpid of the program's own): the code is lost.
        if (errno != ECHILD) return STILL_ACTIVE;
        reaped_ = true;
        return code_ = 0;
    }
    if (info.si_pid == 0) return STILL_ACTIVE;
    reaped_ = true;
    return code_ = exitCodeOf(info);
}

ProcessObject::IdleState ProcessObject::idleState() {
    std::lock_guard lock(mutex_);
    if (idle_seen_) return IdleState::Idle;
    if (!idle_) return IdleState::Never;
    char byte = 0;
    ssize_t n = read(idle_.get(), &byte, 1);
    if (n == 1) {
        idle_seen_ = true;
        idle_.reset();
        return IdleState::Idle;
    }
    if (n == 0) {  // the program ended, or started another over itself, before it waited
        idle_.reset();
        return IdleState::Never;
    }
    return IdleState::Pending;
}

namespace {

std::atomic<DWORD> cachedProcessId{0};

void forgetProcessIdInChild() { cachedProcessId.store(0); }

}  // namespace

DWORD currentProcessId() {
    DWORD id = cachedProcessId.load(std::memory_order_relaxed);
    if (!id) {
        static std::once_flag registered;
        std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, forgetProcessIdInChild); });
        id = static_cast<DWORD>(getpid());
        cachedProcessId.store(id, std::memory_order_relaxed);
    }
    return id;
}

std::shared_ptr<ProcessObject> processOf(HANDLE handle) {
    auto process = std::static_pointer_cast<ProcessObject>(lookupObject(handle, ObjectKind::Process));
    if (!process) SetLastError(ERROR_INVALID_HANDLE);
    return process;
}

namespace {

bool isProcessVariable(std::string_view entry) {
    for (const char* name : {kCommandLineVariable, kStartupShowVariable, kIdlePipeVariable}) {
        size_t n = std::strlen(name);
        if (entry.size() > n && entry.compare(0, n, name) == 0 && entry[n] == '=') return true;
    }
    return false;
}

// The child's environment: the block given (or this process's), without the hand-over of this
// process's own starter, and with the child's.
std::vector<std::string> childEnvironment(const char* block, const std::string& commandLine, int idleFd,
                                          const STARTUPINFOA& startup) {
    struct stat pipe {};
    fstat(idleFd, &pipe);
    std::vector<std::string> env;
    if (block) {
        for (const char* at = block; *at; at += std::strlen(at) + 1) env.emplace_back(at);
    } else {
        for (char** at = environ; at && *at; ++at) env.emplace_back(*at);
    }
    std::erase_if(env, [](const std::string& e) { return isProcessVariable(e); });
    env.push_back(std::string(kCommandLineVariable) + "=" + commandLine);
    env.push_back(std::string(kIdlePipeVariable) + "=" + std::to_string(idleFd) + ":" + std::to_string(pipe.st_ino));
    if (startup.dwFlags & STARTF_USESHOWWINDOW)
        env.push_back(std::string(kStartupShowVariable) + "=" + std::to_string(startup.wShowWindow));
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Why a name leads to no program: a folder that is missing (ERROR_PATH_NOT_FOUND), a file that
// cannot be run (ERROR_ACCESS_DENIED), or nothing by that name (ERROR_FILE_NOT_FOUND).
DWORD whyNoProgram(std::string_view name) {
    if (name.find_first_of("\\/") == std::string_view::npos) return ERROR_FILE_NOT_FOUND;
    struct stat st {};
    if (stat(resolvePath(name).c_str(), &st) == 0) return ERROR_ACCESS_DENIED;
    std::string folder = resolvePath(name.substr(0, lastComponentStart(name)));
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// The program file a name stands for (see findProgram); ERROR_SUCCESS or why there is none.
DWORD programFile(std::string_view name, std::string& path) {
    path = findProgram(name);
    return path.empty() ? whyNoProgram(name) : ERROR_SUCCESS;
}

// The program file of a command line without an application name. An unquoted name with
// blanks is tried at each blank in turn, shortest first, as Windows does.
DWORD programOfCommandLine(const std::string& line, std::string& path) {
    DWORD first = programFile(splitProgram(line).program, path);
    const size_t start = line.find_first_not_of(" \t");
    if (first == ERROR_SUCCESS || start == std::string::npos || line[start] == '"') return first;
    for (size_t blank = line.find_first_of(" \t", start); blank != std::string::npos;
         blank = line.find_first_of(" \t", blank + 1)) {
        size_t end = line.find_first_of(" \t", blank + 1);
        std::string longer = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (programFile(longer, path) == ERROR_SUCCESS) return ERROR_SUCCESS;
    }
    return first;
}

DWORD spawnError(int err) {
    switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENOMEM:
    case EAGAIN: return ERROR_NOT_ENOUGH_MEMORY;
    default: return errorFromErrno(err);
    }
}

// posix_spawn's attributes and file actions, released with the holder.
struct SpawnSetup {
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
        // The program starts with every signal at its default and none blocked.
        sigset_t all, none;
        sigfillset(&all);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                                LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID lpEnvironment,
                                LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                                LPPROCESS_INFORMATION lpProcessInformation) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        const bool haveLine = lpCommandLine && *lpCommandLine;
        const bool haveName = lpApplicationName && *lpApplicationName;
        if (!lpStartupInfo || !lpProcessInformation || (!haveLine && !haveName)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const std::string commandLine = haveLine ? lpCommandLine : lpApplicationName;
        std::string program;
        DWORD found = haveName ? programFile(lpApplicationName, program) : programOfCommandLine(commandLine, program);
        if (found != ERROR_SUCCESS) {
            SetLastError(found);
            return FALSE;
        }
        std::string folder;
        if (lpCurrentDirectory && *lpCurrentDirectory) {
            folder = resolvePath(lpCurrentDirectory);
            struct stat st {};
            if (stat(folder.c_str(), &st) != 0) return failWithErrno(errno, folder);
            if (!S_ISDIR(st.st_mode)) {
                SetLastError(ERROR_DIRECTORY);
                return FALSE;
            }
        }

        int idlePipe[2];
        if (pipe2(idlePipe, O_CLOEXEC) != 0) return failWithErrno(errno);
        UniqueFd idleRead(idlePipe[0]), idleWrite(idlePipe[1]);
        fcntl(idleRead.get(), F_SETFL, O_NONBLOCK);  // the idle signal is looked at, never waited for
        const CommandLine head = splitProgram(commandLine);
        std::vector<std::string> argv{head.program.empty() ? program : head.program};
        for (std::string& argument : splitArguments(head.parameters)) argv.push_back(std::move(argument));
        std::vector<std::string> env =
            childEnvironment(static_cast<const char*>(lpEnvironment), commandLine, idleWrite.get(), *lpStartupInfo);
        std::vector<char*> argvPointers = pointersTo(argv), envPointers = pointersTo(env);

        SpawnSetup setup;
        // The idle pipe's write end is the one descriptor the program inherits (the same
        // number, without close-on-exec).
        posix_spawn_file_actions_adddup2(&setup.actions, idleWrite.get(), idleWrite.get());
        if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
        pid_t pid = 0;
        int err = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argvPointers.data(),
                              envPointers.data());
        if (err != 0) {
            SetLastError(spawnError(err));
            return FALSE;
        }
        idleWrite.reset();
        UniqueFd pidfd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
        if (!pidfd) {
            // Without a pidfd the program cannot be waited for: it does not stay.
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        auto process = std::make_shared<ProcessObject>(pid, std::move(pidfd), std::move(idleRead));
        lpProcessInformation->hProcess = insertObject(process);
        lpProcessInformation->hThread = insertObject(process);
        lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
        lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);  // the main thread's id is the pid
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}

WINPLAT_API BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        auto process = processOf(hProcess);
        if (!process) return FALSE;
        if (!lpExitCode) {
            SetLastError(ERROR_NOACCESS);
            return FALSE;
        }
        *lpExitCode = process->exitCode();
        return TRUE;
    });
}

WINPLAT_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return guardedCall(DWORD{WAIT_FAILED}, [&]() -> DWORD {
        auto object = lookupAnyObject(hHandle);
        const int fd = object ? object->waitFd() : -1;
        if (fd < 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        const DWORD start = GetTickCount();
        for (;;) {
            int left = -1;
            if (dwMilliseconds != INFINITE) {
                DWORD passed = GetTickCount() - start;
                left = passed >= dwMilliseconds ? 0 : static_cast<int>(dwMilliseconds - passed);
            }
            pollfd p{fd, POLLIN, 0};
            int n = poll(&p, 1, left);
            if (n > 0) return WAIT_OBJECT_0;
            if (n == 0) return WAIT_TIMEOUT;
            if (errno != EINTR) {
                failWithErrno(errno);
                return WAIT_FAILED;
            }
        }
    });
}

WINPLAT_API LPSTR GetCommandLineA(void) { return const_cast<LPSTR>(processCommandLine().c_str()); }

WINPLAT_API DWORD GetCurrentProcessId(void) { return currentProcessId(); }
