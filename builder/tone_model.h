// How a display channel turns a drive level into light. The CRT build uses the power law below;
// the panel build supplies its own model through the same interface.
#pragma once

namespace builder {

class ToneModel {
public:
    virtual ~ToneModel() = default;
    // Relative luminance of `channel` (0 red, 1 green, 2 blue) at drive level `drive` (0 to 1).
    virtual double luminance(int channel, double drive) const = 0;
    // The drive level at which `channel` gives `luminance`.
    virtual double drive(int channel, double luminance) const = 0;
};

// Y(d) = (o + (1 - o) d)^g per channel; its inverse d = (Y^(1/g) - o) / (1 - o).
class PowerLawModel final : public ToneModel {
public:
    PowerLawModel(const double (&gammas)[3], const double (&offsets)[3]);
    double luminance(int channel, double drive) const override;
    double drive(int channel, double luminance) const override;

private:
    double gamma_[3];
    double offset_[3];
};

}  // namespace builder
