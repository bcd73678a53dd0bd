#include "description_line.h"

#include "profforge.h"

namespace builder {

namespace {

class FieldReader {
public:
    explicit FieldReader(const char* line) : p_(line ? line : "") {}

    std::string text(size_t limit) {
        const char* start = fieldStart();
        const char* end = start;
        while (*end && *end != ',') ++end;
        next(end);
        size_t n = static_cast<size_t>(end - start);
        return std::string(start, n < limit ? n : limit);
    }

    void skip() { next(fieldStart()); }

    std::int32_t integer() {
        const char* q = fieldStart();
        std::uint32_t value = 0;
        for (; *q && *q != ','; ++q) value = value * 10u + static_cast<std::uint32_t>(*q - '0');
        next(q);
        return static_cast<std::int32_t>(value);
    }

    double number() {
        const char* q = fieldStart();
        double value = 0.0, scale = 1.0;
        bool fraction = false;
        for (;; ++q) {
            if (*q >= '0' && *q <= '9') {
                if (fraction) {
                    scale /= 10.0;
                    value += (*q - '0') * scale;
                } else {
                    value = value * 10.0 + (*q - '0');
                }
            } else if (*q == '.' && !fraction) {
                fraction = true;
            } else {
                break;
            }
        }
        next(q);
        return value;
    }

private:
    const char* fieldStart() const {
        const char* q = p_;
        while (*q == ' ' || *q == '\t') ++q;
        return q;
    }
    // The next field starts after the comma that ends this one.
    void next(const char* q) {
        while (*q && *q != ',') ++q;
        p_ = *q ? q + 1 : q;
    }

    const char* p_;
};

}  // namespace

DescriptionLine parseDescriptionLine(const char* line) {
    DescriptionLine d;
    FieldReader fields(line);
    d.manufacturer = fields.text(ICC_MANUFACTURER_SIZE - 1);
    d.model = fields.text(ICC_MODEL_SIZE - 1);
    fields.skip();
    fields.skip();
    d.modelNumber = fields.integer();
    for (int k = 0; k < 3; ++k) {
        d.primaries.x[k] = fields.number();
        d.primaries.y[k] = fields.number();
    }
    return d;
}

}  // namespace builder

namespace builder {

IccRecord::IccRecord(const DescriptionLine& line) {
    line.manufacturer.copy(manufacturer_, sizeof manufacturer_ - 1);
    line.model.copy(model_, sizeof model_ - 1);
    parms.modelNumber = line.modelNumber;
    parms.manufacturer = manufacturer_;
    parms.model = model_;
    const Primaries& p = line.primaries;
    parms.redX = p.x[0], parms.redY = p.y[0];
    parms.greenX = p.x[1], parms.greenY = p.y[1];
    parms.blueX = p.x[2], parms.blueY = p.y[2];
}

Primaries primariesOf(const ICCMONITORPARMS& parms) {
    Primaries p;
    p.x[0] = parms.redX, p.y[0] = parms.redY;
    p.x[1] = parms.greenX, p.y[1] = parms.greenY;
    p.x[2] = parms.blueX, p.y[2] = parms.blueY;
    return p;
}

}  // namespace builder
