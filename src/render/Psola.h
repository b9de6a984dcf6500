#pragma once

#include "render/Placement.h"

#include <QtGlobal>
#include <span>
#include <vector>

namespace render {

// Pitch marks of a stretch of a wave: one per period where it is voiced,
// on the same point of each period, and evenly spaced where it is not. A
// grain of the wave around a mark, two of its periods wide, is what the
// overlap-add moves about.
struct PitchMarks {
    std::vector<qsizetype> at;     // sample positions, increasing
    std::vector<double> period;    // samples to the next period (the grain's half width)
    std::vector<bool> voiced;
    bool empty() const { return at.empty(); }
    // The mark nearest to a sample position.
    size_t nearest(double position) const;
};

// Spacing of the marks where the wave is not voiced.
constexpr double kUnvoicedStepMs = 5;

// Marks over samples [from, to) of the wave, found with the pitch tracker.
PitchMarks findPitchMarks(std::span<const qint16> wave, int sampleRate, qsizetype from, qsizetype to);

// Adds one note's sound to out (sample i is output time i / rate): grains
// taken where the placement maps each output time in the wave, laid one
// output period apart in voiced stretches (so the pitch moves to
// targetHz while each grain keeps the spectral envelope, the formants, of
// the recording) and at their own spacing in unvoiced ones, shaped by the
// note's fades.
void addNote(std::span<const qint16> wave, const PitchMarks &marks, const NotePlacement &placement, double targetHz,
             int sampleRate, std::vector<float> &out);

}  // namespace render
