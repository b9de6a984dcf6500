#pragma once

#include "oto/clsOto.h"
#include "wave/SampleBuffer.h"

#include <QString>

namespace singer {

// Where the same sound lies in two recordings of it (one per pitch folder):
// the shift that carries a time in the first to the same moment in the
// second, found by matching the recordings' level envelopes around their
// onsets.
struct Alignment {
    double shiftMs = 0;
    bool unsure = false;
    QString why;  // what made it unsure
};

Alignment alignRecordings(const SampleBuffer &from, const SampleBuffer &to, int sampleRate);

// The source entry's five parameters placed on the target's recording:
// the left bound moves by the shift, the offsets from it stay, a right bound
// measured from the end of the wave keeps its place in the sound. The
// target keeps its file, alias and folder; the result is repaired against
// the target wave's length.
clsOto shiftedParameters(const clsOto &source, double sourceLengthMs, const clsOto &target, double targetLengthMs,
                         double shiftMs);

}  // namespace singer
