// The lists the private-profile readers give (section names, key names, the lines of a
// section), read whole however long they are.
#include <cstring>

#include "records_internal.h"
#include "winplat_files.h"

namespace vlt {

std::vector<std::string> readIniList(const std::function<DWORD(char* buffer, DWORD size)>& read) {
    std::vector<char> buffer(16 * 1024);
    for (;;) {
        DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n > buffer.size()) n = 0;  // a reader that answers nonsense lists nothing
        const bool complete = n + 2 < buffer.size();
        if (complete || buffer.size() >= winplat::kWholeFileLimit) {
            if (!complete)
                while (n > 0 && buffer[n - 1] != '\0') --n;  // drop an item cut short
            std::vector<std::string> items;
            for (DWORD at = 0; at < n;) {
                const size_t length = strnlen(buffer.data() + at, n - at);
                if (length > 0) items.emplace_back(buffer.data() + at, length);
                at += static_cast<DWORD>(length) + 1;
            }
            return items;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace vlt
