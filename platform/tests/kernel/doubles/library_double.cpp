// A library the library tests load at run time: one function, one data export, and a use of
// the C library (whose functions must not pass for exports of this library).
#include <cstring>

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int WinplatDoubleData = 41;
}

DOUBLE_EXPORT int WinplatDoubleAnswer(const char* text) {
    return static_cast<int>(std::strlen(text)) * 100 + WinplatDoubleData;
}
