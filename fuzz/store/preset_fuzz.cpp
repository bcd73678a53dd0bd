// Feeds arbitrary bytes to the two readers of presets from outside: a stored preset value
// (REG_MULTI_SZ, at most 512 bytes) and a line of Preset.inf. Whatever they read must be a
// record the rest of the suite can use: a terminated description, and for a Preset.inf line a
// name and numbers within the documented ranges.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "preset_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end is caught.
    std::unique_ptr<char[]> bytes(new char[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);

    if (size <= PRESET_VALUE_LIMIT) {
        PresetRecord record;
        std::memset(&record, 0xbd, sizeof record);
        vlt::parsePresetValue(bytes.get(), bytes.get() + size, record);
        if (!std::memchr(record.description, '\0', sizeof record.description)) __builtin_trap();
    }

    const auto line = vlt::parseStandardPresetLine(std::string_view(bytes.get(), size));
    if (line) {
        const PresetRecord& r = line->record;
        if (line->name.empty() || line->name.size() > 255 || r.flags != PRESET_STANDARD) __builtin_trap();
        for (double gamma : {r.gammaRed, r.gammaGreen, r.gammaBlue})
            if (!(gamma >= 0.1 && gamma <= 10.0)) __builtin_trap();
        if (r.temperature < 4001 || r.temperature > 25000) __builtin_trap();
        if (strnlen(r.description, sizeof r.description) > PRESET_DESCRIPTION_LIMIT) __builtin_trap();
    }
    return 0;
}
