#pragma once

#include <kiss_fftr.h>

#include <cmath>
#include <memory>
#include <new>
#include <numbers>
#include <vector>

// What the features and the spectrogram both build on: KissFFT's real
// transform, owned; the window each frame is weighed by; the mel scale.
// For the library's own sources only (KissFFT is a private dependency).

namespace analysis {

struct FftrDeleter {
    void operator()(kiss_fftr_cfg cfg) const { kiss_fftr_free(cfg); }
};
using Fftr = std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, FftrDeleter>;

inline Fftr makeFftr(int n, bool inverse)
{
    Fftr cfg(kiss_fftr_alloc(n, inverse ? 1 : 0, nullptr, nullptr));
    if (!cfg)
        throw std::bad_alloc();
    return cfg;
}

// A Hann window of n samples, sampled at the samples' centres.
inline std::vector<float> hannWindow(int n)
{
    std::vector<float> w(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        w[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * (i + 0.5) / n));
    return w;
}

inline double hzToMel(double hz) { return 2595.0 * std::log10(1.0 + hz / 700.0); }
inline double melToHz(double mel) { return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0); }

}  // namespace analysis
