#include "tone_model.h"

#include <cmath>

namespace builder {

PowerLawModel::PowerLawModel(const double (&gammas)[3], const double (&offsets)[3]) {
    for (int k = 0; k < 3; ++k) {
        gamma_[k] = gammas[k];
        offset_[k] = offsets[k];
    }
}

double PowerLawModel::luminance(int channel, double drive) const {
    const double o = offset_[channel];
    return std::pow(o + (1.0 - o) * drive, gamma_[channel]);
}

double PowerLawModel::drive(int channel, double luminance) const {
    const double o = offset_[channel];
    return (std::pow(luminance, 1.0 / gamma_[channel]) - o) / (1.0 - o);
}

}  // namespace builder
