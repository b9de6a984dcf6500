#pragma once

// Order statistics of a set of measurements, one definition for every
// library: a median or a quantile here means the same everywhere.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace statistics {

// The q-quantile (q in 0..1) of values, interpolated linearly between the
// two nearest ranks: 0 is the least, 1 the greatest, 0.5 the median (the
// mean of the middle two of an even count). 0 when there are none. Takes
// a copy to reorder; in linear time.
template <typename T>
double quantile(std::vector<T> values, double q)
{
    if (values.empty())
        return 0;
    const double at = std::clamp(q, 0.0, 1.0) * double(values.size() - 1);
    const auto lower = size_t(at);
    const auto nth = values.begin() + std::ptrdiff_t(lower);
    std::nth_element(values.begin(), nth, values.end());
    const double low = double(*nth);
    if (lower + 1 == values.size())
        return low;
    // Everything after the lower rank is at least as great: its least is the next rank.
    const double high = double(*std::min_element(nth + 1, values.end()));
    return low + (high - low) * (at - double(lower));
}

template <typename T>
double median(std::vector<T> values)
{
    return quantile(std::move(values), 0.5);
}

// The median absolute deviation from the median: a spread that a few
// stray values do not widen.
template <typename T>
double medianAbsoluteDeviation(const std::vector<T> &values)
{
    const double centre = median(values);
    std::vector<double> deviations;
    deviations.reserve(values.size());
    for (const T &v : values)
        deviations.push_back(std::abs(double(v) - centre));
    return median(std::move(deviations));
}

}  // namespace statistics
