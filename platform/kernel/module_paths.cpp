// Where the running program and the platform layer live.
#include "detail.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

namespace winplat::detail {
namespace {

// Any address inside this library.
void anchor() {}

}  // namespace

std::string platformLibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&anchor), &info) == 0 || !info.dli_fname) return {};
    return info.dli_fname;
}

std::string runningProgramPath() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

std::string suiteFolder() {
    std::string path = platformLibraryPath();
    return path.empty() ? std::string() : folderOf(absolute(path));
}

std::vector<std::string> programAndSuiteFolders() {
    std::vector<std::string> folders;
    for (const std::string& path : {runningProgramPath(), platformLibraryPath()}) {
        if (path.empty()) continue;
        std::string folder = folderOf(absolute(path));
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    return folders;
}

}  // namespace winplat::detail
