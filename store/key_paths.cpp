#include <cstdio>

#include "store_internal.h"
#include "vltutil.h"

namespace vlt {

bool buildKeyPath(LPCSTR subkey, char (&out)[kPathBufferSize]) {
    int n = std::snprintf(out, sizeof out, "%s%s", SPECTRINE_SUITE_KEY, subkey ? subkey : "");
    return n >= 0 && static_cast<size_t>(n) < sizeof out;
}

std::string monitorValueName(const char* base, int monitor) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%d", base, monitor);
    return name;
}

}  // namespace vlt
