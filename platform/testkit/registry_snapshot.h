// A snapshot of the registry for tests that check what a call changed (or that it changed
// nothing): every key and value below a root key.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "win32.h"
#include "win32_holders.h"

namespace spx::test {

// Every key and value below a root key, as "path|name" -> type and bytes.
using RegistrySnapshot = std::map<std::string, std::pair<DWORD, std::vector<BYTE>>>;
inline void snapshotKey(HKEY root, const std::string& path, RegistrySnapshot& out, int depth = 0) {
    winplat::RegKey key;
    if (depth > 32 || key.open(root, path) != ERROR_SUCCESS) return;
    out[path + "|"] = {REG_NONE, {}};
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameSize = sizeof name;
        RegEnumValueA(key.get(), i, name, &nameSize, nullptr, &type, data.data(), &size);
        out[path + "|" + name] = {type, data};
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(name);
    }
    key.close();
    for (const std::string& child : children)
        snapshotKey(root, path.empty() ? child : path + "\\" + child, out, depth + 1);
}
// The whole machine hive. The device keys the 95 family's plug-and-play walk names, which the
// system has from the start and the platform makes at its first use, are made first.
inline RegistrySnapshot registrySnapshot() {
    // Opening the dynamic hive makes them; the NT family has none, its device keys are there.
    [[maybe_unused]] const winplat::RegKey devices(HKEY_DYN_DATA, "Config Manager\\Enum");
    RegistrySnapshot s;
    snapshotKey(HKEY_LOCAL_MACHINE, "", s);
    return s;
}

}  // namespace spx::test
