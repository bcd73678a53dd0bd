#include "store_internal.h"

namespace vlt {

namespace {
const char* skipBlanks(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p;
}
// Where reading stopped: past a ',' when one ended the number.
const char* finish(const char* p, const char* end) { return (p < end && *p == ',') ? p + 1 : p; }
}  // namespace

const char* readDecimal(const char* text, const char* end, double& value) {
    const char* p = skipBlanks(text, end);
    bool negative = false;
    if (p < end && *p == '-') {
        negative = true;
        ++p;
    }
    double whole = 0.0, scale = 1.0;
    bool fraction = false;
    for (; p < end && *p != '\0' && *p != ','; ++p) {
        if (*p == '.' && !fraction) {
            fraction = true;
            continue;
        }
        int digit = *p - '0';  // whatever the character is
        if (fraction) {
            scale /= 10.0;
            whole += digit * scale;
        } else {
            whole = whole * 10.0 + digit;
        }
    }
    value = negative ? -whole : whole;
    return finish(p, end);
}

const char* readInteger(const char* text, const char* end, int& value) {
    const char* p = skipBlanks(text, end);
    unsigned int v = 0;
    for (; p < end && *p != '\0' && *p != ','; ++p) v = v * 10u + static_cast<unsigned int>(*p - '0');
    value = static_cast<int>(v);
    return finish(p, end);
}

}  // namespace vlt
