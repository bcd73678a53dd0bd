// Feeds arbitrary bytes to the decimal and integer readers the way record readers walk a
// REG_MULTI_SZ value: field after field, stepping over element terminators.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "store_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end is caught.
    std::unique_ptr<char[]> text(new char[size ? size : 1]);
    if (size) std::memcpy(text.get(), data, size);
    const char* end = text.get() + size;

    for (int pass = 0; pass < 2; ++pass) {
        const char* p = text.get();
        while (p < end) {
            const char* next;
            if (pass == 0) {
                double v;
                next = vlt::readDecimal(p, end, v);
            } else {
                int v;
                next = vlt::readInteger(p, end, v);
            }
            if (next < p || next > end) __builtin_trap();
            if (next < end && *next == '\0') ++next;  // the next element
            if (next == p) ++next;
            p = next;
        }
    }
    return 0;
}
