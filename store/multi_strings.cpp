// REG_MULTI_SZ values as the records keep them: elements written one by one with the C locale,
// read back into a bounded buffer and walked with the decimal reader.
#include <cmath>
#include <cstring>

#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"
#include "winplat.h"

namespace vlt {

void appendElement(std::string& image, const char* text) {
    if (text) image.append(text);
    image.push_back('\0');
}

void appendRecordText(std::string& image, const char* text) {
    if (text) image.append(text, strnlen(text, kRecordTextLimit));
    image.push_back('\0');
}

bool appendNumber(std::string& image, const char* format, double value) {
    if (!std::isfinite(value)) return false;
    // Every double fits: "%.5f" of the largest has 309 digits before the point.
    char text[400];
    const int n = WinplatFormatC(text, sizeof text, format, value);
    if (n < 0 || static_cast<size_t>(n) >= sizeof text) return false;
    appendElement(image, text);
    return true;
}

int writeMultiString(LPCSTR subkey, LPCSTR name, std::string image, size_t limit) {
    image.push_back('\0');  // the list terminator
    if (image.size() > limit || image.size() > 0xffffffffu) return 0;
    LONG rc = WriteSpectrineRegValue(subkey, name, REG_MULTI_SZ,
                                     reinterpret_cast<const BYTE*>(image.data()),
                                     static_cast<DWORD>(image.size()));
    return rc == ERROR_SUCCESS ? 1 : 0;
}

bool MultiStringValue::read(LPCSTR subkey, LPCSTR name, DWORD limit) {
    if (limit > sizeof data_ - 1) limit = sizeof data_ - 1;
    DWORD type = REG_NONE, size = limit;
    size_ = 0;
    if (GetSpectrineRegValue(subkey, name, &type, reinterpret_cast<LPBYTE>(data_), &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size > limit) {
        data_[0] = '\0';
        return false;
    }
    size_ = size;
    data_[size_] = '\0';
    return true;
}

const char* copyElement(const char* p, const char* end, char* out, size_t size) {
    const char* stop = p;
    while (stop < end && *stop) ++stop;
    if (out && size) {
        size_t n = static_cast<size_t>(stop - p);
        if (n > size - 1) n = size - 1;
        std::memcpy(out, p, n);
        out[n] = '\0';
    }
    return stop < end ? stop + 1 : stop;
}

const char* readField(const char* p, const char* end, double& value) {
    p = readDecimal(p, end, value);
    return (p < end && *p == '\0') ? p + 1 : p;
}

const char* readIntegerField(const char* p, const char* end, int& value) {
    p = readInteger(p, end, value);
    return (p < end && *p == '\0') ? p + 1 : p;
}

const char* readSignedIntegerField(const char* p, const char* end, LONG& value) {
    const char* q = p;
    while (q < end && (*q == ' ' || *q == '\t')) ++q;
    const bool negative = q < end && *q == '-';
    int magnitude = 0;
    p = readIntegerField(negative ? q + 1 : q, end, magnitude);
    const unsigned bits = static_cast<unsigned>(magnitude);
    value = static_cast<LONG>(negative ? 0u - bits : bits);
    return p;
}

}  // namespace vlt
