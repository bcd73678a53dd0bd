// The keys a test holds on the virtual display, kept in <root>/display/keys (one virtual key
// number per line) so that every process of the system root reads the same state.
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "detail.h"
#include "display_backend.h"
#include "winplat_files.h"

namespace winplat::detail {

std::vector<int> virtualKeysHeld() {
    std::string text;
    winplat::readWholeFile((systemRoot() + "/display/keys").c_str(), text);
    std::istringstream in(text);
    std::vector<int> keys;
    int key = 0;
    while (in >> key) keys.push_back(key);
    return keys;
}

bool setVirtualKeyHeld(int virtualKey, bool down) {
    {
        auto access = displayBackend();
        if (std::string(access.backend.name()) != "virtual") return false;
    }
    std::vector<int> keys = virtualKeysHeld();
    std::erase(keys, virtualKey);
    if (down) keys.push_back(virtualKey);
    std::ostringstream out;
    for (int k : keys) out << k << '\n';
    std::error_code ec;
    std::filesystem::create_directories(systemRoot() + "/display", ec);
    return winplat::replaceFile((systemRoot() + "/display/keys").c_str(), out.str()) == ERROR_SUCCESS;
}

}  // namespace winplat::detail
