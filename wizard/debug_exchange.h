// The debug exchange: another process reads or replaces the integer measurements of the
// monitor being calibrated through the registered message "HuevistaDebug" and 1024 bytes of
// named shared memory of the same name. The first sixteen 32-bit integers are the working
// record's display type, black point, shadow, midtone and highlight matches (red, green, blue
// each), lighting, luminance and colour; the wizard never touches the rest of the block.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "calibration_record.h"
#include "win32.h"
#include "win32_holders.h"

namespace huevista {

inline constexpr char kDebugExchangeName[] = "HuevistaDebug";
inline constexpr DWORD kDebugBlockSize = 1024;

using DebugFields = std::array<int32_t, 16>;

// The message's number, the same in every process (registered on the first call).
UINT debugExchangeMessage();

DebugFields exportFields(const CalibrationRecord& record);

// Copies the fields into `record`, checked against what the steps of the record's display type
// can produce (`colorPositions`: the colour slider's positions). A display type other than the
// four known keeps the record's own. A triple holding a value no step of that type offers is
// set to -1 throughout (nothing may compute from it); a triple is valid when none of its values
// is -1. A lighting, luminance or colour out of range takes its not-chosen value.
void importFields(const DebugFields& fields, CalibrationRecord& record, int colorPositions);

// The mapped block, held for one message: created or opened, all of it mapped read-write.
class DebugBlock {
public:
    DebugBlock();

    explicit operator bool() const { return view_ != nullptr; }
    DebugFields read() const;
    void write(const DebugFields& fields);

private:
    struct Unmap {
        void operator()(void* view) const { UnmapViewOfFile(view); }
    };
    winplat::FileHandle mapping_;
    std::unique_ptr<void, Unmap> view_;  // goes before the mapping's handle
};

}  // namespace huevista
