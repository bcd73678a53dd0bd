#include "messages.h"

#include <cstdarg>
#include <cstdio>

#include "win32.h"

namespace builder {

void showWarning(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(GetActiveWindow(), text, "", MB_OK | MB_ICONWARNING);
}

}  // namespace builder
