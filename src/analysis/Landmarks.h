#pragma once

#include "analysis/Aligner.h"

namespace analysis {

// The mark syllable i's note starts at when the bank has taught nothing:
// where the level comes back after a consonant that makes a dip or after
// silence, the release of a nasal, where the spectrum turns towards the
// vowel after a glide, an r or another vowel, and the beat for a vowel sung
// again, which nothing in the sound marks.
Mark noteMark(const FileAlignment &alignment, const QList<Syllable> &syllables, int i);

// Whether syllable i of a file follows silence: the first, one after a
// rest, or one the singer paused before.
bool startsFromSilence(const FileAlignment &alignment, const QList<Syllable> &syllables, int i);

// Finds every syllable's marks on the fine frames near where the alignment
// put it, then the singer's beat over the file; a syllable whose note mark
// is far off the beat is looked for again around the beat.
void placeLandmarks(FileAlignment &alignment, const WaveFeatures &features, const QList<Syllable> &syllables,
                    const LandmarkParams &params = {});

// The marks of an English recording's phonemes (see AlignInput): the
// start of each moved to the strongest change of spectrum near where the
// alignment put it, its own sound's start, and before silence where its
// level falls away.
void placePhonemeMarks(FileAlignment &alignment, const WaveFeatures &features, const QStringList &phonemes,
                       const LandmarkParams &params = {});

// The strongest change of spectrum within reachMs (ms) of a time: the RMS
// over the bands (dB) of the mean level over spanMs after a frame less
// the mean over spanMs before it.
double changeNear(const WaveFeatures &features, double ms, double spanMs, double reachMs);

// The marks of every syllable as the local detector alone finds them
// around where the alignment put its vowel, the beat left out: a second
// placement to check the chosen one against. Where the two disagree, they
// took different changes of sound, and a labeller may have taken either.
QList<SyllableTimes> firstLooks(const FileAlignment &alignment, const WaveFeatures &features, const QList<Syllable> &syllables,
                               const LandmarkParams &params = {});

}  // namespace analysis
