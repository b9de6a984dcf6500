#pragma once

#include "oto/clsOto.h"

#include <vector>

namespace render {

// One note of a phrase: the entry, the length of its wave and how long the
// note lasts (from its beat to the next note's beat).
struct NoteSpec {
    clsOto entry;
    double waveMs = 0;
    double lengthMs = 0;
};

// Where one note's sample sounds. The first three are times in the wave;
// the rest are times in the output, in ms from its first sample.
struct NotePlacement {
    double leftMs = 0;        // left bound
    double fixedEndMs = 0;    // end of the fixed length (at most the right bound)
    double rightMs = 0;       // right bound

    double beatMs = 0;        // the note starts: the preutterance point lands here
    double startMs = 0;       // the left bound sounds here (beat minus preutterance)
    double overlapMs = 0;     // the overlap point sounds here (start plus overlap)
    double fixedOutEndMs = 0; // the fixed length, played at its own speed, ends here
    double endMs = 0;         // the sound ends here
    double fadeInMs = 0;      // rises over this long from startMs
    double fadeOutMs = 0;     // falls over this long up to endMs

    // The time in the wave that sounds at output time outMs: the fixed
    // length at its own speed, the rest up to the right bound stretched
    // (or squeezed) evenly over what is left of the sound.
    double sourceMs(double outMs) const;
};

struct PhrasePlacement {
    std::vector<NotePlacement> notes;
    double lengthMs = 0;  // the first note's preutterance plus every note's length
};

// The shortest fade at either end of a sound, so that no join is a step:
// an overlap shorter than this cross-fades over this long instead.
constexpr double kMinFadeMs = 3;
// The fade at the end of the phrase.
constexpr double kEndFadeMs = 10;

// The entry's right bound (clsOto::rightBoundMs) kept within the wave and
// not before the left bound.
double rightBoundMs(const clsOto &entry, double waveMs);

// The output starts at the first note's left bound. Each note's sound runs
// from its left bound to the next note's overlap point, where the two
// cross-fade with equal power over the next note's overlap; a negative
// overlap leaves a gap, with short fades either side. The last note ends
// with the phrase.
PhrasePlacement placePhrase(const std::vector<NoteSpec> &notes);

}  // namespace render
