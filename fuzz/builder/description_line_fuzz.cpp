// Feeds arbitrary bytes to the builders' description-line parser as a line of the store (cut
// at its first NUL and at the 511 characters a line is fetched into) and checks it against the
// comma-separated fields: the manufacturer and model are fields 1 and 2 after their leading
// blanks and tabs, cut to their buffers; a field 5 of at most nine digits is that integer; a
// number field that is digits with at most one point is that decimal (within rounding), and
// every number is 0 or more, never NaN; the ICC parameters record holds the same texts,
// NUL-terminated inside its buffers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "description_line.h"
#include "fuzz_text.h"
#include "winplat.h"

namespace {

constexpr size_t kLineChars = 511;

void check(bool condition) {
    if (!condition) __builtin_trap();
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (size_t start = 0;;) {
        const size_t comma = line.find(',', start);
        out.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return out;
        start = comma + 1;
    }
}

std::string_view field(const std::vector<std::string_view>& all, size_t n) {
    if (n >= all.size()) return {};
    std::string_view f = all[n];
    while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
    return f;
}

void checkNumber(double value, std::string_view text) {
    check(!std::isnan(value) && value >= 0.0);
    size_t digits = 0, points = 0, n = 0;
    for (; n < text.size(); ++n) {
        if (text[n] >= '0' && text[n] <= '9')
            ++digits;
        else if (text[n] == '.' && points == 0)
            ++points;
        else
            break;
    }
    if (digits == 0) {
        check(value == 0.0);
        return;
    }
    if (digits > 15) return;  // beyond what the comparison below resolves
    const std::string number(text.substr(0, n));
    const double expected = WinplatParseDoubleC(number.c_str(), nullptr);
    check(std::fabs(value - expected) <= 1e-12 * std::fabs(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<char[]> text = terminatedText(data, size, kLineChars);
    const std::string_view line(text.get());

    const builder::DescriptionLine d = builder::parseDescriptionLine(text.get());
    const auto all = fields(line);
    const std::string_view manufacturer = field(all, 0).substr(0, ICC_MANUFACTURER_SIZE - 1);
    const std::string_view model = field(all, 1).substr(0, ICC_MODEL_SIZE - 1);
    check(d.manufacturer == manufacturer);
    check(d.model == model);

    const std::string_view number = field(all, 4);
    if (!number.empty() && number.size() <= 9 &&
        number.find_first_not_of("0123456789") == std::string_view::npos)
        check(d.modelNumber == std::stoi(std::string(number)));
    if (number.empty()) check(d.modelNumber == 0);

    for (int k = 0; k < 3; ++k) {
        checkNumber(d.primaries.x[k], field(all, 5 + 2 * k));
        checkNumber(d.primaries.y[k], field(all, 6 + 2 * k));
    }

    const builder::IccRecord record(d);
    check(std::strlen(record.parms.manufacturer) == manufacturer.size());
    check(std::strlen(record.parms.model) == model.size());
    check(record.parms.manufacturer == manufacturer && record.parms.model == model);
    check(record.parms.modelNumber == d.modelNumber && record.parms.redX == d.primaries.x[0] &&
          record.parms.blueY == d.primaries.y[2]);
    return 0;
}
