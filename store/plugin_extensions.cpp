// Plug-in extensions: "*.PIE" libraries beside the suite's main program are handed the block
// that describes the profile made default, and the block last sent is kept in the registry.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "vltutil.h"
#include "win32_holders.h"

namespace {

using Block = std::array<BYTE, SPECTRINE_PLUGIN_BLOCK_SIZE>;
// The entry every extension exports; it may keep nothing of the block after it returns.
using PlugInEntry = int (*)(BYTE* block);

// The folder of the cached "Settings" "AppFile" with its separator; empty without the
// installation paths or when the path names no folder.
std::string extensionFolder() {
    char app[MAX_PATH];
    if (!GetSpectrineExeFile(app, sizeof app) || !app[0]) return {};
    std::string path = app;
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Every extension in the order the directory search returns them, one loaded at a time; a file
// that does not load or lacks the entry is passed over. Each gets its own copy of the block,
// so what one extension writes into it never reaches the next or the registry.
void offer(const Block& block) {
    std::string folder = extensionFolder();
    if (folder.empty()) return;
    std::vector<std::string> files;
    WIN32_FIND_DATAA found{};
    winplat::FindHandle find(FindFirstFileA((folder + "*.PIE").c_str(), &found));
    if (!find) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.emplace_back(folder + found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    for (const std::string& file : files) {
        winplat::Library library(file);
        if (!library) continue;
        auto entry = library.find<PlugInEntry>("SpectrinePlugInExtension");
        if (!entry) continue;
        Block copy = block;
        entry(copy.data());
    }
}

int store(const Block& block) {
    return WriteSpectrineRegValue("Calibration", "PlugInData", REG_BINARY, block.data(),
                                  static_cast<DWORD>(block.size())) == ERROR_SUCCESS
               ? 1
               : 0;
}

}  // namespace

VLTUTIL_API int SendToPlugInExtension(const BYTE* block) {
    if (!block) return 0;
    Block copy;
    std::memcpy(copy.data(), block, copy.size());
    offer(copy);
    return store(copy);
}

VLTUTIL_API int UpdatePlugInExtension(LPCSTR profilePath) {
    Block block{};
    DWORD type = REG_NONE, size = static_cast<DWORD>(block.size());
    if (GetSpectrineRegValue("Calibration", "PlugInData", &type, block.data(), &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        block.fill(0);
    // The path, zero-padded; the last byte of the field stays 0 so the path stays terminated.
    BYTE* field = block.data() + SPECTRINE_PLUGIN_PATH_OFFSET;
    std::memset(field, 0, SPECTRINE_PLUGIN_PATH_SIZE);
    if (profilePath)
        std::memcpy(field, profilePath,
                    strnlen(profilePath, SPECTRINE_PLUGIN_PATH_SIZE - 1));
    offer(block);
    return store(block);
}
