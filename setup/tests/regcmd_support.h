// Helpers for the command-language tests: run a command with captured output, build keys.
#pragma once

#include <cstdio>
#include <string>

#include "command_runner.h"
#include "fresh_root.h"
#include "win32.h"

namespace regkit::test {

struct Outcome {
    int result;
    std::string out;
    std::string err;
};

inline std::string slurp(FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

inline Outcome run(const std::string& command) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    int result = runCommand(command, {out, err});
    return {result, slurp(out), slurp(err)};
}

inline void makeKey(HKEY root, const char* path) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegCloseKey(k);
}

inline void setString(HKEY root, const char* path, const char* name, const char* text) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(k);
}

inline bool keyExists(HKEY root, const char* path) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

inline bool valueExists(HKEY root, const char* path, const char* name) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(k, name, nullptr, nullptr, nullptr, &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

}  // namespace regkit::test
