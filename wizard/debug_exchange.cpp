#include "debug_exchange.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "steps/patch_grid.h"
#include "steps/slider_steps.h"
#include "white_table.h"

namespace huevista {
namespace {

enum Field : size_t { kType = 0, kBlack = 1, kShadow = 4, kMidtone = 7, kHighlight = 10, kLighting = 13,
                      kLuminance = 14, kColor = 15 };

struct Triple {
    size_t field;
    int CalibrationRecord::*valid;
    int (CalibrationRecord::*values)[3];
};
constexpr Triple kTriples[] = {{kBlack, &CalibrationRecord::blackValid, &CalibrationRecord::black},
                               {kShadow, &CalibrationRecord::shadowValid, &CalibrationRecord::shadow},
                               {kMidtone, &CalibrationRecord::midtoneValid, &CalibrationRecord::midtone},
                               {kHighlight, &CalibrationRecord::highlightValid, &CalibrationRecord::highlight}};

// Whether a step of `displayType` can store `value` into the triple at `field`. A CRT's grids
// offer their levels (it has no midtone match); the sliders of panels and notebooks a range
// each (their black point is the level 0 they start with).
bool offered(size_t field, int value, int displayType) {
    const auto among = [value](const std::vector<int>& levels) {
        return std::find(levels.begin(), levels.end(), value) != levels.end();
    };
    if (displayType == kCrt) {
        switch (field) {
            case kBlack: return among(blackPointLevels());
            case kShadow: return among(toneGridLevels(false));
            case kHighlight: return among(toneGridLevels(true));
            default: return false;
        }
    }
    if (displayType != kFlatPanel && displayType != kNotebook) return false;
    if (field == kBlack) return value == 0;
    const auto& slots = SliderStep::slots(false);  // left highlight, middle midtone, right shadow
    const size_t slot = field == kHighlight ? 0 : field == kMidtone ? 1 : field == kShadow ? 2 : 3;
    return slot < slots.size() && value >= slots[slot].low && value <= slots[slot].high;
}

}  // namespace

UINT debugExchangeMessage() {
    static const UINT message = RegisterWindowMessageA(kDebugExchangeName);
    return message;
}

DebugFields exportFields(const CalibrationRecord& record) {
    DebugFields out{};
    out[kType] = record.displayType;
    for (const Triple& t : kTriples)
        for (size_t ch = 0; ch < 3; ++ch) out[t.field + ch] = (record.*t.values)[ch];
    out[kLighting] = record.lighting;
    out[kLuminance] = record.luminance;
    out[kColor] = record.color;
    return out;
}

void importFields(const DebugFields& fields, CalibrationRecord& record, int colorPositions) {
    if (fields[kType] >= kNotChosen && fields[kType] <= kNotebook) record.displayType = fields[kType];
    for (const Triple& t : kTriples) {
        const std::span<const int32_t> given(fields.data() + t.field, 3);
        const bool possible = std::all_of(given.begin(), given.end(), [&](int32_t v) {
            return v == -1 || offered(t.field, v, record.displayType);
        });
        int* values = record.*t.values;
        for (size_t ch = 0; ch < 3; ++ch) values[ch] = possible ? given[ch] : -1;
        record.*t.valid = std::find(values, values + 3, -1) == values + 3 ? 1 : 0;
    }
    const int32_t lighting = fields[kLighting], luminance = fields[kLuminance], color = fields[kColor];
    record.lighting = lighting >= 0 && lighting <= 3 ? lighting : -1;
    record.luminance = luminance >= 0 && luminance <= 100 ? luminance : 100;
    record.color = color >= 0 && color < colorPositions ? color : -1;
}

DebugBlock::DebugBlock()
    : mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kDebugBlockSize,
                                  kDebugExchangeName)) {
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kDebugBlockSize));
}

DebugFields DebugBlock::read() const {
    DebugFields fields{};
    std::memcpy(fields.data(), view_.get(), sizeof fields);
    return fields;
}

void DebugBlock::write(const DebugFields& fields) { std::memcpy(view_.get(), fields.data(), sizeof fields); }

}  // namespace huevista
