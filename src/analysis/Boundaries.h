#pragma once

#include "analysis/Aligner.h"

namespace analysis {

// Moves the vowel starts and ends that the alignment found (to a frame or
// two of the coarse alignment grid) onto what the signal shows nearby: after
// a consonant, where the level has risen back to the vowel's; between two
// vowels, or a glide and its vowel, where the spectrum changes most.
void refineBoundaries(FileAlignment &alignment, const WaveFeatures &features, const QList<Syllable> &syllables);

}  // namespace analysis
