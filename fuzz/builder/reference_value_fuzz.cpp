// Feeds arbitrary bytes to the reader of the reference file's three-number values
// (" %lf , %lf , %lf"), as a value of the INI reader: cut at its first NUL and at the 255
// characters a value is read into. Checks: a value the C library's scanf reads as three finite
// numbers with that format reads the same (unless scanf takes more into a number than strtod); whatever is read is finite; the value reads the
// same with the blanks around its commas taken out; a value that is refused leaves the output
// as it was.
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <memory>
#include <string>

#include "fuzz_text.h"
#include "whitepoint_file.h"

namespace {

constexpr size_t kValueChars = whitepoint::kValueSize - 1;

void check(bool condition) {
    if (!condition) __builtin_trap();
}

bool same(const double (&a)[3], const double (&b)[3]) { return std::memcmp(a, b, sizeof a) == 0; }

// scanf's reading of the value in the C locale: true when it reads three numbers, each ending
// where strtod's reading of it ends. (scanf takes a dangling exponent or hexadecimal prefix,
// "2E" or "0x", into the number it reads; the reader refuses a value with one.)
bool scanC(const char* text, double (&out)[3]) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const locale_t previous = uselocale(c);
    int start[3] = {-1, -1, -1}, end[3] = {-1, -1, -1};
    const int n = std::sscanf(text, " %n%lf%n , %n%lf%n , %n%lf%n", &start[0], &out[0], &end[0],
                              &start[1], &out[1], &end[1], &start[2], &out[2], &end[2]);
    uselocale(previous);
    if (n != 3) return false;
    for (int i = 0; i < 3; ++i) {
        char* stop = nullptr;
        WinplatParseDoubleC(text + start[i], &stop);
        if (stop != text + end[i]) return false;
    }
    return true;
}

std::string withoutBlanksAroundCommas(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == ' ' || ch == '\t') {
            size_t j = i;
            while (j < text.size() && (text[j] == ' ' || text[j] == '\t')) ++j;
            const bool beforeComma = j < text.size() && text[j] == ',';
            const bool afterComma = !out.empty() && out.back() == ',';
            if (beforeComma || afterComma) {
                i = j - 1;
                continue;
            }
        }
        out += ch;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<char[]> text = terminatedText(data, size, kValueChars);

    const double marker = -1234.5;
    double read[3] = {marker, marker, marker};
    const bool ok = whitepoint::parseTriple(text.get(), read);
    if (ok) {
        for (double v : read) check(std::isfinite(v));
    } else {
        for (double v : read) check(v == marker);
    }

    double scanned[3] = {0, 0, 0};
    if (scanC(text.get(), scanned) && std::isfinite(scanned[0]) && std::isfinite(scanned[1]) &&
        std::isfinite(scanned[2])) {
        check(ok);
        check(same(read, scanned));
    }

    if (ok) {
        const std::string compact = withoutBlanksAroundCommas(text.get());
        double again[3] = {0, 0, 0};
        check(whitepoint::parseTriple(compact.c_str(), again));
        check(same(read, again));
    }
    return 0;
}
