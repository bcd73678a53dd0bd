// Number formatting and parsing that ignore the process's locale.
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include "winplat.h"

namespace {

locale_t cLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

// Switches the calling thread to the C locale for the life of the object.
class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

}  // namespace

WINPLAT_API int WinplatFormatC(char* out, size_t size, const char* format, ...) {
    CLocaleScope scope;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, size, format, args);
    va_end(args);
    return n;
}

WINPLAT_API double WinplatParseDoubleC(const char* text, char** end) { return strtod_l(text, end, cLocale()); }
