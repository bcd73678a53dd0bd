#include "logo_files.h"

#include "vltutil.h"

namespace huevista {

std::string folderOf(const std::string& programPath) {
    return programPath.substr(0, programPath.size() - std::string(GetFileInPath(programPath.c_str())).size());
}

std::string logoFile(const std::string& programPath, const char* key, const char* builtIn) {
    char name[MAX_PATH];
    const std::string file = GetSpectrineOEMString(key, name, sizeof name) && name[0] ? name : builtIn;
    return folderOf(programPath) + file;
}

HBITMAP loadLogo(const std::string& programPath, const char* key, const char* builtIn) {
    const std::string file = logoFile(programPath, key, builtIn);
    return static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

}  // namespace huevista
