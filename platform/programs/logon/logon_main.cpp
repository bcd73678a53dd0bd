// logon: the logon runner. The XDG autostart entry the installer writes runs it when the user's
// desktop session starts; it starts every command of the Run key, as Windows does at logon:
// HKEY_LOCAL_MACHINE first, then HKEY_CURRENT_USER, each in the key's order. The Run key is
// the only list of what starts.
//   logon [--root DIR]
// --root selects the system root (else $SPECTRINE_ROOT or the default). Prints what it started;
// exits with 0, or 1 when a command could not be started.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win32_holders.h"
#include "winplat.h"

namespace {

struct Command {
    std::string name;
    std::string line;
};

// The string values of one hive's Run key, in the key's order.
std::vector<Command> commandsOf(HKEY hive) {
    std::vector<Command> commands;
    winplat::RegKey run(hive, REGSTR_PATH_RUN);
    if (!run) return commands;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name, type = 0, dataSize = 0;
        LONG rc = RegEnumValueA(run.get(), i, name, &nameSize, nullptr, &type, nullptr, &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
        std::string data(dataSize + 1, '\0');
        DWORD size = dataSize;
        if (RegQueryValueExA(run.get(), name, nullptr, nullptr, reinterpret_cast<LPBYTE>(data.data()), &size) !=
            ERROR_SUCCESS)
            continue;
        data.resize(std::strlen(data.c_str()));  // up to the terminator the value carries
        if (!data.empty()) commands.push_back({name, data});
    }
    return commands;
}

// Starts one command, shown normally, and lets it run on its own.
bool start(const Command& command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    std::string line = command.line;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "logon: cannot start \"%s\" (%s): error %lu\n", command.name.c_str(), command.line.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return false;
    }
    winplat::ProcessHandle process(info.hProcess), thread(info.hThread);
    std::printf("logon: started \"%s\": %s\n", command.name.c_str(), command.line.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc && argv[i + 1][0]) {
            setenv("SPECTRINE_ROOT", argv[++i], 1);
        } else {
            std::fprintf(stderr, "Usage: %s [--root DIR]\n", argv[0]);
            return 2;
        }
    }
    bool allStarted = true;
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const Command& command : commandsOf(hive)) allStarted = start(command) && allStarted;
    std::fflush(stdout);
    return allStarted ? 0 : 1;
}
