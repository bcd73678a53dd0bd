// The monitor description line of the store ("manufacturer, model, width, height, number,
// red x, red y, green x, green y, blue x, blue y, ...") as the builders read it.
#pragma once

#include <cstdint>
#include <string>

#include "colour_math.h"
#include "profforge.h"

namespace builder {

struct DescriptionLine {
    std::string manufacturer;  // at most ICC_MANUFACTURER_SIZE - 1 characters
    std::string model;         // at most ICC_MODEL_SIZE - 1 characters
    std::int32_t modelNumber = 0;
    Primaries primaries;
};

// Fields 1 and 2 are texts, 3 and 4 are skipped, 5 is an integer, 6 to 11 the chromaticities;
// a missing field reads as empty or 0. Each field starts after its leading blanks and tabs and
// ends at the next comma. A text keeps everything up to the comma, trailing blanks included
// (cut to its buffer). The integer takes every character as a digit (its code minus '0',
// wrapping around at 32 bits). A number reads digits with at most one decimal point, without
// sign or exponent; any other character ends it.
DescriptionLine parseDescriptionLine(const char* line);

}  // namespace builder

namespace builder {

// An ICC parameters record with the text buffers its pointers name, filled from a description
// line (everything else 0). Not copyable: the record points into the object itself.
class IccRecord {
public:
    explicit IccRecord(const DescriptionLine& line);
    IccRecord(const IccRecord&) = delete;
    IccRecord& operator=(const IccRecord&) = delete;

    ICCMONITORPARMS parms{};

private:
    char manufacturer_[ICC_MANUFACTURER_SIZE] = "";
    char model_[ICC_MODEL_SIZE] = "";
};

// The primaries a record describes.
Primaries primariesOf(const ICCMONITORPARMS& parms);

}  // namespace builder
