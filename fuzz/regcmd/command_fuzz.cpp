// Feeds arbitrary command lines to the registry command language on a throw-away root that
// holds a small tree, restoring the tree whenever a command removed part of it.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "command_parser.h"
#include "command_runner.h"
#include "win32.h"
#include "winplat.h"

namespace {

void seedTree() {
    const char* paths[] = {"SOFTWARE\\test\\a\\b", "SOFTWARE\\test\\c", "SOFTWARE\\Kalvenmor\\Spectrine\\95.4\\Settings"};
    for (const char* p : paths) {
        HKEY k = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, p, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0) {
            RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
            DWORD d = 7;
            RegSetValueExA(k, "d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
            RegCloseKey(k);
        }
    }
}

FILE* sink() {
    static FILE* f = std::fopen("/dev/null", "w");
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string root = (std::filesystem::temp_directory_path() / "spectrine-fuzz-XXXXXX").string();
    if (!mkdtemp(root.data())) abort();
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    WinplatResetProcessState();
    seedTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string command(reinterpret_cast<const char*>(data), size);
    regkit::ParsedCommand parsed;
    regkit::parseCommand(command, parsed);
    if (parsed.dots > 0) return 0;  // each dot waits two seconds
    int result = regkit::runCommand(command, {sink(), sink()});
    switch (result) {
        case -1: case 0: case 2: case 3: case 5: case 6: case 7: case 8: case 9: break;
        default: __builtin_trap();
    }
    if (parsed.operation == '-' || parsed.operation == '!') seedTree();
    return 0;
}
